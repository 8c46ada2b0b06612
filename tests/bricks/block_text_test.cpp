// The glyph index and block text: how words are measured, set and coloured
// in the word grid, and the bricks they become.
#include <SDL_opengl.h>

#include <cmath>
#include <string>
#include <vector>

#include "brick_probe.h"
#include "bricks/block_text.h"
#include "core/projection.h"
#include "support/feedback.h"

namespace {

using BlockText = GlTest;

int8_t text_grid[text_grid_cells];

// Rows first..last of text_grid, space-separated: '.' for an empty cell,
// else its colour digit.
std::string grid_rows(int first, int last, int columns) {
    std::string rows;
    for (int r = first; r <= last; ++r) {
        if (r > first) rows += ' ';
        for (int c = 0; c < columns; ++c) rows += text_grid[r * columns + c] == 0 ? '.' : char('0' + text_grid[r * columns + c]);
    }
    return rows;
}

}  // namespace

TEST(GlyphIndex, FindsTheFirstColumnOfEveryGlyphAndTheEndMark) {
    build_glyph_index();
    const std::vector<int> expected = {0,  4,  8,  12, 16, 20, 24,  28,  32,  35,  39,  43,  46,  51,  55,  59,  63,  67,  71,
                                       75, 78, 82, 87, 92, 97, 101, 105, 109, 112, 116, 120, 124, 128, 132, 135, 139, 143};
    EXPECT_EQ(std::vector<int>(brick_state.glyph_starts, brick_state.glyph_starts + brick_state.glyph_count), expected);
}

TEST(WordGrid, LettersAreSetWithEmptyBordersSpacingAndGaps) {
    build_glyph_index();
    ASSERT_EQ(set_block_text("i", 4, 0, 1, text_grid), 5);
    EXPECT_EQ(grid_rows(0, 10, 5), "..... ..4.. ..... ..4.. ..4.. ..4.. ..4.. .444. ..... ..... .....");
    ASSERT_EQ(set_block_text("a b", 1, 0, 1, text_grid), 14);
    EXPECT_EQ(grid_rows(3, 3, 14), ".1111....1111.");
    EXPECT_EQ(block_text_columns("A\xe9!"), 10) << "capitals, punctuation and high bytes are gaps";
    // Descenders: p's stem down to row 9; g, as the font draws it, closes
    // on the left at row 7 and ends in a full row 8.
    set_block_text("pg", 1, 0, 1, text_grid);
    EXPECT_EQ(grid_rows(7, 9, 11), ".1111.1.... .1....1111. .1.........");
}

TEST(WordGrid, WordsWiderThanTheGridAreCutOffAtItsLastColumn) {
    build_glyph_index();
    const std::string word(400, 'm');  // 1 + 400 * 6 columns
    ASSERT_EQ(set_block_text(word.c_str(), 2, 0, 1, text_grid), text_max_columns);
    EXPECT_EQ(text_grid[3 * text_max_columns + 999], 2);  // the right stem of the 167th m
}

// Inverted: the whole 11-row block but the letter's 8 cells; checkerboard:
// colours 3 and 4 by (row + column), so no two row neighbours join.
TEST_F(BlockText, InvertedCheckerboardLetterIsASlabOfSinglesInTwoColours) {
    build_glyph_index();
    const Probe p = probe([] { draw_block_text("i", 3, 1, 18); });
    EXPECT_EQ(p.bricks.size(), 5u * text_rows - 8);
    for (const Probe::Brick& b : p.bricks) {
        const long c = std::lround((b.centre.x + 4) / 2), r = std::lround((6 - b.centre.y) / 1.176);
        EXPECT_EQ(b.colour, 3 + (r + c) % 2) << c << ", " << r;
        EXPECT_NEAR(b.width, 2, 1e-3);
    }
}

// A kept word is recorded once per culling switch and then called; either
// way GL draws what draw_block_text draws, and culling ends as it does.
TEST_F(BlockText, KeptWordDrawsWhatADirectDrawDrawsAndKeepsOneListPerCullingSwitch) {
    build_glyph_index();
    auto same = [](const std::vector<FeedbackPolygon>& a, const std::vector<FeedbackPolygon>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i].vertices.size() != b[i].vertices.size()) return false;
            for (size_t k = 0; k < a[i].vertices.size(); ++k) {
                const FeedbackVertex &u = a[i].vertices[k], &v = b[i].vertices[k];
                if (u.x != v.x || u.y != v.y || u.z != v.z || u.r != v.r || u.g != v.g || u.b != v.b) return false;
            }
        }
        return true;
    };
    load_show_projection();
    glTranslatef(0, 0, -25);  // "walking" (66 units wide) reaches out of the view on both sides
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const int kept_before = brick_state.kept_word_count;
    for (const bool culling : {false, true}) {
        const auto direct = [&] {
            culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
            draw_block_text("walking", 5, 0, 1);
        };
        const auto kept = [&] {
            culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
            draw_kept_block_text("walking", 5, 0, 1);
        };
        const std::vector<FeedbackPolygon> expected = capture_polygons(direct);
        ASSERT_GT(expected.size(), 100u);
        EXPECT_TRUE(same(capture_polygons(kept), expected)) << "recorded, culling " << culling;
        EXPECT_TRUE(same(capture_polygons(kept), expected)) << "called, culling " << culling;
        EXPECT_EQ(culling_after(culling, [] { draw_kept_block_text("walking", 5, 0, 1); }),
                  culling_after(culling, [] { draw_block_text("walking", 5, 0, 1); }));
    }
    EXPECT_EQ(brick_state.kept_word_count, kept_before + 2);
}
