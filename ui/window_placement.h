// Where windows go on the screens present: pure decisions over rectangles in the desktop's
// coordinates (device-independent pixels), so that any arrangement of screens can be tried.
// Rectangles here are the windows' frames, title bar and borders included.
#pragma once

#include <vector>

#include "base/rect.h"

namespace tolvan {

// Between the calculator and the debugger's window beside it.
inline constexpr int kBesideGap = 8;

// The window `wanted_width` x `wanted_height` beside `anchor` within `available` (the usable
// area of the anchor's screen): to its right when there is room, else to its left, made
// narrower (down to `narrowest`) to fit beside it, else over it on the side with more room.
// Never larger than the available area, and always inside it.
Rect place_beside(const Rect& anchor, int wanted_width, int wanted_height, const Rect& available,
                  int narrowest);

// The frame moved onto the screen it overlaps most (or the nearest, when it overlaps none), as
// little as needed to lie wholly inside that screen's available area; a frame larger than the
// area keeps its top-left corner in it, so that the title bar can be reached. A frame already
// inside comes back unchanged.
Rect keep_on_screens(const Rect& frame, const std::vector<Rect>& available_areas);

// Whether a frame of this size fits in the area.
bool fits_in(int width, int height, const Rect& available);

}  // namespace tolvan
