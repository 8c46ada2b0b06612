// Geometry helpers for modelling the figures in code, at build time.
//
// ModelBuilder collects a MeshSource in record order: materials, then
// objects, each with groups of polygons. Vertices and normals are shared by
// position. Every polygon is handed in with outward corner normals and is
// stored counter-clockwise as seen from the side those normals point to
// (the builder reverses a polygon given the other way round), so back-face
// culling keeps exactly the outsides.
//
// The shape functions below build convex, planar polygons only (GL_POLYGON
// draws nothing else correctly) and at most 16 corners per polygon.
//
// Single-threaded build tool code; no global state.
#pragma once
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "mesh/mesh_encode.h"

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

// A right-handed placement: local (a, b, c) is origin + a u + b v + c w.
// Shapes of revolution turn about v.
struct Frame {
    Vec3 origin;
    Vec3 u{1, 0, 0}, v{0, 1, 0}, w{0, 0, 1};
    Vec3 at(double a, double b, double c) const { return origin + u * a + v * b + w * c; }
    Vec3 dir(double a, double b, double c) const { return u * a + v * b + w * c; }
};

// A frame at `origin` whose v axis is `axis` (normalised); u is chosen
// perpendicular to it, preferring `hint` projected off the axis.
Frame frame_along(Vec3 origin, Vec3 axis, Vec3 hint);

class ModelBuilder {
public:
    // Materials of both figures: specular white, reserved 1, shininess 100.
    void material(const std::string& name, std::array<float, 3> ambient, std::array<float, 3> diffuse);
    // Starts an object; later groups and faces belong to it.
    void object(const std::string& name);
    // Starts a group of the current object, named "<object>_<material>".
    void group(const std::string& material);

    // Adds a polygon with one outward normal per corner. Stored counter-
    // clockwise about those normals; a polygon with no area is dropped.
    void face(std::vector<Vec3> corners, std::vector<Vec3> normals);
    // The same with one normal for every corner.
    void flat_face(const std::vector<Vec3>& corners, Vec3 outward);
    // A convex planar polygon from its corners in any order, sorted
    // counter-clockwise about `outward`; flat-shaded.
    void convex_face(std::vector<Vec3> corners, Vec3 outward);

    size_t faces_in_group() const;
    MeshSource& source() { return source_; }

private:
    int vertex(Vec3 p);
    int normal(Vec3 n);
    MeshSource source_;
    std::map<std::array<long long, 3>, int> vertex_ids_, normal_ids_;
};

// Newell's normal of a polygon (not normalised; zero when it has no area).
Vec3 polygon_normal(const std::vector<Vec3>& corners);

// --- shapes ---

// Axis-aligned box between `low` and `high`, six faces.
void box(ModelBuilder& b, Vec3 low, Vec3 high);

// Axis-aligned box with every edge bevelled by `chamfer`: 6 faces, 12 edge
// strips and 8 corner triangles (26 polygons).
void chamfered_box(ModelBuilder& b, Vec3 low, Vec3 high, double chamfer);

// One cross-section of a swept surface: a circle of `radius` about
// `centre` in the plane of e1 and e2 (unit, perpendicular, with
// e2 x e1 = t, the direction of travel). For smooth shading the normal at
// angle a is normalise(nr (cos a e1 + sin a e2) + nt t).
struct Ring {
    Vec3 centre, e1, e2, t;
    double radius = 0;
    double nr = 1, nt = 0;
};

enum class Shading {
    smooth,  // corner normals from each ring's (nr, nt): round across the rings
    banded,  // each band its own slope, round about the axis only
};

// Joins consecutive rings with bands of `segments` quads (triangles where a
// ring has radius 0). Rings run in the direction of travel; the outside is
// the side the radius grows to.
void sweep(ModelBuilder& b, const std::vector<Ring>& rings, int segments, Shading shading);

// Closes a ring with a flat cap facing `outward`, as one polygon of
// `segments` corners when that is at most 16, else as two halves.
void ring_cap(ModelBuilder& b, const Ring& ring, int segments, Vec3 outward);

// Rings of a surface of revolution about frame.v from a profile of
// (radius, height) points listed counter-clockwise in that plane (radius to
// the right, height up): outward along a bottom, up a side wall, inward
// along a top, so that the outside is on the right of the direction of
// travel.
std::vector<Ring> lathe_rings(const Frame& frame, const std::vector<std::array<double, 2>>& profile);

// Stud or short cylinder standing on frame.origin along frame.v: side wall
// and top cap (no bottom; it stands on something). segments + 1 polygons.
void stud(ModelBuilder& b, const Frame& frame, double radius, double height, int segments);

// Closed cylinder along frame.v from height 0 to `height`: side wall and two
// caps.
void closed_cylinder(ModelBuilder& b, const Frame& frame, double radius, double height, int segments);

// A 2D profile point (z, y) for extrusions along x. With `round` set the
// surface is smooth there and `normal` (z, y) is its outward normal.
struct ProfilePoint {
    double z = 0, y = 0;
    bool round = false;
    double nz = 0, ny = 0;
};

// Extrudes a closed profile in the z-y plane along x from x0 to x1, with
// the edges at both ends bevelled by `bevel` (each profile edge gives three
// strips). The profile may run either way round; `cap_parts` splits the end
// caps into convex polygons (lists of profile indices).
void bevelled_extrusion(ModelBuilder& b, const std::vector<ProfilePoint>& profile, double x0, double x1,
                        double bevel, const std::vector<std::vector<int>>& cap_parts);
