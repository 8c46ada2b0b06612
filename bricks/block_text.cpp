#include "bricks/block_text.h"

#include <GL/gl.h>

#include <cstring>

#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "embedded/font_bitmap.h"

int glyph_starts[glyph_capacity];
int glyph_count = 0;
int8_t text_grid[text_rows * text_max_columns];

namespace {
constexpr int gap_columns = 3;      // a byte without a glyph
constexpr int text_segments = 4;    // four-facet studs on lettering
constexpr int no_ink_seen = -2;     // differs from every byte value
}  // namespace

void build_glyph_index() {
    glyph_count = 0;
    if (font_bitmap_size < static_cast<size_t>(font_rows) * font_columns) return;  // damaged data: no glyphs
    int ink = no_ink_seen;
    for (int c = 0; c < font_columns; ++c) {
        for (int r = 0; r < font_rows; ++r) {
            const uint8_t byte = font_bitmap[r * font_columns + c];
            if (byte == font_no_ink || byte == ink) continue;
            if (glyph_count < glyph_capacity) glyph_starts[glyph_count++] = c;
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
int glyph_width(int g) { return g + 1 < glyph_count ? glyph_starts[g + 1] - glyph_starts[g] : 0; }

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

int set_block_text(const char* word, uint8_t colour, int invert, int style) {
    const int columns = block_text_columns(word);
    std::memset(text_grid, 0, static_cast<size_t>(text_rows) * columns);

    // Ink into rows 1..9, starting at column 1; row 0, row 10 and column 0
    // stay empty.
    int at = 1;
    for (const char* p = word; p != nullptr && *p != '\0' && at < columns; ++p) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        const int g = glyph_number(byte);
        if (g >= 0) {
            const int first = glyph_starts[g];
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

namespace {

// Words drawn outside a list, each compiled into a list of its own the
// first time and called from then on. What a direct draw issues depends on
// the arguments, on the culling switch on entry and, for the cut of the
// quads, on whether GL clips them (bricks/brick.h, QuadCut). A list is
// compiled as a direct draw with that switch and nothing clipped, and is
// called only when the whole word lies inside the view volume; a word that
// reaches out of it is drawn brick by brick, as before. Either way the
// commands are those of a direct draw.
struct CachedWord {
    char word[32];     // the word, NUL-terminated; longer words are not kept
    uint8_t colour;
    int invert, style;
    bool culling;      // the culling switch on entry
};
// Render thread. `word_lists` is the first of cached_word_capacity list
// names, 0 until reserved; entries 0..cached_word_count-1 are taken.
CachedWord cached_words[cached_word_capacity];
int cached_word_count = 0;
GLuint word_lists = 0;

// Whether the word set with `columns` columns lies inside the view volume:
// cells are 2 units wide, centred on x = 0; rows run from y = 6 (studs to
// 0.85 above a row's centre) down 10 row pitches (bricks reach 0.6 below a
// centre); one brick 2 deep centred on z = 0. 0.01 of margin all round.
bool word_inside_view(int columns) {
    constexpr double margin = 0.01;
    const double half_width = columns * brick_grid::column_pitch / 2 + margin;
    const double top = 0.6 * (text_rows - 1) + (brick::stud_top - brick::body_height / 2) + margin;
    const double bottom =
        0.6 * (text_rows - 1) - brick_grid::row_pitch * (text_rows - 1) - brick::body_height / 2 - margin;
    return box_inside_view(-half_width, half_width, bottom, top, -1 - margin, 1 + margin);
}

}  // namespace

void reserve_word_lists() {
    if (word_lists == 0) word_lists = glGenLists(cached_word_capacity);
}

void draw_block_text(const char* word, uint8_t colour, int invert, int style) {
    const int columns = set_block_text(word, colour, invert, style);
    // A list cannot be made inside another: while one is being compiled the
    // bricks go into it. Before the glyph index is built words are not kept.
    const size_t length = word != nullptr ? std::strlen(word) : sizeof(CachedWord::word);
    if (compiling_display_list() || length >= sizeof(CachedWord::word) || glyph_count != glyph_capacity ||
        !word_inside_view(columns)) {
        draw_brick_grid(text_segments, text_grid, columns, text_rows, 1);
        return;
    }
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    for (int i = 0; i < cached_word_count; ++i) {
        const CachedWord& c = cached_words[i];
        if (c.colour == colour && c.invert == invert && c.style == style && c.culling == culling &&
            std::strcmp(c.word, word) == 0) {
            glCallList(word_lists + static_cast<GLuint>(i));
            return;
        }
    }
    reserve_word_lists();
    if (word_lists == 0 || cached_word_count == cached_word_capacity) {  // no names, or every one taken
        draw_brick_grid(text_segments, text_grid, columns, text_rows, 1);
        return;
    }
    CachedWord& slot = cached_words[cached_word_count];
    std::memcpy(slot.word, word, length + 1);
    slot.colour = colour;
    slot.invert = invert;
    slot.style = style;
    slot.culling = culling;
    const GLuint list = word_lists + static_cast<GLuint>(cached_word_count++);
    glNewList(list, GL_COMPILE);
    draw_brick_grid_in(BrickRun{culling ? 1 : 0, QuadCut::unclipped}, text_segments, text_grid, columns, text_rows,
                       1);
    glEndList();
    glCallList(list);
}
