#include "ui/key_frames.h"

namespace tolvan {

namespace {

int step_towards(int from, int to) {
    return from < to ? 1 : from > to ? -1 : 0;
}

void plot(Image& image, int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    image.at(x, y) = colour;
}

// Two joined lines: from start to the corner, then from the corner to the end.
void draw_corner(Image& image, int x0, int y0, int corner_x, int corner_y, int x1, int y1,
                 Rgb colour) {
    draw_line(image, x0, y0, corner_x, corner_y, colour);
    draw_line(image, corner_x, corner_y, x1, y1, colour);
}

}  // namespace

void draw_line(Image& image, int x0, int y0, int x1, int y1, Rgb colour) {
    if (x0 != x1 && y0 != y1) return;
    const int step_x = step_towards(x0, x1);
    const int step_y = step_towards(y0, y1);
    for (int x = x0, y = y0; x != x1 || y != y1; x += step_x, y += step_y) {
        plot(image, x, y, colour);
    }
}

void draw_pressed_frame(Image& image, const Rect& r) {
    const int right = r.left + r.width;
    const int bottom = r.top + r.height;
    draw_corner(image, r.left, bottom + 1, r.left, r.top, right, r.top, kFrameMidGrey);
    draw_corner(image, right, r.top + 1, right, bottom, r.left, bottom, kFrameLightGrey);
}

void draw_released_frame(Image& image, const Rect& r) {
    const int right = r.left + r.width;
    const int bottom = r.top + r.height;
    draw_corner(image, r.left, bottom - 1, r.left, r.top, right, r.top, kFrameWhite);
    draw_corner(image, right, r.top + 1, right, bottom, r.left, bottom, kFrameMidGrey);
}

}  // namespace tolvan
