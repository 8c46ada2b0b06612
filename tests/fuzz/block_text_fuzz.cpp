// Fuzzes setting words into the block-text grid: any bytes, any length,
// any colour, invert and style. The grid has a fixed size, so an overlong
// word must be cut off, never written past the end.
//
// Input: colour, invert, style (one byte each), then the word.
#include <cstddef>
#include <cstdint>
#include <string>

#include "bricks/block_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool indexed = (build_glyph_index(), true);
    (void)indexed;
    if (size < 3) return 0;
    const std::string word(reinterpret_cast<const char*>(data + 3), size - 3);  // stops at the first NUL
    static int8_t grid[text_grid_cells];
    const int columns = set_block_text(word.c_str(), data[0], data[1], data[2], grid);
    if (columns < 1 || columns > text_max_columns || columns != block_text_columns(word.c_str())) __builtin_trap();
    return 0;
}
