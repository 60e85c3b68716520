// A rectangle in pixels of an image: its top-left corner and its size.
#pragma once

namespace tolvan {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width - 1; }   // last column inside
    constexpr int bottom() const { return top + height - 1; }  // last row inside
};

}  // namespace tolvan
