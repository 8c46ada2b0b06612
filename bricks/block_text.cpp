#include "bricks/block_text.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "embedded/font_bitmap.h"

namespace {
constexpr int gap_columns = 3;      // a byte without a glyph
constexpr int text_segments = 4;    // four-facet studs on lettering
constexpr int no_ink_seen = -2;     // differs from every byte value
}  // namespace

void build_glyph_index() {
    int& glyph_count = brick_state.glyph_count;
    glyph_count = 0;
    if (font_bitmap_size < static_cast<size_t>(font_rows) * font_columns) return;  // damaged data: no glyphs
    int ink = no_ink_seen;
    for (int c = 0; c < font_columns; ++c) {
        for (int r = 0; r < font_rows; ++r) {
            const uint8_t byte = font_bitmap[r * font_columns + c];
            if (byte == font_no_ink || byte == ink) continue;
            if (glyph_count < glyph_capacity) brick_state.glyph_starts[glyph_count++] = c;
            ink = byte;
        }
    }
}

int glyph_number(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') return byte - 'a';
    if (byte >= '0' && byte <= '9') return 26 + (byte - '0');  // digits follow the 26 letters
    return -1;
}

namespace {

// Width in columns of glyph g; 0 when the index does not cover it (before
// build_glyph_index).
int glyph_width(int g) {
    const BricksState& b = brick_state;
    return g + 1 < b.glyph_count ? b.glyph_starts[g + 1] - b.glyph_starts[g] : 0;
}

// Columns taken by one byte of a word, its spacing included.
int advance(unsigned char byte) {
    const int g = glyph_number(byte);
    return g < 0 ? gap_columns : glyph_width(g) + 1;
}

}  // namespace

int block_text_columns(const char* word) {
    int columns = 1;  // the empty column before the first glyph
    if (word == nullptr) return columns;
    for (const char* p = word; *p != '\0' && columns < text_max_columns; ++p)
        columns += advance(static_cast<unsigned char>(*p));
    return columns < text_max_columns ? columns : text_max_columns;
}

int set_block_text(const char* word, uint8_t colour, int invert, int style, TextGrid text_grid) {
    const int columns = block_text_columns(word);
    std::fill_n(text_grid.begin(), static_cast<size_t>(text_rows) * columns, int8_t{0});

    // Ink into rows 1..9, starting at column 1; row 0, row 10 and column 0
    // stay empty.
    int at = 1;
    for (const char* p = word; p != nullptr && *p != '\0' && at < columns; ++p) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        const int g = glyph_number(byte);
        if (g >= 0) {
            const int first = brick_state.glyph_starts[g];
            const int width = glyph_width(g);
            for (int x = 0; x < width && at + x < columns; ++x)
                for (int r = 0; r < font_rows; ++r)
                    if (font_bitmap[r * font_columns + first + x] != font_no_ink)
                        text_grid[(r + 1) * columns + at + x] = 1;
        }
        at += advance(byte);
    }

    for (int r = 0; r < text_rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            int8_t& cell = text_grid[r * columns + c];
            if (invert != 0) cell = static_cast<int8_t>(1 - cell);
            if (cell != 0) cell = static_cast<int8_t>(style == 1 ? colour : colour + (r + c) % 2);
        }
    }
    return columns;
}

void reserve_word_lists() {
    if (brick_state.word_lists == 0) brick_state.word_lists = glGenLists(kept_word_capacity);
}

void draw_block_text(const char* word, uint8_t colour, int invert, int style) {
    int8_t grid[text_grid_cells];
    const int columns = set_block_text(word, colour, invert, style, grid);
    draw_brick_grid(text_segments, std::span(grid, static_cast<size_t>(text_rows) * columns), columns, text_rows, 1);
}

void draw_kept_block_text(const char* word, uint8_t colour, int invert, int style) {
    BricksState& b = brick_state;
    const size_t length = word != nullptr ? std::strlen(word) : sizeof(KeptWord::word);
    if (length >= sizeof(KeptWord::word) || b.glyph_count != glyph_capacity) {
        draw_block_text(word, colour, invert, style);
        return;
    }
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    for (int i = 0; i < b.kept_word_count; ++i) {
        const KeptWord& k = b.kept_words[i];
        if (k.colour == colour && k.invert == invert && k.style == style && k.culling == culling &&
            std::strcmp(k.word, word) == 0) {
            glCallList(b.word_lists + static_cast<GLuint>(i));
            return;
        }
    }
    reserve_word_lists();
    if (b.word_lists == 0 || b.kept_word_count == kept_word_capacity) {  // no names, or every one taken
        draw_block_text(word, colour, invert, style);
        return;
    }
    KeptWord& slot = b.kept_words[b.kept_word_count];
    std::memcpy(slot.word, word, length + 1);
    slot.colour = colour;
    slot.invert = invert;
    slot.style = style;
    slot.culling = culling;
    const GLuint list = b.word_lists + static_cast<GLuint>(b.kept_word_count++);
    int8_t grid[text_grid_cells];
    const int columns = set_block_text(word, colour, invert, style, grid);
    // Told the switch on entry and passing it on, the bricks record what a
    // direct draw_block_text issues, not what a compiled one would (that one
    // reads the switch outside the list for every brick).
    glNewList(list, GL_COMPILE);
    draw_brick_grid_in(BrickRun{culling ? 1 : 0}, text_segments,
                       std::span(grid, static_cast<size_t>(text_rows) * columns), columns, text_rows, 1);
    glEndList();
    glCallList(list);
}
