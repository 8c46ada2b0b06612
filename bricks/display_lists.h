// Display lists compiled once at start-up: every brick set piece that does
// not change during the show. Scene effects only replay them.
//
// Thread: the main (render) thread, with the GL context current, before the
// audio is unpaused. build_startup_lists() runs the builders in this
// order, and the order matters:
//   build_shape_lists, build_floor_list,
//   [global GL state: lighting, smooth shading, cull face back, culling on,
//    light 0, depth test],
//   build_spiral_lists, build_arc_list, build_glyph_index, build_brick_lists,
//   reserve_word_lists.
// draw_brick reads the culling switch while a list is compiled, so the
// first two families are recorded with culling off and the rest with it on.
// build_floor_list continues the C library's rand() sequence right after the
// synthesizer's noise table has drawn its values.
//
// Ownership: the handles are written once here and read by the scenes for
// the rest of the run; no list is ever deleted. 0 means not built.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <span>

#include "bricks/bricks_state.h"

#include "bricks/block_text.h"      // build_glyph_index and reserve_word_lists, also part of start-up

// The handles live in brick_state (bricks/bricks_state.h): shape_lists[3]
// wire-frame boxes of red and white bricks, 1x1x1, 4x6x4 and 7x11x7
// cells; floor_list, a 40x40-cell upright grid, empty but for an oval ring
// of 26 bricks around its centre and ten scattered bricks; spiral_lists[2],
// flat spirals of 55 white bricks, then 75 red ones; arc_lists[1], 99 red
// and yellow bricks on a spiral over a sphere of radius 50/6 whose centre
// lies 50/6 below the origin; brick_lists[5], single 2x2 bricks (0 white
// with underside, 1 white open below, 2 black with underside, 3 black open
// below) and 4 a red 42x42 plate.

// Cell grids behind the shape and floor lists, filled without a device
// (the builders below compile them). Both write every cell of `grid`, and
// only those: the length is part of the type.
constexpr int shape_grid_cells = 8000;  // one shape grid; the lists use boxes 0..2
constexpr int floor_grid_side = 40;     // 40x40 cells, one layer
constexpr int floor_grid_cells = floor_grid_side * floor_grid_side;

// Cells of box L: 3L+1 columns, 5L+1 rows and 3L+1 layers.
constexpr int shape_box_cells(int box) { return (3 * box + 1) * (5 * box + 1) * (3 * box + 1); }
// The largest box a shape grid holds (6656 cells; box 6 would take 11191).
constexpr int max_shape_box = 5;
static_assert(shape_box_cells(max_shape_box) <= shape_grid_cells &&
              shape_box_cells(max_shape_box + 1) > shape_grid_cells);

// Box `box` (0..max_shape_box): the twelve edges, alternating red and
// white. Any other box leaves the grid empty and returns false.
bool fill_shape_grid(int box, std::span<int8_t, shape_grid_cells> grid);
// The ring, then ten cells from ten pairs of rand() calls.
void fill_floor_grid(std::span<int8_t, floor_grid_cells> grid);

// Every start-up list, with the global GL state step in its place.
void build_startup_lists();

// The global GL state the show runs with: lighting, smooth shading, back
// faces culled, culling on, light 0, depth test.
void set_global_gl_state();

void build_shape_lists();
void build_floor_list();
void build_spiral_lists();
void build_arc_list();
void build_brick_lists();
