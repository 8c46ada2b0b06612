#include "bricks/brick_grid.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>

#include "bricks/brick.h"
#include "embedded/palette_values.h"

namespace {
static_assert(palette_values_count == palette_size * 3, "data/palette.txt holds three numbers per colour");

constexpr std::array<Rgb, palette_size> make_palette() {
    std::array<Rgb, palette_size> colours{};
    for (int i = 0; i < palette_size; ++i)
        colours[i] = {palette_values[3 * i], palette_values[3 * i + 1], palette_values[3 * i + 2]};
    return colours;
}
}  // namespace

// A compile-time constant, made from the embedded data/palette.txt.
constexpr std::array<Rgb, palette_size> palette = make_palette();

namespace {

// One grid being drawn: its cells and shape, with the neighbour rules.
struct GridWalk {
    const int8_t* cells;
    int columns, rows, layers;
    int segments;

    // The colour index of a cell, 0 for empty and for anything outside the
    // palette.
    int value(int index) const {
        const int v = cells[index];
        return (v >= 1 && v < palette_size) ? v : 0;
    }
    bool filled(int index) const { return value(index) != 0; }

    // Walled in: all six neighbours inside the grid and none of them empty.
    bool hidden(int c, int r, int l, int index) const {
        if (c == 0 || c == columns - 1 || r == 0 || r == rows - 1 || l == 0 || l == layers - 1) return false;
        const int plane = columns * rows;
        return filled(index - 1) && filled(index + 1) && filled(index - columns) && filled(index + columns) &&
               filled(index - plane) && filled(index + plane);
    }

    // Draws row r of layer l with the current matrix at its first cell.
    void row(int r, int l, BrickRun& run) const {
        for (int c = 0; c < columns; ++c) {
            const int index = grid_index(c, r, l, columns, rows);
            const int v = value(index);
            if (v != 0 && !hidden(c, r, l, index)) {
                const Rgb& colour = palette[v];
                const bool top_row = r == 0;
                const bool bottom_row = r == rows - 1;
                if (c < columns - 1 && value(index + 1) == v) {
                    // Joined pair: a 4x2 brick centred between the two cells.
                    // One open cell above (below) is enough to give it studs
                    // (an underside).
                    const bool covered = !top_row && filled(index - columns) && filled(index - columns + 1);
                    const bool resting = !bottom_row && filled(index + columns) && filled(index + columns + 1);
                    glTranslatef(1.0f, 0.0f, 0.0f);
                    draw_brick_in(run, 4, 2, covered ? 0 : segments, resting ? 0 : segments, colour.r, colour.g,
                                  colour.b);
                    glTranslatef(1.0f, 0.0f, 0.0f);
                    ++c;  // the right cell is used up
                } else {
                    const bool covered = !top_row && filled(index - columns);
                    const bool resting = !bottom_row && filled(index + columns);
                    draw_brick_in(run, 2, 2, covered ? 0 : segments, resting ? 0 : segments, colour.r, colour.g,
                                  colour.b);
                }
            }
            glTranslatef(brick_grid::column_pitch, 0.0f, 0.0f);
        }
    }
};

}  // namespace

void draw_brick_grid(int segments, std::span<const int8_t> grid, int columns, int rows, int layers) {
    draw_brick_grid_in(BrickRun{}, segments, grid, columns, rows, layers);
}

void draw_brick_grid_in(BrickRun run, int segments, std::span<const int8_t> grid, int columns, int rows, int layers) {
    if (columns < 1 || rows < 1 || layers < 1) return;
    // columns x rows x layers <= the cells there are, without overflow; cell
    // indices are ints, so a grid counts as at most INT_MAX cells.
    const int64_t cells = static_cast<int64_t>(std::min<size_t>(grid.size(), INT_MAX));
    if (static_cast<int64_t>(columns) * rows > cells / layers) return;
    const GridWalk walk{grid.data(), columns, rows, layers, segments};

    glPushMatrix();
    // To the centre of cell (0, 0, 0); 1.2 * 0.5 is half a brick height per
    // row, which puts the top row slightly above true centring.
    glTranslatef(static_cast<float>(1 - columns), static_cast<float>(rows - 1) * 1.2f * 0.5f,
                 static_cast<float>(layers - 1));
    for (int l = 0; l < layers; ++l) {
        glPushMatrix();
        for (int r = 0; r < rows; ++r) {
            glPushMatrix();
            walk.row(r, l, run);
            glPopMatrix();
            glTranslatef(0.0f, -brick_grid::row_pitch, 0.0f);
        }
        glPopMatrix();
        glTranslatef(0.0f, 0.0f, -brick_grid::layer_pitch);
    }
    glPopMatrix();
}
