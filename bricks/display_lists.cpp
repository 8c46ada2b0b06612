#include "bricks/display_lists.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "bricks/gl_setup.h"

namespace {

// Palette indices used by the set pieces.
constexpr int8_t yellow = 1, red = 2;  // red + 1 is white, red + 2 blue

// Compiles `draw` into `list` (GL_COMPILE: recorded, not drawn).
template <typename Draw>
void compile(GLuint list, Draw draw) {
    glNewList(list, GL_COMPILE);
    draw();
    glEndList();
}

}  // namespace

bool fill_shape_grid(int box, std::span<int8_t, shape_grid_cells> grid) {
    std::fill(grid.begin(), grid.end(), int8_t{0});
    if (box < 0 || box > max_shape_box) return false;
    const int n = 3 * box;  // last column and layer index
    const int b = 5 * box;  // last row index
    for (int u = 0; u <= n; ++u)
        for (int v = 0; v <= b; ++v)
            for (int w = 0; w <= n; ++w) {
                // On an edge of the box: on the outside in at least two of
                // the three directions.
                const int outside = (u == 0 || u == n) + (v == 0 || v == b) + (w == 0 || w == n);
                if (outside >= 2)
                    grid[grid_index(w, v, u, n + 1, b + 1)] = static_cast<int8_t>(red + (u + v + w) % 2);
            }
    return true;
}

void fill_floor_grid(std::span<int8_t, floor_grid_cells> grid) {
    constexpr int cells = floor_grid_cells;
    constexpr int centre = 20 * floor_grid_side + 20;  // row 20, column 20
    std::fill(grid.begin(), grid.end(), int8_t{0});

    // Oval ring: 315 steps of 0.02 rad go once around (6.3 > 2 pi). 3 columns
    // and 5 rows of radius are close to a circle because rows are 1.176
    // apart and columns 2.0. The -0.5 shifts the columns: dx runs -3..2.
    double t = 0.0;
    for (int step = 0; step < 315; ++step) {
        const int dx = static_cast<int>(std::trunc(3.0 * std::cos(t) - 0.5));
        const int dy = static_cast<int>(std::trunc(5.0 * std::sin(t)));
        const int index = centre + dx + floor_grid_side * dy;
        if (index >= 0 && index < cells) grid[index] = static_cast<int8_t>(red + index % 3);  // red, white, blue
        t += 0.02;
    }

    // Ten scattered cells, yellow or red, continuing the process-wide rand()
    // sequence.
    for (int i = 0; i < 10; ++i) {
        const int a = std::rand();
        const int b = std::rand();
        grid[b % cells] = static_cast<int8_t>(a % 2 + yellow);
    }
}

void build_shape_lists() {
    GLuint (&shape_lists)[3] = brick_state.shape_lists;
    const GLuint first = glGenLists(3);
    int8_t shape_grid[shape_grid_cells];  // scratch for the list being compiled
    for (int box = 0; box < 3; ++box) {
        shape_lists[box] = first + static_cast<GLuint>(box);
        fill_shape_grid(box, shape_grid);
        const int side = 3 * box + 1;
        const int height = 5 * box + 1;
        // Eight-facet studs and tubes; neighbouring frame cells always differ
        // in colour, so nothing joins.
        compile(shape_lists[box], [&] { draw_brick_grid(8, shape_grid, side, height, side); });
    }
}

void build_floor_list() {
    brick_state.floor_list = glGenLists(1);
    int8_t floor_grid[floor_grid_cells];  // scratch for the list being compiled
    fill_floor_grid(floor_grid);
    // Six-facet studs; the grid stands upright, rows down the y axis.
    compile(brick_state.floor_list, [&] { draw_brick_grid(6, floor_grid, floor_grid_side, floor_grid_side, 1); });
}

