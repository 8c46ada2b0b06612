#include "figures/model_builder.h"

#include <algorithm>
#include <numbers>
#include <stdexcept>

namespace {
constexpr double key_grid = 1e5;  // positions closer than 1e-5 units are one vertex
constexpr double min_area = 1e-12;

std::array<long long, 3> key_of(Vec3 p) {
    return {std::llround(p.x * key_grid), std::llround(p.y * key_grid), std::llround(p.z * key_grid)};
}
}  // namespace

Frame frame_along(Vec3 origin, Vec3 axis, Vec3 hint) {
    Frame f;
    f.origin = origin;
    f.v = normalize(axis);
    Vec3 u = hint - f.v * dot(hint, f.v);
    if (length(u) < 1e-9) u = std::fabs(f.v.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
    f.u = normalize(u - f.v * dot(u, f.v));
    f.w = cross(f.u, f.v);
    return f;
}

void ModelBuilder::material(const std::string& name, std::array<float, 3> ambient, std::array<float, 3> diffuse) {
    SourceMaterial m;
    m.name = name;
    m.ambient = ambient;
    m.diffuse = diffuse;
    m.specular = {1, 1, 1};
    m.reserved = 1.0f;
    m.shininess = 100.0f;
    source_.materials.push_back(m);
}

void ModelBuilder::object(const std::string& name) { source_.objects.push_back({name, {}}); }

void ModelBuilder::group(const std::string& material) {
    if (source_.objects.empty()) throw std::logic_error("group before object");
    SourceObject& o = source_.objects.back();
    o.groups.push_back({o.name + "_" + material, material, {}});
}

size_t ModelBuilder::faces_in_group() const { return source_.objects.back().groups.back().faces.size(); }

int ModelBuilder::vertex(Vec3 p) {
    const auto key = key_of(p);
    auto it = vertex_ids_.find(key);
    if (it != vertex_ids_.end()) return it->second;
    const int id = static_cast<int>(source_.vertices.size());
    source_.vertices.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    vertex_ids_.emplace(key, id);
    return id;
}

int ModelBuilder::normal(Vec3 n) {
    n = normalize(n);
    const auto key = key_of(n);
    auto it = normal_ids_.find(key);
    if (it != normal_ids_.end()) return it->second;
    const int id = static_cast<int>(source_.normals.size());
    source_.normals.push_back({static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)});
    normal_ids_.emplace(key, id);
    return id;
}

