// The font, the glyph index and block text: how words are measured, set
// and coloured in the grid, and the bricks they become.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "brick_probe.h"
#include "bricks/block_text.h"
#include "embedded/font_bitmap.h"
#include "support/gl_test_context.h"

namespace {

// Row r of the word grid as text: '#' for a filled cell, '.' for empty.
std::string grid_row(int r, int columns) {
    std::string row;
    for (int c = 0; c < columns; ++c) row += text_grid[r * columns + c] != 0 ? '#' : '.';
    return row;
}

int filled_cells(int columns) {
    return static_cast<int>(std::count_if(text_grid, text_grid + text_rows * columns, [](int8_t v) { return v != 0; }));
}

class BlockText : public ::testing::Test {
protected:
    void SetUp() override { build_glyph_index(); }
};

}  // namespace

TEST(Font, IsNineRowsOf256ColumnsWithAnEndMarkAndAlternatingInk) {
    ASSERT_EQ(font_bitmap_size, static_cast<size_t>(font_rows * font_columns));
    for (int r = 0; r < font_rows; ++r) {
        EXPECT_EQ(font_bitmap[r * font_columns + 143], 0x00) << "end mark, row " << r;
        for (int c = 144; c < font_columns; ++c) ASSERT_EQ(font_bitmap[r * font_columns + c], font_no_ink) << c;
        for (int c = 0; c < 143; ++c) {
            const uint8_t byte = font_bitmap[r * font_columns + c];
            ASSERT_TRUE(byte == 0x00 || byte == 0x94 || byte == font_no_ink) << r << ", " << c;
        }
    }
}

TEST(Font, GlyphIndexFindsTheFirstColumnOfEveryGlyph) {
    build_glyph_index();
    ASSERT_EQ(glyph_count, 37);
    const int expected[37] = {0,   4,   8,   12,  16,  20,  24,  28,  32,  35,  39,  43,  46,
                              51,  55,  59,  63,  67,  71,  75,  78,  82,  87,  92,  97,  101,
                              105, 109, 112, 116, 120, 124, 128, 132, 135, 139, 143};
    for (int g = 0; g < 37; ++g) EXPECT_EQ(glyph_starts[g], expected[g]) << g;
    build_glyph_index();  // a second run starts over
    EXPECT_EQ(glyph_count, 37);
}

TEST_F(BlockText, WidthIsOnePlusEachGlyphAndItsSpacingPlusThreePerGap) {
    EXPECT_EQ(block_text_columns("i"), 5);
    EXPECT_EQ(block_text_columns("a b"), 14);
    EXPECT_EQ(block_text_columns("for"), 16);
    EXPECT_EQ(block_text_columns("mw"), 13);
    EXPECT_EQ(block_text_columns("07"), 10);
    EXPECT_EQ(block_text_columns(""), 1);
    EXPECT_EQ(block_text_columns(nullptr), 1);
    EXPECT_EQ(block_text_columns("A"), 4) << "a capital is a gap";
    EXPECT_EQ(block_text_columns("\xe9!"), 7) << "punctuation and bytes above 127 are gaps";
}

TEST_F(BlockText, LetterIsSetWithAnEmptyBorderAllAround) {
    ASSERT_EQ(set_block_text("i", 4, 0, 1), 5);
    const char* expected[text_rows] = {".....", "..#..", ".....", "..#..", "..#..", "..#..",
                                       "..#..", ".###.", ".....", ".....", "....."};
    for (int r = 0; r < text_rows; ++r) EXPECT_EQ(grid_row(r, 5), expected[r]) << "row " << r;
    for (int i = 0; i < text_rows * 5; ++i) {
        if (text_grid[i] != 0) {
            EXPECT_EQ(text_grid[i], 4);
        }
    }
}

TEST_F(BlockText, GapsAndSpacingLeaveColumnsEmpty) {
    const int columns = set_block_text("a b", 1, 0, 1);
    ASSERT_EQ(columns, 14);
    // a: columns 1-4; spacing 5; gap 6-8; b: 9-12; spacing 13.
    for (int c : {0, 5, 6, 7, 8, 13})
        for (int r = 0; r < text_rows; ++r) EXPECT_EQ(text_grid[r * columns + c], 0) << c << ", " << r;
    EXPECT_EQ(grid_row(3, columns), ".####....####.");
    EXPECT_EQ(grid_row(1, columns), ".........#....");
}

