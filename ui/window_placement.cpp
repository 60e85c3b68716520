#include "ui/window_placement.h"

#include <algorithm>

namespace tolvan {

namespace {

long long overlap(const Rect& a, const Rect& b) {
    const int width = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const int height = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? static_cast<long long>(width) * height : 0;
}

// The start of a span `length` long moved into [first, first + room): the far edge first, so
// that a span longer than the room keeps its start visible.
int clamp_span(int start, int length, int first, int room) {
    start = std::min(start, first + room - length);
    return std::max(start, first);
}

// How far apart two rectangles are, squared; 0 when they touch or overlap.
long long distance_squared(const Rect& a, const Rect& b) {
    const long long dx = std::max({0, a.left - (b.left + b.width), b.left - (a.left + a.width)});
    const long long dy = std::max({0, a.top - (b.top + b.height), b.top - (a.top + a.height)});
    return dx * dx + dy * dy;
}

Rect clamp_into(Rect frame, const Rect& area) {
    frame.left = clamp_span(frame.left, frame.width, area.left, area.width);
    frame.top = clamp_span(frame.top, frame.height, area.top, area.height);
    return frame;
}

}  // namespace

Rect place_beside(const Rect& anchor, int wanted_width, int wanted_height, const Rect& available,
                  int narrowest) {
    int width = std::min(wanted_width, available.width);
    const int height = std::min(wanted_height, available.height);
    const int room_right =
        available.left + available.width - (anchor.left + anchor.width) - kBesideGap;
    const int room_left = anchor.left - available.left - kBesideGap;
    // Narrower beside the anchor rather than over it, down to the narrowest width.
    const int room = std::max(room_right, room_left);
    if (room < width && room >= std::min(narrowest, width)) width = room;
    int left = 0;
    if (room_right >= width) {
        left = anchor.left + anchor.width + kBesideGap;
    } else if (room_left >= width) {
        left = anchor.left - kBesideGap - width;
    } else if (room_right >= room_left) {
        left = available.left + available.width - width;
    } else {
        left = available.left;
    }
    return clamp_into({left, anchor.top, width, height}, available);
}

Rect keep_on_screens(const Rect& frame, const std::vector<Rect>& available_areas) {
    if (available_areas.empty()) return frame;
    const auto most = std::max_element(
        available_areas.begin(), available_areas.end(),
        [&frame](const Rect& a, const Rect& b) { return overlap(frame, a) < overlap(frame, b); });
    const auto nearest = std::min_element(
        available_areas.begin(), available_areas.end(), [&frame](const Rect& a, const Rect& b) {
            return distance_squared(frame, a) < distance_squared(frame, b);
        });
    return clamp_into(frame, overlap(frame, *most) > 0 ? *most : *nearest);
}

bool fits_in(int width, int height, const Rect& available) {
    return width <= available.width && height <= available.height;
}

}  // namespace tolvan