Vec3 polygon_normal(const std::vector<Vec3>& c) {
    Vec3 n;
    for (size_t i = 0; i < c.size(); ++i) {
        const Vec3 a = c[i], b = c[(i + 1) % c.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

void ModelBuilder::face(std::vector<Vec3> corners, std::vector<Vec3> normals) {
    if (corners.size() != normals.size() || corners.size() < 3 || corners.size() > 16)
        throw std::logic_error("polygon with a bad corner count");
    if (source_.objects.empty() || source_.objects.back().groups.empty())
        throw std::logic_error("face outside a group");
    const Vec3 n = polygon_normal(corners);
    if (dot(n, n) < min_area) return;
    Vec3 mean;
    for (Vec3 c : normals) mean = mean + normalize(c);
    if (dot(n, mean) < 0) {
        std::reverse(corners.begin(), corners.end());
        std::reverse(normals.begin(), normals.end());
    }
    SourceFace f;
    for (size_t k = 0; k < corners.size(); ++k) {
        f.vertices.push_back(vertex(corners[k]));
        f.normals.push_back(normal(normals[k]));
    }
    source_.objects.back().groups.back().faces.push_back(std::move(f));
}

void ModelBuilder::flat_face(const std::vector<Vec3>& corners, Vec3 outward) {
    face(corners, std::vector<Vec3>(corners.size(), normalize(outward)));
}

void ModelBuilder::convex_face(std::vector<Vec3> corners, Vec3 outward) {
    Vec3 centre;
    for (Vec3 c : corners) centre = centre + c;
    centre = centre * (1.0 / static_cast<double>(corners.size()));
    const Frame f = frame_along(centre, outward, corners[0] - centre);
    // Angle about the outward axis v, counter-clockwise seen from outside:
    // from u towards v x u = -w.
    std::sort(corners.begin(), corners.end(), [&](Vec3 a, Vec3 b) {
        return std::atan2(-dot(a - centre, f.w), dot(a - centre, f.u)) <
               std::atan2(-dot(b - centre, f.w), dot(b - centre, f.u));
    });
    const Vec3 n = polygon_normal(corners);
    flat_face(corners, length(n) > 0 ? n : outward);
}

void box(ModelBuilder& b, Vec3 lo, Vec3 hi) {
    chamfered_box(b, lo, hi, 0.0);
}

void chamfered_box(ModelBuilder& b, Vec3 lo, Vec3 hi, double c) {
    const Vec3 mid = (lo + hi) * 0.5;
    const double h[3] = {(hi.x - lo.x) / 2, (hi.y - lo.y) / 2, (hi.z - lo.z) / 2};
    // A point from per-axis offsets relative to the centre.
    auto point = [&](const double o[3]) { return mid + Vec3{o[0], o[1], o[2]}; };
    auto axis = [](int i, double s) {
        Vec3 v;
        (i == 0 ? v.x : i == 1 ? v.y : v.z) = s;
        return v;
    };
    const double signs[2] = {-1, 1};
    // Faces: coordinate i at +-h, the others at +-(h - c).
    for (int i = 0; i < 3; ++i)
        for (double s : signs) {
            std::vector<Vec3> pts;
            for (double s1 : signs)
                for (double s2 : signs) {
                    double o[3];
                    o[i] = s * h[i];
                    o[(i + 1) % 3] = s1 * (h[(i + 1) % 3] - c);
                    o[(i + 2) % 3] = s2 * (h[(i + 2) % 3] - c);
                    pts.push_back(point(o));
                }
            b.convex_face(pts, axis(i, s));
        }
    if (c <= 0) return;
    // Edge strips between face i (sign si) and face j (sign sj).
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const int k = 3 - i - j;
            for (double si : signs)
                for (double sj : signs) {
                    std::vector<Vec3> pts;
                    for (double sk : signs) {
                        double o[3];
                        o[k] = sk * (h[k] - c);
                        o[i] = si * h[i];
                        o[j] = sj * (h[j] - c);
                        pts.push_back(point(o));
                        o[i] = si * (h[i] - c);
                        o[j] = sj * h[j];
                        pts.push_back(point(o));
                    }
                    b.convex_face(pts, axis(i, si) + axis(j, sj));
                }
        }
    // Corner triangles.
    for (double sx : signs)
        for (double sy : signs)
            for (double sz : signs) {
                const double s[3] = {sx, sy, sz};
                std::vector<Vec3> pts;
                for (int i = 0; i < 3; ++i) {
                    double o[3];
                    for (int j = 0; j < 3; ++j) o[j] = s[j] * (h[j] - (j == i ? 0 : c));
                    pts.push_back(point(o));
                }
                b.convex_face(pts, Vec3{sx, sy, sz});
            }
}

namespace {
Vec3 ring_point(const Ring& r, double a) { return r.centre + (r.e1 * std::cos(a) + r.e2 * std::sin(a)) * r.radius; }
Vec3 ring_radial(const Ring& r, double a) { return r.e1 * std::cos(a) + r.e2 * std::sin(a); }
Vec3 ring_normal(const Ring& r, double a) { return normalize(ring_radial(r, a) * r.nr + r.t * r.nt); }
}  // namespace

void sweep(ModelBuilder& b, const std::vector<Ring>& rings, int segments, Shading shading) {
    const double step = 2 * std::numbers::pi / segments;
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        const Ring& r0 = rings[k];
        const Ring& r1 = rings[k + 1];
        // Flat across the band: the slope from r0 to r1, crossed with the
        // direction round the ring, gives the outward normal.
        auto banded = [&](double a) {
            const Vec3 along = ring_point(r1, a) - ring_point(r0, a);
            const Vec3 round = r0.e2 * std::cos(a) - r0.e1 * std::sin(a);
            return normalize(cross(along, round));
        };
        for (int i = 0; i < segments; ++i) {
            const double a0 = i * step, a1 = (i + 1) * step;
            std::vector<Vec3> pts, ns;
            auto add = [&](const Ring& r, double a) {
                pts.push_back(ring_point(r, a));
                ns.push_back(shading == Shading::smooth ? ring_normal(r, a) : banded(a));
            };
            add(r0, a0);
            if (r0.radius > 0) add(r0, a1);
            add(r1, a1);
            if (r1.radius > 0) add(r1, a0);
            if (pts.size() >= 3) b.face(pts, ns);
        }
    }
}

void ring_cap(ModelBuilder& b, const Ring& ring, int segments, Vec3 outward) {
    const double step = 2 * std::numbers::pi / segments;
    if (segments <= 16) {
        std::vector<Vec3> pts;
        for (int i = 0; i < segments; ++i) pts.push_back(ring_point(ring, i * step));
        b.flat_face(pts, outward);
        return;
    }
    // Two halves along a diameter (segments must be even, at most 30).
    const int half = segments / 2;
    for (int start : {0, half}) {
        std::vector<Vec3> pts;
        for (int i = 0; i <= half; ++i) pts.push_back(ring_point(ring, (start + i) * step));
        b.flat_face(pts, outward);
    }
}

std::vector<Ring> lathe_rings(const Frame& f, const std::vector<std::array<double, 2>>& profile) {
    std::vector<Ring> rings;
    for (const auto& p : profile) {
        Ring r;
        r.centre = f.at(0, p[1], 0);
        r.e1 = f.u;
        r.e2 = f.w;
        r.t = f.v;
        r.radius = p[0];
        rings.push_back(r);
    }
    return rings;
}

void stud(ModelBuilder& b, const Frame& f, double radius, double height, int segments) {
    const auto rings = lathe_rings(f, {{radius, 0}, {radius, height}});
    sweep(b, rings, segments, Shading::smooth);
    ring_cap(b, rings[1], segments, f.v);
}

void closed_cylinder(ModelBuilder& b, const Frame& f, double radius, double height, int segments) {
    const auto rings = lathe_rings(f, {{radius, 0}, {radius, height}});
    sweep(b, rings, segments, Shading::smooth);
    ring_cap(b, rings[0], segments, -f.v);
    ring_cap(b, rings[1], segments, f.v);
}

void bevelled_extrusion(ModelBuilder& b, const std::vector<ProfilePoint>& profile, double x0, double x1,
                        double bevel, const std::vector<std::vector<int>>& cap_parts) {
    const size_t n = profile.size();
    // Twice the signed area in (z, y): positive when counter-clockwise.
    double area = 0;
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint& p = profile[i];
        const ProfilePoint& q = profile[(i + 1) % n];
        area += p.z * q.y - q.z * p.y;
    }
    const double turn = area > 0 ? 1.0 : -1.0;
    // Outward normal of edge i -> i + 1: its right-hand side when the
    // profile runs counter-clockwise.
    std::vector<std::array<double, 2>> edge_normal(n);
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint& p = profile[i];
        const ProfilePoint& q = profile[(i + 1) % n];
        const double dz = q.z - p.z, dy = q.y - p.y, l = std::hypot(dz, dy);
        edge_normal[i] = {turn * dy / l, -turn * dz / l};
    }
    // Each profile point moved inwards so that both its edges move by
    // `bevel` (a mitre): the outline of the end caps.
    std::vector<std::array<double, 2>> inset(n);
    for (size_t i = 0; i < n; ++i) {
        const auto& na = edge_normal[(i + n - 1) % n];
        const auto& nb = edge_normal[i];
        const double d = 1 + na[0] * nb[0] + na[1] * nb[1];
        inset[i] = {profile[i].z - bevel * (na[0] + nb[0]) / d, profile[i].y - bevel * (na[1] + nb[1]) / d};
    }
    auto at = [](double x, double z, double y) { return Vec3{x, y, z}; };
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const bool round = profile[i].round && profile[j].round;
        auto side_normal = [&](size_t k) {
            return round ? Vec3{0, profile[k].ny, profile[k].nz} : Vec3{0, edge_normal[i][1], edge_normal[i][0]};
        };
        const Vec3 ni = side_normal(i), nj = side_normal(j);
        const double xa = x0 + bevel, xb = x1 - bevel;
        b.face({at(xa, profile[i].z, profile[i].y), at(xa, profile[j].z, profile[j].y),
                at(xb, profile[j].z, profile[j].y), at(xb, profile[i].z, profile[i].y)},
               {ni, nj, nj, ni});
        const Vec3 low{-1, 0, 0}, high{1, 0, 0};
        b.face({at(x0, inset[i][0], inset[i][1]), at(x0, inset[j][0], inset[j][1]),
                at(xa, profile[j].z, profile[j].y), at(xa, profile[i].z, profile[i].y)},
               {ni + low, nj + low, nj + low, ni + low});
        b.face({at(xb, profile[i].z, profile[i].y), at(xb, profile[j].z, profile[j].y),
                at(x1, inset[j][0], inset[j][1]), at(x1, inset[i][0], inset[i][1])},
               {ni + high, nj + high, nj + high, ni + high});
    }
    for (const auto& part : cap_parts) {
        std::vector<Vec3> lo, hi;
        for (int k : part) {
            lo.push_back(at(x0, inset[k][0], inset[k][1]));
            hi.push_back(at(x1, inset[k][0], inset[k][1]));
        }
        b.flat_face(lo, {-1, 0, 0});
        b.flat_face(hi, {1, 0, 0});
    }
}
