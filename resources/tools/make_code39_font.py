#!/usr/bin/python3
"""Builds resources/files/fonts/code39.ttf, the "Code 3 de 9" barcode font.

Each glyph is one Code 39 symbol: five full-height bars and four spaces,
three of the nine elements wide (wide:narrow 3:1), followed by one narrow
inter-character gap, so a text such as "*0I12I7*" typed in this font is a
scannable barcode.  Lower-case letters share the glyphs of the capitals.

Run with Debian's python3-fontforge:  /usr/bin/python3 make_code39_font.py
"""

import os
import sys

# Fixed timestamps keep the generated file identical between runs.
os.environ.setdefault("SOURCE_DATE_EPOCH", "1262304000")

import fontforge  # noqa: E402

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import code39  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "..", "files", "fonts", "code39.ttf")

FAMILY = "Code 3 de 9"
EM = 1000
ASCENT = 800
DESCENT = 200
NARROW = 40          # width of a narrow element in font units
WIDE_RATIO = 3

GLYPH_NAMES = {
    " ": "space", "-": "hyphen", ".": "period", "*": "asterisk",
    "$": "dollar", "/": "slash", "+": "plus", "%": "percent",
    "0": "zero", "1": "one", "2": "two", "3": "three", "4": "four",
    "5": "five", "6": "six", "7": "seven", "8": "eight", "9": "nine",
}


def add_rectangle(pen, x0, x1, y0, y1):
    # Clockwise, as TrueType wants for filled outer contours.
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


def draw_symbol(glyph, char):
    pen = glyph.glyphPen()
    x = 0
    for is_bar, width in code39.elements(char, WIDE_RATIO):
        w = width * NARROW
        if is_bar:
            add_rectangle(pen, x, x + w, -DESCENT, ASCENT)
        x += w
    pen = None
    glyph.width = x


def build():
    code39.check_table()
    font = fontforge.font()
    font.encoding = "UnicodeFull"
    font.em = EM
    font.ascent = ASCENT
    font.descent = DESCENT
    font.fontname = "Code3de9"
    font.familyname = FAMILY
    font.fullname = FAMILY
    font.weight = "Regular"
    font.version = "1.0"
    font.copyright = "Warsztat barcode font, drawn from the Code 39 symbology."
    for lang, key, value in (
            ("English (US)", "Family", FAMILY),
            ("English (US)", "SubFamily", "Regular"),
            ("English (US)", "Fullname", FAMILY),
            ("English (US)", "Preferred Family", FAMILY),
            ("English (US)", "Preferred Styles", "Regular")):
        font.appendSFNTName(lang, key, value)

    # Full-height bars: metrics cover exactly the bars so lines can touch.
    font.os2_winascent = ASCENT
    font.os2_winascent_add = False
    font.os2_windescent = DESCENT
    font.os2_windescent_add = False
    font.os2_typoascent = ASCENT
    font.os2_typoascent_add = False
    font.os2_typodescent = -DESCENT
    font.os2_typodescent_add = False
    font.os2_typolinegap = 0
    font.hhea_ascent = ASCENT
    font.hhea_ascent_add = False
    font.hhea_descent = -DESCENT
    font.hhea_descent_add = False
    font.hhea_linegap = 0
    font.os2_weight = 400

    notdef = font.createChar(-1, ".notdef")
    notdef.width = code39.symbol_width(WIDE_RATIO) * NARROW

    for char in code39.PATTERNS:
        name = GLYPH_NAMES.get(char, char)
        glyph = font.createChar(ord(char), name)
        draw_symbol(glyph, char)
        if char.isalpha():
            # The lower-case letter is the same symbol, so any case scans.
            glyph.altuni = ((ord(char.lower()), -1, 0),)
        glyph.correctDirection()

    os.makedirs(os.path.dirname(OUTPUT), exist_ok=True)
    font.generate(os.path.normpath(OUTPUT))
    font.close()
    print("written", os.path.normpath(OUTPUT))


if __name__ == "__main__":
    build()
