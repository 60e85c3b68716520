#include "ui/lcd_area.h"

#include <algorithm>

#include "machine/display.h"

namespace tolvan {

namespace {

// Column positions run over every cell's six places, the never-drawn gap included.
constexpr int kColumnPlaces = kLcdCells * (kColumnsPerCell + 1);

void include(KeyRect& area, int left, int top, int right, int bottom) {
    const int area_right = std::max(area.left + area.width, right);
    const int area_bottom = std::max(area.top + area.height, bottom);
    area.left = std::min(area.left, left);
    area.top = std::min(area.top, top);
    area.width = area_right - area.left;
    area.height = area_bottom - area.top;
}

}  // namespace

KeyRect lcd_area() {
    KeyRect area{kLcdLeft, kLcdTop, kColumnPitch * kColumnPlaces, kColumnImageHeight};
    for (const Annunciator& a : kAnnunciators) {
        include(area, a.x, a.y, a.x + a.width, a.y + a.height);
    }
    return area;
}

}  // namespace tolvan
