// The bricks module's state: the glyph index of the font, the handles of
// the display lists compiled at start-up, and the words kept in lists of
// their own. Written by start-up (build_startup_lists, build_glyph_index)
// and by draw_kept_block_text; read by the scenes and the effects.
//
// Thread: the main (render) thread only; nothing here crosses threads.
// Ownership: `brick_state` is static and zero at program start; list handles
// name lists that live until the process ends (no list is ever deleted).
// Scratch cells (a word's grid, the grids behind the start-up lists) are
// locals of the functions that fill them, not state.
#pragma once
#include <GL/gl.h>

#include <cstdint>

// Glyphs of the embedded font: 26 letters, 10 digits and the end mark that
// closes the last digit (bricks/block_text.h).
constexpr int glyph_capacity = 37;
// Words drawn outside lists that are kept in lists of their own; the show
// draws 15 (bricks/block_text.h, draw_kept_block_text).
constexpr int kept_word_capacity = 16;

// One kept word: what a call was asked for, and the culling switch it found
// (the commands the bricks issue depend on it).
struct KeptWord {
    char word[32];  // NUL-terminated; longer words are not kept
    uint8_t colour;
    int invert, style;
    bool culling;
};

struct BricksState {
    // First font column of every glyph in font order; glyph g spans
    // glyph_starts[g] .. glyph_starts[g + 1] - 1. Written once at start-up
    // by build_glyph_index, read-only afterwards.
    int glyph_starts[glyph_capacity];
    int glyph_count;  // entries filled, 0..37; 37 once built

    // Start-up lists (bricks/display_lists.h), written once by
    // build_startup_lists; 0 until built.
    GLuint shape_lists[3];  // wire-frame boxes 1x1x1, 4x6x4, 7x11x7 cells
    GLuint floor_list;      // the tunnel's ring grid
    GLuint spiral_lists[2];  // 55 white, then 75 red bricks on a flat spiral
    GLuint arc_lists[1];    // 99 bricks on a spiral over a sphere
    GLuint brick_lists[5];  // single 2x2 bricks and the 42x42 plate

    // Kept words: the first of kept_word_capacity consecutive list names,
    // 0 until reserved; entries 0..kept_word_count-1 of kept_words are
    // taken, list word_lists + i holding kept_words[i].
    GLuint word_lists;
    int kept_word_count;  // 0..kept_word_capacity
    KeptWord kept_words[kept_word_capacity];
};
extern BricksState brick_state;
