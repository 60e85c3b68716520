#include "ui/lcd_area.h"

#include <algorithm>

#include "machine/display.h"

namespace tolvan {

namespace {

void include(Rect& area, const Rect& part) {
    const int area_right = std::max(area.left + area.width, part.left + part.width);
    const int area_bottom = std::max(area.top + area.height, part.top + part.height);
    area.left = std::min(area.left, part.left);
    area.top = std::min(area.top, part.top);
    area.width = area_right - area.left;
    area.height = area_bottom - area.top;
}

}  // namespace

Rect lcd_area() {
    Rect area{kLcdLeft, kLcdTop, kColumnPitch * kColumnPlacesPerCell * kLcdCells,
              kColumnImageHeight};
    for (const Annunciator& a : kAnnunciators) {
        include(area, a.area);
    }
    return area;
}

}  // namespace tolvan
