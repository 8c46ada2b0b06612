#!/usr/bin/env python3
"""Writes data/font_bitmap.bin: the brick-lettering font, 9 rows of 256
columns, one byte per pixel, stored row by row (row 0 at the top).

0xFF is no ink. Glyphs stand side by side without gaps in the order a-z,
0-9, followed by a one-column end mark; consecutive glyphs alternate their
ink byte between 0x00 and 0x94, which is how the glyph boundaries are found
at start-up (bricks/block_text.cpp). Run once; the output is checked in.

    python3 tools/make_font_bitmap.py data/font_bitmap.bin
"""
import sys

ROWS = 9
COLUMNS = 256
NO_INK = 0xFF
INKS = (0x00, 0x94)

# Glyph, then its nine rows from the top ('#' ink, '.' none).
GLYPHS = [
    ("a", ".... .... #### ...# #### #..# #### .... ...."),
    ("b", "#... #... #### #..# #..# #..# #### .... ...."),
    ("c", ".... .... #### #... #... #... #### .... ...."),
    ("d", "...# ...# #### #..# #..# #..# #### .... ...."),
    ("e", ".... .... #### #..# #### #... #### .... ...."),
    ("f", ".... .... #### #... #### #... #... .... ...."),
    ("g", ".... .... #### #..# #..# #### #... #### ...."),
    ("h", "#... #... #### #..# #..# #..# #..# .... ...."),
    ("i", ".#. ... .#. .#. .#. .#. ### ... ..."),
    ("j", "...# .... ...# ...# ...# ...# #..# .##. ...."),
    ("k", "#... #... #..# #.#. ##.. #.#. #..# .... ...."),
    ("l", "##. .#. .#. .#. .#. .#. ### ... ..."),
    ("m", "..... ..... ##### #.#.# #.#.# #.#.# #.#.# ..... ....."),
    ("n", ".... .... ###. #..# #..# #..# #..# .... ...."),
    ("o", ".... .... #### #..# #..# #..# #### .... ...."),
    ("p", ".... .... #### #..# #..# #..# #### #... #..."),
    ("q", ".... .... #### #..# #..# #..# #### ...# ...#"),
    ("r", ".... .... #### #..# #... #... #... .... ...."),
    ("s", ".... .... #### #... #### ...# #### .... ...."),
    ("t", ".#. .#. ### .#. .#. .#. ### ... ..."),
    ("u", ".... .... #..# #..# #..# #..# #### .... ...."),
    ("v", "..... ..... #...# #...# #...# .#.#. ..#.. ..... ....."),
    ("w", "..... ..... #.#.# #.#.# #.#.# #.#.# ##### ..... ....."),
    ("x", "..... ..... #...# .#.#. ..#.. .#.#. #...# ..... ....."),
    ("y", ".... .... #..# #..# #..# #..# #### ...# ...#"),
    ("z", ".... .... #### ...# .##. #... #### .... ...."),
    ("0", "#### #..# #..# #..# #..# #..# #### .... ...."),
    ("1", ".#. ##. .#. .#. .#. .#. ### ... ..."),
    ("2", "#### #..# ...# #### #... #... #### .... ...."),
    ("3", "#### ...# ...# .### ...# ...# #### .... ...."),
    ("4", "#..# #..# #..# #### ...# ...# ...# .... ...."),
    ("5", "#### #... #... ###. ...# ...# ###. .... ...."),
    ("6", "#### #... #... #### #..# #..# #### .... ...."),
    ("7", "### ..# ..# ### ..# ..# ..# ... ..."),
    ("8", "#### #..# #..# #### #..# #..# #### .... ...."),
    ("9", "#### #..# #..# #### ...# ...# #### .... ...."),
    # End mark: closes the last digit for the boundary search.
    ("end", "# # # # # # # # #"),
]


def build():
    bitmap = bytearray([NO_INK] * (ROWS * COLUMNS))
    column = 0
    for number, (name, pattern) in enumerate(GLYPHS):
        rows = pattern.split()
        assert len(rows) == ROWS, name
        width = len(rows[0])
        assert all(len(r) == width for r in rows), name
        ink = INKS[number % 2]
        for r, row in enumerate(rows):
            for c, pixel in enumerate(row):
                if pixel == "#":
                    bitmap[r * COLUMNS + column + c] = ink
        column += width
    assert column == 144, column  # end mark in column 143
    return bytes(bitmap)


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(build())
