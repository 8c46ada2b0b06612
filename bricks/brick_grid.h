// Brick grid: a three-dimensional grid of byte cells drawn as 2x2 toy
// bricks in palette colours. Equal neighbours in a row join into one 4x2
// brick (greedily from the left), studs and undersides covered by another
// brick are left out, and cells walled in on all six sides are not drawn.
// Block lettering, the start-up display lists and the closing brick wall
// all draw through here.
//
// Thread: the main (render) thread only, with the GL context current.
// Ownership: the grid belongs to the caller and is only read, within the
// length it comes with; `palette` is fixed program data, read-only after
// static initialisation.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "bricks/brick.h"

struct Rgb {
    float r, g, b;  // diffuse colour, 0..1
};

// Brick colours by cell value, from the embedded data/palette.txt: 0 empty
// (never drawn), 1 yellow, 2 red, 3 white, 4 blue, 5 green, 6 and 7 black.
constexpr int palette_size = 8;
extern const std::array<Rgb, palette_size> palette;

// Cell spacing in the caller's frame. Bricks are 1.2 high, so vertically
// neighbouring bricks overlap by 0.024.
namespace brick_grid {
constexpr float column_pitch = 2.0f;  // along +x
constexpr float row_pitch = 1.176f;   // downwards along y
constexpr float layer_pitch = 2.0f;   // towards -z
}  // namespace brick_grid

// Index of the cell at column c, row r (0 = top), layer l.
constexpr int grid_index(int c, int r, int l, int columns, int rows) { return (l * rows + r) * columns + c; }

// Draws `grid` (columns x rows x layers cells, layer by layer, each layer
// row by row from the top, each row left to right) as bricks. A cell value
// is read as a signed byte: 0 is empty, 1..7 selects a palette colour, and
// any other value counts as empty (never drawn, never covers a neighbour),
// so no value indexes outside the palette. `segments` is the facet count of
// every stud and underside that shows.
//
// The cell at (c, r, l) is centred at x = 1 - columns + 2c,
// y = 0.6 (rows - 1) - 1.176 r, z = layers - 1 - 2l: centred in x and z,
// the top row at +0.6 (rows - 1). A joined pair is centred between its two
// cells. Non-positive sizes, or a grid with fewer than columns x rows x
// layers cells, draw nothing: no cell beyond the grid's length is ever read.
// A C array passes with its length (`int8_t wall[99]; draw_brick_grid(6,
// wall, 9, 11, 1);`). The modelview matrix is the same on return.
void draw_brick_grid(int segments, std::span<const int8_t> grid, int columns, int rows, int layers);

// draw_brick_grid with every brick told the culling switch by `run`
// (bricks/brick.h), the switch passed on from brick to brick. With
// run.culling set to the switch on entry, a display list compiled from it
// holds exactly the commands that a direct draw_brick_grid issues
// (draw_brick_grid itself, compiled, reads the switch outside the list for
// every brick).
void draw_brick_grid_in(BrickRun run, int segments, std::span<const int8_t> grid, int columns, int rows, int layers);
