// The blocky character: a little person built from toy bricks, standing on
// y = -3.233 and facing +z. Legs, hips, body, arms, hands, head and
// backpack are bevelled bricks (so the seams between them show), with studs
// where their tops are free; the eyes and mouth are black pieces on the
// front of the head; a black top hat sits towards the back of the head.
//
// Units are stud pitches; a brick is 1.2 high, a plate 0.4.
#include "figures/figure_models.h"
#include "figures/model_builder.h"

namespace {

constexpr double ground = -3.233;
constexpr double brick = 1.2;      // height of one brick
constexpr double plate = 0.4;      // height of one plate
constexpr double chamfer = 0.05;   // bevel on every brick edge
constexpr double stud_radius = 0.3;
constexpr double stud_height = 0.2;
constexpr int stud_segments = 12;

// Layer heights, bottom up.
constexpr double leg_top = ground + 2 * brick;   // two bricks per leg
constexpr double hip_top = leg_top + plate;      // one plate across both legs
constexpr double body_top = hip_top + 2 * brick; // two bricks of body
constexpr double head_top = body_top + 2 * brick;
constexpr double brim_top = head_top + 0.3;
constexpr double hat_top = 6.970;                // the crown's top: the figure's highest point
constexpr double hat_z = -0.5;                   // the hat sits back on the head

void materials(ModelBuilder& b) {
    b.material("blak", {0.053f, 0.053f, 0.053f}, {0.013f, 0.013f, 0.013f});
    b.material("bluu", {0.12f, 0.12f, 0.12f}, {0.04f, 0.193f, 1});
    b.material("default", {0.107f, 0.107f, 0.107f}, {1, 1, 1});
    b.material("redi", {0.14f, 0.14f, 0.14f}, {1, 0.173f, 0});
    b.material("yellowi", {0.16f, 0.16f, 0.16f}, {0.973f, 0.94f, 0.162f});
}

void brick_box(ModelBuilder& b, Vec3 low, Vec3 high) { chamfered_box(b, low, high, chamfer); }

// One stud per unit square of the area, on its centre.
void studs_on(ModelBuilder& b, double x0, double x1, double z0, double z1, double top) {
    for (double x = x0 + 0.5; x < x1; x += 1)
        for (double z = z0 + 0.5; z < z1; z += 1) {
            Frame f;
            f.origin = {x, top, z};
            stud(b, f, stud_radius, stud_height, stud_segments);
        }
}

void cube(ModelBuilder& b) {
    b.object("cube1");

    b.group("yellowi");
    brick_box(b, {-1, body_top, -1}, {1, body_top + brick, 1});  // head, two bricks
    brick_box(b, {-1, body_top + brick, -1}, {1, head_top, 1});
    for (double x : {-3.0, 2.0}) brick_box(b, {x, hip_top - brick, -0.5}, {x + 1, hip_top, 0.5});  // hands, 1 x 1

    b.group("redi");
    brick_box(b, {-2, hip_top, -1}, {2, hip_top + brick, 1});
    brick_box(b, {-2, hip_top + brick, -1}, {2, body_top, 1});

    b.group("default");
    for (double x : {-3.0, 2.0}) {  // arms: two 1 x 2 bricks each, studs on the shoulders
        brick_box(b, {x, hip_top, -1}, {x + 1, hip_top + brick, 1});
        brick_box(b, {x, hip_top + brick, -1}, {x + 1, body_top, 1});
        studs_on(b, x, x + 1, -1, 1, body_top);
    }
    constexpr double pack_back = -2.52;  // backpack, behind the body
    brick_box(b, {-1, hip_top + plate, pack_back}, {1, body_top, -1});
    studs_on(b, -1, 1, pack_back + 0.26, -1, body_top);  // one row along the middle of its 1.52 depth

    b.group("bluu");
    for (double x : {-2.0, 0.0}) {  // legs: two 2 x 2 bricks each
        brick_box(b, {x, ground, -1}, {x + 2, ground + brick, 1});
        brick_box(b, {x, ground + brick, -1}, {x + 2, leg_top, 1});
    }
    brick_box(b, {-2, leg_top, -1}, {2, hip_top, 1});

    b.group("blak");
    constexpr double eye_y = body_top + 1.55;
    constexpr double eye_x = 0.45;        // either side of the middle
    constexpr double eye_radius = 0.17;
    constexpr double eye_depth = 0.036;   // how far the eyes stand out of the face
    for (double x : {-eye_x, eye_x}) {
        Frame f;  // cylinder along +z standing on the face
        f.origin = {x, eye_y, 1};
        f.u = {1, 0, 0};
        f.v = {0, 0, 1};
        f.w = cross(f.u, f.v);
        closed_cylinder(b, f, eye_radius, eye_depth, 8);
    }
    box(b, {-0.5, body_top + 0.45, 1}, {0.5, body_top + 0.65, 1.03});  // mouth: a 1 x 0.2 tile on the lower brick
}

void hat(ModelBuilder& b) {
    Frame f;
    f.origin = {0, 0, hat_z};
    b.object("cylinder2");  // brim
    b.group("blak");
    {
        constexpr double r = 1.5, edge = 0.1;  // radius, bevel round the top
        const auto rings = lathe_rings(f, {{r, head_top}, {r, brim_top - edge}, {r - edge, brim_top}});
        sweep(b, rings, 16, Shading::banded);
        ring_cap(b, rings.front(), 16, {0, -1, 0});
        ring_cap(b, rings.back(), 16, {0, 1, 0});
    }
    b.object("cylinder3");  // crown
    b.group("blak");
    {
        // Starts inside the brim; the wall is split where a hat band would be.
        constexpr double r = 1.0, edge = 0.1, band = 0.5;
        const auto rings = lathe_rings(
            f, {{r, brim_top - 0.05}, {r, brim_top + band}, {r, hat_top - edge}, {r - edge, hat_top}});
        sweep(b, rings, 24, Shading::banded);
        ring_cap(b, rings.front(), 24, {0, -1, 0});
        ring_cap(b, rings.back(), 24, {0, 1, 0});
    }
}

}  // namespace

MeshSource build_blocky_figure() {
    ModelBuilder b;
    materials(b);
    cube(b);
    hat(b);
    return b.source();
}