void build_spiral_lists() {
    GLuint (&spiral_lists)[2] = brick_state.spiral_lists;
    const GLuint first = glGenLists(2);
    struct Spiral {
        int bricks;
        Rgb colour;
    };
    const Spiral spirals[2] = {{55, {1.0f, 1.0f, 1.0f}}, {75, {1.0f, 0.1f, 0.0f}}};
    for (int s = 0; s < 2; ++s) {
        spiral_lists[s] = first + static_cast<GLuint>(s);
        const Spiral& spiral = spirals[s];
        compile(spiral_lists[s], [&] {
            for (int i = 0; i < spiral.bricks; ++i) {
                // Equal areas per brick: the radius grows with the square
                // root of the brick number.
                const double r = 4.0 * std::sqrt(i + 0.5);
                const double a = r / 1.3;  // radians
                glPushMatrix();
                glTranslatef(static_cast<float>(r * std::sin(a) / 1.5), 0.0f, static_cast<float>(r * std::cos(a) / 1.5));
                // 57.3: degrees per radian, as rounded here.
                glRotatef(static_cast<float>(r * 57.3 / 1.3 - 5.0), 0.0f, 1.0f, 0.0f);
                const int width = i % 2 == 0 ? 3 : 2;
                draw_brick(width, 2, 8, 0, spiral.colour.r, spiral.colour.g, spiral.colour.b);
                glPopMatrix();
            }
        });
    }
}

void build_arc_list() {
    GLuint& arc_list = brick_state.arc_lists[0];
    arc_list = glGenLists(1);
    compile(arc_list, [] {
        for (int k = 1; k <= 99; ++k) {
            // Spiral angle: winds up over the upper half, then unwinds
            // towards the bottom pole.
            const double a = k <= 49 ? 4.0 * std::sqrt(static_cast<double>(k))
                                     : 4.0 * (std::numbers::pi / 2.0 - std::sqrt(100.0 - k));
            // Ring radius at height -k/6 on a sphere of radius 50/6 centred
            // at y = -50/6.
            const double s = std::sqrt(std::fabs(2500.0 - (k - 50.0) * (k - 50.0))) / 6.0;
            glPushMatrix();
            glTranslatef(static_cast<float>(s * std::sin(a)), static_cast<float>(-k / 6.0),
                         static_cast<float>(s * std::cos(a)));
            glRotatef(static_cast<float>(a * 57.3), 0.0f, 1.0f, 0.0f);  // 57.3: degrees per radian
            glRotatef(static_cast<float>(k * 1.8 + 180.0), 1.0f, 0.0f, 0.0f);
            if (k % 2 == 1)
                draw_brick(3, 2, 6, 0, 1.0f, 0.1f, 0.0f);  // red
            else
                draw_brick(1, 2, 6, 0, 1.0f, 1.0f, 0.0f);  // yellow
            glPopMatrix();
        }
    });
}

void build_brick_lists() {
    GLuint (&brick_lists)[5] = brick_state.brick_lists;
    const GLuint first = glGenLists(5);
    for (int i = 0; i < 5; ++i) brick_lists[i] = first + static_cast<GLuint>(i);
    // Five-facet studs, three-facet tubes: small on screen, many per frame.
    compile(brick_lists[0], [] { draw_brick(2, 2, 5, 3, 1.0f, 1.0f, 1.0f); });
    compile(brick_lists[1], [] { draw_brick(2, 2, 5, 0, 1.0f, 1.0f, 1.0f); });
    compile(brick_lists[2], [] { draw_brick(2, 2, 5, 3, 0.0f, 0.0f, 0.0f); });
    compile(brick_lists[3], [] { draw_brick(2, 2, 5, 0, 0.0f, 0.0f, 0.0f); });
    compile(brick_lists[4], [] { draw_brick(42, 42, 4, 0, 1.0f, 0.1f, 0.0f); });
}

void set_global_gl_state() { gl_setup::set_switches(0); }  // no light turned off

void build_startup_lists() {
    build_shape_lists();
    build_floor_list();
    // Between the two: the lists above are recorded with culling off, the
    // ones below with it on (draw_brick reads the switch while compiling).
    set_global_gl_state();
    build_spiral_lists();
    build_arc_list();
    build_glyph_index();
    build_brick_lists();
    reserve_word_lists();
}
