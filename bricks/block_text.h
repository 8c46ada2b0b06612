// Block text: words as three-dimensional brick lettering. A word is set in
// the embedded bitmap font (data/font_bitmap.bin, 9 rows of 256 columns,
// made by tools/make_font_bitmap.py) into an 11-row byte grid, one cell per
// font pixel, and drawn through draw_brick_grid with four-facet studs.
//
// Thread: the main (render) thread only. build_glyph_index() runs once at
// start-up, before the first word is set; set_block_text() and
// draw_block_text() share the scratch grid `text_grid`, so calls must not
// overlap. Nothing here allocates; draw_block_text keeps the display lists
// it makes (see there) for the rest of the run.
#pragma once
#include <cstdint>

// Font layout: glyphs a-z, then 0-9, then a one-column end mark, side by
// side. Byte 0xFF is no ink; consecutive glyphs alternate their ink byte
// (0x00, 0x94), which is how build_glyph_index finds where each begins.
constexpr int font_rows = 9;
constexpr int font_columns = 256;
constexpr uint8_t font_no_ink = 0xFF;

// First font column of every glyph in font order (26 letters, 10 digits,
// then the end mark, which only closes the last digit). Glyph g spans
// glyph_starts[g] .. glyph_starts[g + 1] - 1. Written by build_glyph_index
// at start-up, read-only afterwards.
constexpr int glyph_capacity = 37;
extern int glyph_starts[glyph_capacity];
extern int glyph_count;  // entries filled, 0..37; 37 once built

// The word grid: 11 rows of up to 1000 columns, laid out as a one-layer
// brick grid with `columns` cells per row. Scratch, overwritten by every
// set_block_text / draw_block_text call.
constexpr int text_rows = 11;
constexpr int text_max_columns = 1000;
extern int8_t text_grid[text_rows * text_max_columns];

// Scans the font column by column, top to bottom, and records a glyph
// start wherever the ink byte changes.
void build_glyph_index();

// Reserves the list names of the words draw_block_text keeps (one
// glGenLists call; start-up makes it, so that the names of the lists the
// scenes make later follow one another). The first word drawn reserves
// them if start-up did not. Needs the GL context.
constexpr int cached_word_capacity = 16;  // the show draws 15 words outside lists
void reserve_word_lists();

// Glyph number of a byte: 0-25 for a-z, 26-35 for 0-9, -1 for every other
// byte (drawn as a three-column gap).
int glyph_number(unsigned char byte);

// Grid columns that `word` needs: 1, plus width + 1 per glyph and 3 per
// other byte, capped at text_max_columns. A null word counts as empty.
int block_text_columns(const char* word);

// Sets `word` into text_grid and returns its column count. Ink becomes a
// brick; with `invert` non-zero every other cell of the 11-row block does
// instead. Bricks take `colour` when style is 1, and a checkerboard of
// `colour` and `colour` + 1 for any other style. A one-cell empty border
// surrounds the ink and one empty column follows each glyph. Words wider
// than text_max_columns are cut off at the right.
int set_block_text(const char* word, uint8_t colour, int invert, int style);

// Sets `word` and draws it as bricks centred on x = 0, z = 0: 2 units per
// column, 11 rows 1.176 apart with the top row at y = 6, one brick deep.
// The modelview matrix is the same on return. Outside a display list, a
// word that lies wholly inside the view volume is drawn from a list of its
// own, recorded the first time (per colour, invert, style and culling
// switch on entry) with exactly the commands a direct draw issues, so that
// later calls skip building them (up to cached_word_capacity words of up to
// 31 bytes); other calls draw brick by brick. Inside a list being compiled
// the bricks go into that list.
void draw_block_text(const char* word, uint8_t colour, int invert, int style);
