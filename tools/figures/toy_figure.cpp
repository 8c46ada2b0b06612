// The toy figure: modelled standing on y = -3.987, facing +z, its left
// (the "l" parts) on the +x side. One unit is about 4.2 mm of the toy.
//
// Arms, legs and head turn about pivot markers: small pyramids whose apex is
// the rotation centre and whose base centre lies along the rotation axis.
// Each moving part is built round its axis so that turning it keeps it
// attached: the shoulders are domes centred on the shoulder pivots, the
// tops of the legs are half-cylinders about the hip axis, the head is a
// cylinder about the vertical neck axis.
#include <numbers>

#include "figures/figure_models.h"
#include "figures/model_builder.h"

namespace {

constexpr double pi = std::numbers::pi;

// --- pivots (apex = rotation centre; axis = base centre - apex) ---
struct Pivot {
    const char* name;
    Vec3 apex, axis;
};
constexpr Pivot pivot_larm{"pivot_larm", {1.682, 2.375, 0}, {1.964, 0.376, 0}};
constexpr Pivot pivot_rarm{"pivot_rarm", {-1.672, 2.375, 0}, {-1.965, 0.376, 0}};
constexpr Pivot pivot_lfoot{"pivot_lfoot", {0.186, -1.269, 0}, {2.000, -0.001, 0}};
constexpr Pivot pivot_rfoot{"pivot_rfoot", {-0.188, -1.269, 0}, {-2.000, -0.001, 0}};
constexpr Pivot pivot_head{"pivot_head", {-0.004, 4.554, 0}, {0.000, 2.000, 0}};
constexpr double pivot_base_edge = 0.61;  // the pyramid's square base

// --- light markers: cubes whose corner (+x, -y, +z) gives the direction ---
constexpr double light_cube_edge = 0.252;
constexpr Vec3 light1_centre{0, 7.986, 5.782};        // above and in front
constexpr Vec3 light2_centre{2.712, -3.434, -6.658};  // low, behind, to the left

// --- body layout (y up) ---
constexpr double floor_y = -3.987;
constexpr double hip_y = -1.269;              // the legs' axis (pivot_lfoot/rfoot)
constexpr double waist_bottom = -1.34;        // just below the hip axis: hides the leg tops
constexpr double waist_top = -0.55;
constexpr double waist_half_width = 1.80;
constexpr double waist_half_depth = 0.70;
constexpr double torso_top = 2.75;
constexpr double torso_bottom_half_width = 1.80;
constexpr double torso_top_half_width = 1.30;
constexpr double torso_half_depth = 0.66;
constexpr double neck_radius = 0.46;
constexpr double neck_top = 3.12;             // ends inside the head
constexpr double head_bottom = 3.05;
constexpr double head_radius = 1.0;
constexpr double head_top = 5.0;
constexpr double head_edge = 0.14;            // bevel at the head's rims
constexpr double head_stud_radius = 0.56;
constexpr double head_stud_top = 5.33;
constexpr double head_stud_edge = 0.06;       // bevel round the stud's top
constexpr int head_segments = 20;

// Legs: a side profile extruded across x.
constexpr double leg_inner_x = 0.19;          // the hip pivots sit on the inner faces
constexpr double leg_outer_x = 1.78;
constexpr double leg_half_depth = 0.62;       // also the radius of the rounded top
constexpr double foot_top = -3.36;
constexpr double toe_z = 1.02;
constexpr double leg_bevel = 0.06;
constexpr int leg_top_segments = 14;

// Arms: a round tube from a dome at the shoulder, down, bent forward.
constexpr double arm_radius = 0.40;
constexpr double upper_arm_length = 1.5;
constexpr double elbow_bend_radius = 0.45;
constexpr double elbow_bend = 55 * pi / 180;  // forearm angle forward of the upper arm
constexpr double forearm_length = 0.5;
constexpr int arm_segments = 10;

// Hands: a wrist peg and a C-shaped grip whose hole runs roughly upright.
constexpr double wrist_radius = 0.24;
constexpr double wrist_length = 0.32;
constexpr double grip_outer = 0.42;
constexpr double grip_inner = 0.22;
constexpr double grip_thickness = 0.38;
constexpr double grip_open_half = 50 * pi / 180;  // half the mouth of the C
constexpr int grip_segments = 14;

void materials(ModelBuilder& b) {
    b.material("blk", {0, 0, 0}, {0, 0, 0});
    b.material("blu", {0, 0, 0}, {0.16f, 0.273f, 1});
    b.material("default", {1, 1, 1}, {1, 1, 1});
    b.material("default2", {0, 0, 0}, {1, 1, 1});
    b.material("red", {0.14f, 0.14f, 0.14f}, {0.92f, 0, 0});
    b.material("yellow", {0.307f, 0.307f, 0.307f}, {1, 0.967f, 0});
}

// Cylindrical head with bevelled rims and a stud, turning about the
// vertical axis of pivot_head.
void head_shell(ModelBuilder& b) {
    Frame f;
    f.origin = {pivot_head.apex.x, 0, 0};
    const double r = head_radius, e = head_edge;
    const auto rings = lathe_rings(f, {{r - e, head_bottom},
                                       {r, head_bottom + e},
                                       {r, (head_bottom + head_top) / 2},  // splits the wall where the face is
                                       {r, head_top - e},
                                       {r - e, head_top},
                                       {head_stud_radius, head_top},
                                       {head_stud_radius, head_stud_top - head_stud_edge},
                                       {head_stud_radius - head_stud_edge, head_stud_top}});
    sweep(b, rings, head_segments, Shading::banded);
    ring_cap(b, rings.front(), head_segments, {0, -1, 0});
    ring_cap(b, rings.back(), head_segments, {0, 1, 0});
}

// A point on the head's face surface, `lift` outside the wall; `angle` is
// radians from the front (+z) towards +x.
Vec3 face_point(double angle, double y, double lift) {
    const double r = head_radius + lift;
    return {pivot_head.apex.x + r * std::sin(angle), y, r * std::cos(angle)};
}
Vec3 face_normal(double angle) { return {std::sin(angle), 0, std::cos(angle)}; }

// Black eyes and smile printed on the head: thin polygons just outside the
// wall, following its curve.
void head_face(ModelBuilder& b) {
    constexpr double lift = 0.015;        // clear of the wall's flat facets
    constexpr double eye_angle = 0.34;    // radians either side of the front
    constexpr double eye_y = 4.30;
    constexpr double eye_half_width = 0.10;
    constexpr double eye_half_height = 0.14;
    constexpr int eye_segments = 12;
    for (double side : {-1.0, 1.0}) {
        const double centre = side * eye_angle;
        for (int i = 0; i < eye_segments; ++i) {
            const double a0 = 2 * pi * i / eye_segments, a1 = 2 * pi * (i + 1) / eye_segments;
            const double t0 = centre + eye_half_width / head_radius * std::cos(a0);
            const double t1 = centre + eye_half_width / head_radius * std::cos(a1);
            b.face({face_point(centre, eye_y, lift), face_point(t0, eye_y + eye_half_height * std::sin(a0), lift),
                    face_point(t1, eye_y + eye_half_height * std::sin(a1), lift)},
                   {face_normal(centre), face_normal(t0), face_normal(t1)});
        }
    }
    // Smile: columns of a curved band, thinner towards its ends. Two
    // vertical edges per quad keep every quad planar on the cylinder.
    constexpr double smile_half_angle = 0.62;
    constexpr double smile_y = 3.62;       // lowest point, at the front
    constexpr double smile_rise = 0.28;    // how far the corners turn up
    constexpr double smile_width = 0.075;  // half the stroke at the middle
    constexpr int smile_segments = 24;
    auto column = [&](int i, double& angle, double& low, double& high) {
        const double s = -1 + 2.0 * i / smile_segments;  // -1 .. 1 across the smile
        angle = s * smile_half_angle;
        const double mid = smile_y + smile_rise * s * s;
        // Full width in the middle, 35% of it at the corners.
        const double half = smile_width * (0.35 + 0.65 * std::sqrt(std::max(0.0, 1 - s * s)));
        low = mid - half;
        high = mid + half;
    };
    for (int i = 0; i < smile_segments; ++i) {
        double a0, lo0, hi0, a1, lo1, hi1;
        column(i, a0, lo0, hi0);
        column(i + 1, a1, lo1, hi1);
        b.face({face_point(a0, lo0, lift), face_point(a1, lo1, lift), face_point(a1, hi1, lift),
                face_point(a0, hi0, lift)},
               {face_normal(a0), face_normal(a1), face_normal(a1), face_normal(a0)});
    }
}

void head(ModelBuilder& b) {
    b.object("head");
    b.group("yellow");
    head_shell(b);
    b.group("blk");
    head_face(b);
}

// Blue hip piece: a block across the top of the legs and a short stub
// between them.
void waist(ModelBuilder& b) {
    b.object("waist");
    b.group("blu");
    constexpr double bevel = 0.05;
    chamfered_box(b, {-waist_half_width, waist_bottom, -waist_half_depth},
                  {waist_half_width, waist_top, waist_half_depth}, bevel);
    // The stub fills the gap between the legs' inner faces (x = +-0.19)
    // down to about the knees; it starts inside the block above.
    chamfered_box(b, {-0.17, -1.95, -0.42}, {0.17, waist_bottom + 0.1, 0.42}, bevel);
}

// Red torso (a trapezoid, wider at the hips) and neck.
void body(ModelBuilder& b) {
    b.object("body");
    b.group("red");
    const double y0 = waist_top, y1 = torso_top, d = torso_half_depth;
    const double w0 = torso_bottom_half_width, w1 = torso_top_half_width;
    const Vec3 c[8] = {{-w0, y0, -d}, {w0, y0, -d}, {w1, y1, -d}, {-w1, y1, -d},
                       {-w0, y0, d},  {w0, y0, d},  {w1, y1, d},  {-w1, y1, d}};
    const double slope = w0 - w1, height = y1 - y0;  // outward normal of a side: (height, slope)
    b.convex_face({c[4], c[5], c[6], c[7]}, {0, 0, 1});
    b.convex_face({c[0], c[1], c[2], c[3]}, {0, 0, -1});
    b.convex_face({c[1], c[2], c[6], c[5]}, {height, slope, 0});
    b.convex_face({c[0], c[3], c[7], c[4]}, {-height, slope, 0});
    b.convex_face({c[2], c[3], c[7], c[6]}, {0, 1, 0});
    b.convex_face({c[0], c[1], c[5], c[4]}, {0, -1, 0});
    Frame neck;
    neck.origin = {pivot_head.apex.x, torso_top - 0.01, 0};  // starts just inside the torso
    stud(b, neck, neck_radius, neck_top - neck.origin.y, 10);
}

// One leg with its foot: a side profile (z forward, y up) extruded from x0
// to x1. The top is a half-cylinder about the hip axis, so the leg turns
// about that axis without its top moving.
void leg(ModelBuilder& b, const char* name, double x0, double x1) {
    b.object(name);
    b.group("blu");
    const double r = leg_half_depth;
    std::vector<ProfilePoint> p;
    p.push_back({-r, floor_y});
    p.push_back({toe_z, floor_y});
    p.push_back({toe_z, foot_top});
    p.push_back({r, foot_top});  // 3: where the shin meets the top of the foot
    for (int i = 0; i <= leg_top_segments; ++i) {
        const double a = pi * i / leg_top_segments;  // front, over the top, to the back
        p.push_back({r * std::cos(a), hip_y + r * std::sin(a), true, std::cos(a), std::sin(a)});
    }
    const int top = 4 + leg_top_segments / 2, back = 4 + leg_top_segments;
    // 19: on the back edge, level with the inset corner 3, so the end caps
    // split into convex parts along one line.
    p.push_back({-r, foot_top - leg_bevel});
    const int split = back + 1;
    std::vector<int> front_half{3}, back_half;
    for (int i = 4; i <= top; ++i) front_half.push_back(i);
    for (int i = top; i <= back; ++i) back_half.push_back(i);
    back_half.push_back(split);
    back_half.push_back(3);
    bevelled_extrusion(b, p, x0, x1, leg_bevel, {front_half, back_half, {0, 1, 2, 3, split}});
}

// A ring of the arm tube, `centre` on the arm's path, travelling along
// `along`; `side` is the pivot axis, square to the path all the way.
Ring arm_ring(Vec3 centre, Vec3 along, Vec3 side, double radius, double nr, double nt) {
    Ring r;
    r.centre = centre;
    r.t = along;
    r.e1 = side;
    r.e2 = cross(side, along);
    r.radius = radius;
    r.nr = nr;
    r.nt = nt;
    return r;
}

// Red arm (dome at the shoulder, upper arm hanging square to the shoulder
// axis, elbow bent forward, forearm) and yellow hand (wrist and grip).
void arm(ModelBuilder& b, const char* name, const Pivot& pivot) {
    b.object(name);
    const Vec3 side = normalize(pivot.axis);
    Vec3 down = normalize(cross(side, {0, 0, 1}));
    if (down.y > 0) down = -down;
    const Vec3 forward{0, 0, 1};
    const Vec3 p = pivot.apex;

    std::vector<Ring> rings;
    const double ra = arm_radius;
    for (double polar : {0.0, pi / 4, pi / 2})  // the shoulder dome, centred on the pivot
        rings.push_back(arm_ring(p - down * (ra * std::cos(polar)), down, side, ra * std::sin(polar), std::sin(polar),
                                 -std::cos(polar)));
    const Vec3 elbow = p + down * upper_arm_length;
    rings.push_back(arm_ring(elbow, down, side, ra, 1, 0));
    const Vec3 bend_centre = elbow + forward * elbow_bend_radius;
    auto bend_point = [&](double g) {
        return bend_centre + (forward * -std::cos(g) + down * std::sin(g)) * elbow_bend_radius;
    };
    auto bend_along = [&](double g) { return normalize(down * std::cos(g) + forward * std::sin(g)); };
    for (double g : {elbow_bend / 2, elbow_bend}) rings.push_back(arm_ring(bend_point(g), bend_along(g), side, ra, 1, 0));
    const Vec3 fore = bend_along(elbow_bend);
    const Vec3 wrist = bend_point(elbow_bend) + fore * forearm_length;
    rings.push_back(arm_ring(wrist, fore, side, ra, 1, 0));

    b.group("yellow");
    // Wrist peg from inside the sleeve to the back of the grip.
    constexpr double wrist_inside = 0.12;  // how far the peg starts inside the sleeve
    closed_cylinder(b, frame_along(wrist - fore * wrist_inside, fore, side), wrist_radius, wrist_length, arm_segments);
    // C-shaped grip: an annular sector about `hole`, open away from the wrist.
    const Vec3 hole = normalize(down - fore * dot(down, fore));
    constexpr double grip_overlap = 0.05;  // the peg's end sinks into the back of the grip
    const Vec3 grip_centre = wrist + fore * (wrist_length - wrist_inside + grip_outer - grip_overlap);
    const double half_thick = grip_thickness / 2;
    auto dir = [&](double psi) { return fore * -std::cos(psi) + side * std::sin(psi); };
    auto at = [&](double psi, double radius, double h) { return grip_centre + dir(psi) * radius + hole * h; };
    const double psi_max = pi - grip_open_half;
    for (int i = 0; i < grip_segments; ++i) {
        const double a0 = -psi_max + 2 * psi_max * i / grip_segments;
        const double a1 = -psi_max + 2 * psi_max * (i + 1) / grip_segments;
        b.face({at(a0, grip_outer, -half_thick), at(a1, grip_outer, -half_thick), at(a1, grip_outer, half_thick),
                at(a0, grip_outer, half_thick)},
               {dir(a0), dir(a1), dir(a1), dir(a0)});
        b.face({at(a0, grip_inner, -half_thick), at(a1, grip_inner, -half_thick), at(a1, grip_inner, half_thick),
                at(a0, grip_inner, half_thick)},
               {-dir(a0), -dir(a1), -dir(a1), -dir(a0)});
        for (double h : {-half_thick, half_thick})
            b.flat_face({at(a0, grip_inner, h), at(a1, grip_inner, h), at(a1, grip_outer, h), at(a0, grip_outer, h)},
                        hole * h);
    }
    for (double end : {-psi_max, psi_max}) {
        const Vec3 out = (fore * std::sin(end) + side * std::cos(end)) * (end > 0 ? 1 : -1);
        b.flat_face({at(end, grip_inner, -half_thick), at(end, grip_outer, -half_thick),
                     at(end, grip_outer, half_thick), at(end, grip_inner, half_thick)},
                    out);
    }

    b.group("red");
    sweep(b, rings, arm_segments, Shading::smooth);
    ring_cap(b, rings.back(), arm_segments, fore);
}

// A light marker: a cube whose last face written starts at the corner
// (+x, -y, +z), the vertex the light takes its direction from.
void light_marker(ModelBuilder& b, const char* name, Vec3 centre) {
    b.object(name);
    b.group("default2");
    const double h = light_cube_edge / 2;
    auto c = [&](double sx, double sy, double sz) { return centre + Vec3{sx * h, sy * h, sz * h}; };
    for (Vec3 n : {Vec3{0, 0, -1}, Vec3{1, 0, 0}, Vec3{-1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, -1, 0}}) {
        std::vector<Vec3> pts;
        for (double sx : {-1.0, 1.0})
            for (double sy : {-1.0, 1.0})
                for (double sz : {-1.0, 1.0})
                    if (dot({sx, sy, sz}, n) > 0) pts.push_back(c(sx, sy, sz));
        b.convex_face(pts, n);
    }
    // Front face, counter-clockwise seen from +z, from the aiming corner.
    b.flat_face({c(1, -1, 1), c(1, 1, 1), c(-1, 1, 1), c(-1, -1, 1)}, {0, 0, 1});
}

// A pivot marker: four triangles meeting at the apex over a square base
// square to the axis, one base diagonal along z.
void pivot_marker(ModelBuilder& b, const Pivot& pivot) {
    b.object(pivot.name);
    b.group("default");
    const Vec3 base_centre = pivot.apex + pivot.axis;
    const Vec3 across = normalize(cross(pivot.axis, {0, 0, 1}));
    const double half_diagonal = pivot_base_edge / std::sqrt(2.0);
    const Vec3 corners[4] = {base_centre + across * half_diagonal, base_centre + Vec3{0, 0, half_diagonal},
                             base_centre - across * half_diagonal, base_centre - Vec3{0, 0, half_diagonal}};
    const Vec3 inside = (pivot.apex + base_centre) * 0.5;
    for (int i = 0; i < 4; ++i) {
        const Vec3 a = corners[i], c = corners[(i + 1) % 4];
        b.flat_face({pivot.apex, a, c}, (pivot.apex + a + c) * (1.0 / 3) - inside);
    }
    b.flat_face({corners[0], corners[1], corners[2], corners[3]}, pivot.axis);
}

}  // namespace

MeshSource build_toy_figure() {
    ModelBuilder b;
    materials(b);
    head(b);
    waist(b);
    body(b);
    arm(b, "rarm", pivot_rarm);
    arm(b, "larm", pivot_larm);
    leg(b, "lfoot", leg_inner_x, leg_outer_x);
    leg(b, "rfoot", -leg_outer_x, -leg_inner_x);
    light_marker(b, "point1", light1_centre);
    light_marker(b, "point2", light2_centre);
    for (const Pivot* p : {&pivot_larm, &pivot_rarm, &pivot_lfoot, &pivot_rfoot, &pivot_head}) pivot_marker(b, *p);
    return b.source();
}
