// Bitmap fonts drawn for this artwork, and text drawing with them.
#pragma once

#include <span>
#include <string_view>

#include "base/image.h"

namespace tolvan {

// One character: rows of '#' (ink) and '.' (none), separated by '/'; the first row sits `top`
// rows below the top of the capitals (negative above it, beyond the cap height a descender).
struct Glyph {
    char32_t code;
    int top;
    std::string_view rows;
};

struct Font {
    std::span<const Glyph> glyphs;
    int cap_height;
    int spacing;      // blank columns between characters
    int space_width;  // advance of ' '
};

// Capitals, digits and signs 3 x 5 (M, N and W wider): long key words and small print.
const Font& small_font();

// Capitals and digits 5 x 7 (many letters 4 wide), the lower-case letters of the function
// names with descenders, signs, arrows and the key symbols: the LCD annunciators and most key
// legends.
const Font& medium_font();

// Bold capitals 9 rows high with two-pixel strokes, for the model name.
const Font& logo_font();

int text_width(const Font& font, std::u32string_view text);

// Draws text with the top of its capitals at y. Characters the font lacks draw nothing.
void draw_text(Image& image, const Font& font, int x, int y, std::u32string_view text, Rgb ink);

// Draws one glyph shape at (x, y) without a font (for marks drawn from the same notation).
void draw_rows(Image& image, int x, int y, std::string_view rows, Rgb ink);

}  // namespace tolvan
