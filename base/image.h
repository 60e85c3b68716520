// A plain RGB image: the off-screen client area and the bitmaps that the display copies from.
#pragma once

#include <cstdint>
#include <vector>

namespace tolvan {

// 0x00RRGGBB
using Rgb = std::uint32_t;

constexpr Rgb rgb(int red, int green, int blue) {
    return static_cast<Rgb>(red) << 16 | static_cast<Rgb>(green) << 8 | static_cast<Rgb>(blue);
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first

    Image() = default;
    Image(int w, int h, Rgb fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}

    Rgb at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    Rgb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
};

// Copies a w x h rectangle of source at (sx, sy) to target at (tx, ty), clipped to both images.
void copy_rect(Image& target, int tx, int ty, const Image& source, int sx, int sy, int w, int h);

}  // namespace tolvan
