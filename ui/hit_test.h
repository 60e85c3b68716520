// Which pictured key lies under a point of the client area. The keys sit in three blocks of
// fixed pitch; each key's sensitive area is a little larger than its frame.
#pragma once

#include "base/rect.h"
#include "bus/keyboard.h"

namespace tolvan {

// The key code under (x, y), or KeyCode::kNone when the point is on no key; when it returns a
// code it also stores the key's frame in *rect (if rect is not null).
KeyCode hit_test(int x, int y, Rect* rect);

}  // namespace tolvan
