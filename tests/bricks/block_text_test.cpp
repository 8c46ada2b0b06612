// The glyph index and block text: how words are measured, set and coloured
// in the grid, and the bricks they become.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "brick_probe.h"
#include "bricks/block_text.h"
#include "support/gl_test_context.h"

namespace {

// Row r of the word grid: '#' for a filled cell, '.' for empty.
std::string grid_row(int r, int columns) {
    std::string row;
    for (int c = 0; c < columns; ++c) row += text_grid[r * columns + c] != 0 ? '#' : '.';
    return row;
}

class BlockText : public ::testing::Test {
protected:
    void SetUp() override { build_glyph_index(); }
};

}  // namespace

TEST(GlyphIndex, FindsTheFirstColumnOfEveryGlyphAndTheEndMark) {
    build_glyph_index();
    ASSERT_EQ(glyph_count, 37);
    const int expected[37] = {0,  4,  8,  12, 16, 20, 24,  28,  32,  35,  39,  43,  46,  51,  55,  59,  63,  67,  71,
                              75, 78, 82, 87, 92, 97, 101, 105, 109, 112, 116, 120, 124, 128, 132, 135, 139, 143};
    for (int g = 0; g < 37; ++g) EXPECT_EQ(glyph_starts[g], expected[g]) << g;
}

TEST_F(BlockText, WidthIsOnePlusEachGlyphAndItsSpacingPlusThreePerGap) {
    EXPECT_EQ(block_text_columns("i"), 5);
    EXPECT_EQ(block_text_columns("a b"), 14);
    EXPECT_EQ(block_text_columns("for"), 16);
    EXPECT_EQ(block_text_columns("mw07"), 22);
    EXPECT_EQ(block_text_columns(""), 1);
    EXPECT_EQ(block_text_columns("A\xe9!"), 10) << "capitals, punctuation and high bytes are gaps";
}

TEST_F(BlockText, LettersAreSetWithEmptyBordersAndSpacing) {
    ASSERT_EQ(set_block_text("i", 4, 0, 1), 5);
    const char* expected[text_rows] = {".....", "..#..", ".....", "..#..", "..#..", "..#..",
                                       "..#..", ".###.", ".....", ".....", "....."};
    for (int r = 0; r < text_rows; ++r) EXPECT_EQ(grid_row(r, 5), expected[r]) << "row " << r;
    EXPECT_EQ(*std::max_element(text_grid, text_grid + 55), 4);

    ASSERT_EQ(set_block_text("a b", 1, 0, 1), 14);
    EXPECT_EQ(grid_row(1, 14), ".........#....");
    EXPECT_EQ(grid_row(3, 14), ".####....####.");
    // Descenders: p down to row 9, g's tail on its left down to row 8.
    set_block_text("pg", 1, 0, 1);
    EXPECT_EQ(grid_row(7, 11), ".####.#....");
    EXPECT_EQ(grid_row(8, 11), ".#....####.");
    EXPECT_EQ(grid_row(9, 11), ".#.........");
}

TEST_F(BlockText, InvertedWordIsASolidSlabWithTheLettersCutOut) {
    set_block_text("i", 3, 1, 1);
    EXPECT_EQ(grid_row(0, 5), "#####");
    EXPECT_EQ(grid_row(1, 5), "##.##");
    EXPECT_EQ(grid_row(7, 5), "#...#");
    EXPECT_EQ(grid_row(10, 5), "#####");
    EXPECT_EQ(std::count(text_grid, text_grid + 55, 0), 8);  // the ink of i
}

TEST_F(BlockText, CheckerboardStyleAlternatesTheColourAndItsSuccessor) {
    const int columns = set_block_text("tumbo", 3, 1, 18);
    int filled = 0;
    for (int r = 0; r < text_rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int8_t v = text_grid[r * columns + c];
            if (v == 0) continue;
            EXPECT_EQ(v, 3 + (r + c) % 2) << c << ", " << r;
            ++filled;
        }
    EXPECT_GT(filled, 200);
}

TEST_F(BlockText, WordsWiderThanTheGridAreCutOffAtItsLastColumn) {
    const std::string word(400, 'm');  // 1 + 400 * 6 columns
    ASSERT_EQ(set_block_text(word.c_str(), 2, 0, 1), text_max_columns);
    // Column 999 is the last column of the 167th m: its right stem.
    EXPECT_EQ(text_grid[3 * text_max_columns + 999], 2);
    set_block_text(word.c_str(), 3, 1, 1);
    EXPECT_EQ(text_grid[text_rows * text_max_columns - 1], 3);
}

TEST_F(BlockText, PlainLetterBecomesJoinedBricksInTheLetterShape) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto bricks = find_bricks(capture_triangles([] { draw_block_text("i", 4, 0, 1); }));
    // Five singles in the middle column, then the foot as a pair and a
    // single; columns at -4 + 2c, rows at 6 - 1.176 r.
    ASSERT_EQ(bricks.size(), 7u);
    auto at = [&](double x, int r) {
        return std::any_of(bricks.begin(), bricks.end(),
                           [&](const FoundBrick& b) { return near(b.centre, {x, 6 - 1.176 * r, 0}); });
    };
    for (int r : {1, 3, 4, 5, 6}) EXPECT_TRUE(at(0, r)) << r;
    EXPECT_TRUE(at(-1, 7));
    EXPECT_TRUE(at(2, 7));
    for (const FoundBrick& b : bricks) EXPECT_EQ(b.colour, 4);
}

TEST_F(BlockText, CheckerboardLetterIsAllSinglesInTwoColours) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto bricks = find_bricks(capture_triangles([] { draw_block_text("i", 3, 0, 18); }));
    ASSERT_EQ(bricks.size(), 8u);
    for (const FoundBrick& b : bricks) {
        EXPECT_NEAR(b.width, 2, 1e-4);
        const int c = static_cast<int>(std::lround((b.centre.x + 4) / 2));
        const int r = static_cast<int>(std::lround((6 - b.centre.y) / 1.176));
        EXPECT_EQ(b.colour, 3 + (r + c) % 2) << c << ", " << r;
    }
}

TEST_F(BlockText, EmptyWordDrawsNothingPlainAndOneColumnInverted) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    EXPECT_TRUE(capture_triangles([] { draw_block_text("", 4, 0, 1); }).empty());
    const auto bricks = find_bricks(capture_triangles([] { draw_block_text("", 4, 1, 1); }));
    ASSERT_EQ(bricks.size(), 11u);
    for (const FoundBrick& b : bricks) EXPECT_NEAR(b.centre.x, 0, 1e-4);
}
