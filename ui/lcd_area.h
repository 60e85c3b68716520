// The part of the client area that drawing the LCD can change: the window repaints it after a
// slice that drew, and nothing when the LCD stayed as it was, so that an idle machine costs no
// painting.
#pragma once

#include "base/rect.h"

namespace tolvan {

// The smallest rectangle holding every dot column and every annunciator, lit and unlit.
Rect lcd_area();

}  // namespace tolvan
