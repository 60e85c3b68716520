// Which pictured key lies under a point of the client area. The keys sit in three blocks of
// fixed pitch; each key's sensitive area is a little larger than its frame.
#pragma once

#include "bus/keyboard.h"

namespace tolvan {

// A rectangle in client pixels.
struct KeyRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The key code under (x, y), or KeyCode::None when the point is on no key; when it returns a code
// it also stores the key's frame in *rect (if rect is not null).
KeyCode hit_test(int x, int y, KeyRect* rect);

}  // namespace tolvan
