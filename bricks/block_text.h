// Block text: words as three-dimensional brick lettering. A word is set in
// the embedded bitmap font (data/font_bitmap.bin, 9 rows of 256 columns,
// made by tools/make_font_bitmap.py) into an 11-row byte grid, one cell per
// font pixel, and drawn through draw_brick_grid with four-facet studs.
//
// Thread: the main (render) thread only. build_glyph_index() runs once at
// start-up, before the first word is set. Each draw sets its word into a
// grid of its own on the stack. Nothing here allocates;
// draw_kept_block_text keeps the display lists it makes (see there) for the
// rest of the run. The glyph index and the kept words live in
// `brick_state` (bricks/bricks_state.h).
#pragma once
#include <cstdint>
#include <span>

#include "bricks/bricks_state.h"

// Font layout: glyphs a-z, then 0-9, then a one-column end mark, side by
// side. Byte 0xFF is no ink; consecutive glyphs alternate their ink byte
// (0x00, 0x94), which is how build_glyph_index finds where each begins.
constexpr int font_rows = 9;
constexpr int font_columns = 256;
constexpr uint8_t font_no_ink = 0xFF;

// A word grid: 11 rows of up to 1000 columns, laid out as a one-layer
// brick grid with `columns` cells per row. Whoever sets a word owns its
// grid (11,000 bytes, small enough for the stack).
constexpr int text_rows = 11;
constexpr int text_max_columns = 1000;
constexpr int text_grid_cells = text_rows * text_max_columns;
using TextGrid = std::span<int8_t, text_grid_cells>;

// Scans the font column by column, top to bottom, and records a glyph
// start in brick_state.glyph_starts wherever the ink byte changes.
void build_glyph_index();

// Reserves the list names of the words draw_kept_block_text keeps (one
// glGenLists call of kept_word_capacity names; start-up makes it, so that
// the names of the lists the scenes make later follow one another). The
// first kept word reserves them if start-up did not. Needs the GL context.
void reserve_word_lists();

// Glyph number of a byte: 0-25 for a-z, 26-35 for 0-9, -1 for every other
// byte (drawn as a three-column gap).
int glyph_number(unsigned char byte);

// Grid columns that `word` needs: 1, plus width + 1 per glyph and 3 per
// other byte, capped at text_max_columns. A null word counts as empty.
int block_text_columns(const char* word);

// Sets `word` into `grid` and returns its column count. Ink becomes a
// brick; with `invert` non-zero every other cell of the 11-row block does
// instead. Bricks take `colour` when style is 1, and a checkerboard of
// `colour` and `colour` + 1 for any other style. A one-cell empty border
// surrounds the ink and one empty column follows each glyph. Words wider
// than text_max_columns are cut off at the right.
int set_block_text(const char* word, uint8_t colour, int invert, int style, TextGrid grid);

// Sets `word` and draws it as bricks centred on x = 0, z = 0: 2 units per
// column, 11 rows 1.176 apart with the top row at y = 6, one brick deep,
// brick by brick through draw_brick_grid. The modelview matrix is the same
// on return. Works alike inside a list being compiled and outside one.
void draw_block_text(const char* word, uint8_t colour, int invert, int style);

// draw_block_text for a word drawn outside any list, frame after frame:
// recorded the first time (per word, colour, invert, style and culling
// switch on entry) into a list of its own, with exactly the commands
// draw_block_text issues, and called from then on, so later frames skip
// building them. Up to kept_word_capacity words of up to 31 bytes are
// kept; others, and words before the glyph index is built, are drawn by
// draw_block_text. Never call it while a list is being compiled (lists do
// not nest): use draw_block_text there. The only GL state it reads is the
// culling switch.
void draw_kept_block_text(const char* word, uint8_t colour, int invert, int style);
