// Tells whether an execution slice redrew the LCD, by comparing the part of the client image
// that the LCD drawing can reach with a copy of it; the window repaints only then, so that an
// idle machine costs no painting.
#pragma once

#include <vector>

#include "base/image.h"
#include "base/rect.h"

namespace tolvan {

struct LcdWatch {
    Rect area;  // every pixel that the LCD drawing can change
    std::vector<Rgb> copy;
};

// The smallest rectangle holding every dot column and every annunciator, lit and unlit.
Rect lcd_area();
LcdWatch make_lcd_watch();
// True when the watched area differs from the copy; the copy then takes the new contents.
bool lcd_changed(LcdWatch& watch, const Image& client);

}  // namespace tolvan
