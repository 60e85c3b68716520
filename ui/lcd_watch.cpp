#include "ui/lcd_watch.h"

#include <algorithm>
#include <cstring>

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

LcdWatch make_lcd_watch() {
    LcdWatch watch{lcd_area(), {}};
    watch.copy.assign(std::size_t(watch.area.width) * watch.area.height, 0);
    return watch;
}

bool lcd_changed(LcdWatch& watch, const Image& client) {
    const KeyRect& a = watch.area;
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
