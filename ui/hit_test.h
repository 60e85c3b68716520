// Which pictured key lies under a point of the client area. The keys sit in three blocks of
// fixed pitch; each key's sensitive area is a little larger than its frame.
#pragma once

namespace tolvan {

// A rectangle in client pixels.
struct KeyRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kEnterKey = 43;

// The key code under (x, y), or 0 when the point is on no key; when it returns a code it also
// stores the key's frame in *rect (if rect is not null).
int hit_test(int x, int y, KeyRect* rect);

}  // namespace tolvan
