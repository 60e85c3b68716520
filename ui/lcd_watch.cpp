#include "ui/lcd_watch.h"

#include <algorithm>
#include <cstring>

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

LcdWatch make_lcd_watch() {
    LcdWatch watch{lcd_area(), {}};
    watch.copy.assign(std::size_t(watch.area.width) * watch.area.height, 0);
    return watch;
}

bool lcd_changed(LcdWatch& watch, const Image& client) {
    const Rect& a = watch.area;
    const std::size_t row_bytes = std::size_t(a.width) * sizeof(Rgb);
    bool changed = false;
    for (int row = 0; row < a.height; ++row) {
        const Rgb* source = &client.pixels[std::size_t(a.top + row) * client.width + a.left];
        Rgb* kept = &watch.copy[std::size_t(row) * a.width];
        if (std::memcmp(source, kept, row_bytes) != 0) {
            std::memcpy(kept, source, row_bytes);
            changed = true;
        }
    }
    return changed;
}

}  // namespace tolvan
