// The frames drawn around a pictured key while the mouse holds it down and after it lets go.
// Each frame is two one-pixel polylines drawn into the off-screen client image, along the lines
// of the key's frame rectangle.
#pragma once

#include "base/image.h"
#include "base/rect.h"

namespace tolvan {

inline constexpr Rgb kFrameWhite = rgb(255, 255, 255);
inline constexpr Rgb kFrameLightGrey = rgb(192, 192, 192);
inline constexpr Rgb kFrameMidGrey = rgb(128, 128, 128);

// A horizontal or vertical line from (x0, y0) to (x1, y1), including its start point and
// excluding its end point, clipped to the image. Slanted lines are not needed and not drawn.
void draw_line(Image& image, int x0, int y0, int x1, int y1, Rgb colour);

// Shadow on the top and left edges: the key looks pushed in.
void draw_pressed_frame(Image& image, const Rect& rect);
// Light on the top and left edges: the key looks raised again.
void draw_released_frame(Image& image, const Rect& rect);

}  // namespace tolvan