TEST_F(BlockText, DescendersReachTheLowerRows) {
    set_block_text("p", 1, 0, 1);
    EXPECT_EQ(grid_row(8, 6), ".#....");
    EXPECT_EQ(grid_row(9, 6), ".#....");
    EXPECT_EQ(grid_row(10, 6), "......");
    // g turns down on the right, like q and y.
    set_block_text("g", 1, 0, 1);
    EXPECT_EQ(grid_row(6, 6), ".####.");
    EXPECT_EQ(grid_row(7, 6), "....#.");
    EXPECT_EQ(grid_row(8, 6), ".####.");
    set_block_text("q", 1, 0, 1);
    EXPECT_EQ(grid_row(9, 6), "....#.");
}

TEST_F(BlockText, InvertedWordIsASolidSlabWithTheLettersCutOut) {
    set_block_text("i", 3, 0, 1);
    const int ink = filled_cells(5);
    set_block_text("i", 3, 1, 1);
    EXPECT_EQ(filled_cells(5), text_rows * 5 - ink);
    EXPECT_EQ(grid_row(0, 5), "#####");
    EXPECT_EQ(grid_row(7, 5), "#...#");
    EXPECT_EQ(grid_row(10, 5), "#####");
}

TEST_F(BlockText, CheckerboardStyleAlternatesTheColourAndItsSuccessor) {
    const int columns = set_block_text("tumbo", 3, 1, 18);
    int checked = 0;
    for (int r = 0; r < text_rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int8_t v = text_grid[r * columns + c];
            if (v == 0) continue;
            EXPECT_EQ(v, 3 + (r + c) % 2) << c << ", " << r;
            ++checked;
        }
    EXPECT_GT(checked, 40);
}

TEST_F(BlockText, WordsWiderThanTheGridAreCutOffAtItsLastColumn) {
    const std::string word(400, 'm');  // 1 + 400 * 6 columns
    EXPECT_EQ(block_text_columns(word.c_str()), text_max_columns);
    ASSERT_EQ(set_block_text(word.c_str(), 2, 0, 1), text_max_columns);
    // Column 999 is the fifth column of the 167th m: the right stem.
    EXPECT_EQ(text_grid[3 * text_max_columns + 999], 2);
    EXPECT_EQ(text_grid[10 * text_max_columns + 999], 0);
    // Inverted, the last row is a full slab up to the last cell.
    set_block_text(word.c_str(), 3, 1, 1);
    EXPECT_EQ(text_grid[text_rows * text_max_columns - 1], 3);
}

TEST_F(BlockText, PlainLetterBecomesJoinedBricksWithTheLetterShape) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto bricks = find_bricks(capture_triangles([] { draw_block_text("i", 4, 0, 1); }));
    // Five single cells in the middle column, then the foot: a pair and a
    // single. Columns -4 + 2c, rows 6 - 1.176 r.
    ASSERT_EQ(bricks.size(), 7u);
    auto at = [&](double x, int r) {
        return std::any_of(bricks.begin(), bricks.end(),
                           [&](const FoundBrick& b) { return near(b.centre, {x, 6 - 1.176 * r, 0}); });
    };
    for (int r : {1, 3, 4, 5, 6}) EXPECT_TRUE(at(0, r)) << r;
    EXPECT_TRUE(at(-1, 7));  // pair of columns 1 and 2
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

TEST_F(BlockText, LongWordIsDrawnUpToTheGridsCapacity) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const std::string word(400, 'l');  // 1 + 400 * 4 columns
    const auto triangles = capture_triangles([&] { draw_block_text(word.c_str(), 1, 1, 1); }, 1100);
    double right = -1e9;
    for (const Triangle& t : triangles)
        for (const Vec3& p : t.p) right = std::max(right, p.x);
    EXPECT_NEAR(right, text_max_columns, 1e-2);  // 2 units per column, centred
}
