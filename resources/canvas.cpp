#include "resources/canvas.h"

#include <algorithm>
#include <cstdint>

namespace tolvan {

namespace {

constexpr int kChannelMax = 255;
constexpr int kCoverageGrid = 4;  // sub-samples per axis for rounded corners

Rgb clamped_rgb(int red, int green, int blue) {
    return rgb(std::clamp(red, 0, kChannelMax), std::clamp(green, 0, kChannelMax),
               std::clamp(blue, 0, kChannelMax));
}

bool inside(const Image& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

// How many of the corner's sub-samples lie inside the rounding circle (0 to kCoverageGrid^2).
// dx and dy count pixels from the corner's centre of curvature outwards.
int corner_coverage(int dx, int dy, int radius) {
    int covered = 0;
    const int scale = 2 * kCoverageGrid;
    const long limit = long(radius) * scale * long(radius) * scale;
    for (int sy = 0; sy < kCoverageGrid; ++sy) {
        for (int sx = 0; sx < kCoverageGrid; ++sx) {
            const long px = long(dx) * scale + 2 * sx + 1;
            const long py = long(dy) * scale + 2 * sy + 1;
            if (px * px + py * py <= limit) ++covered;
        }
    }
    return covered;
}

}  // namespace

int red_of(Rgb colour) {
    return static_cast<int>(colour >> 16 & 0xFF);
}
int green_of(Rgb colour) {
    return static_cast<int>(colour >> 8 & 0xFF);
}
int blue_of(Rgb colour) {
    return static_cast<int>(colour & 0xFF);
}

Rgb mix(Rgb a, Rgb b, int weight) {
    const auto channel = [weight](int from, int to) {
        return (from * (kMixScale - weight) + to * weight + kMixScale / 2) / kMixScale;
    };
    return clamped_rgb(channel(red_of(a), red_of(b)), channel(green_of(a), green_of(b)),
                       channel(blue_of(a), blue_of(b)));
}

Rgb brighten(Rgb colour, int delta) {
    return clamped_rgb(red_of(colour) + delta, green_of(colour) + delta, blue_of(colour) + delta);
}

void put_pixel(Image& image, int x, int y, Rgb colour) {
    if (inside(image, x, y)) image.at(x, y) = colour;
}

void blend_pixel(Image& image, int x, int y, Rgb colour, int weight) {
    if (inside(image, x, y)) image.at(x, y) = mix(image.at(x, y), colour, weight);
}

void fill_rect(Image& image, Rect area, Rgb colour) {
    for (int y = area.top; y <= area.bottom(); ++y) {
        for (int x = area.left; x <= area.right(); ++x)
            put_pixel(image, x, y, colour);
    }
}

void blend_rect(Image& image, Rect area, Rgb colour, int weight) {
    for (int y = area.top; y <= area.bottom(); ++y) {
        for (int x = area.left; x <= area.right(); ++x)
            blend_pixel(image, x, y, colour, weight);
    }
}

void vertical_gradient(Image& image, Rect area, Rgb top_colour, Rgb bottom_colour) {
    const int span = std::max(1, area.height - 1);
    for (int row = 0; row < area.height; ++row) {
        const Rgb colour = mix(top_colour, bottom_colour, row * kMixScale / span);
        horizontal_line(image, area.left, area.right(), area.top + row, colour);
    }
}

void horizontal_line(Image& image, int left, int right, int y, Rgb colour) {
    for (int x = left; x <= right; ++x)
        put_pixel(image, x, y, colour);
}

void vertical_line(Image& image, int x, int top, int bottom, Rgb colour) {
    for (int y = top; y <= bottom; ++y)
        put_pixel(image, x, y, colour);
}

void bevel(Image& image, Rect area, Rgb light, Rgb dark) {
    horizontal_line(image, area.left, area.right(), area.top, light);
    vertical_line(image, area.left, area.top, area.bottom(), light);
    horizontal_line(image, area.left + 1, area.right(), area.bottom(), dark);
    vertical_line(image, area.right(), area.top + 1, area.bottom(), dark);
}

void fill_rounded_rect(Image& image, Rect area, int radius, Rgb colour) {
    fill_rounded_gradient(image, area, radius, colour, colour);
}

void fill_rounded_gradient(Image& image, Rect area, int radius, Rgb top_colour, Rgb bottom_colour) {
    const int full = kCoverageGrid * kCoverageGrid;
    const int span = std::max(1, area.height - 1);
    for (int y = area.top; y <= area.bottom(); ++y) {
        const Rgb colour = mix(top_colour, bottom_colour, (y - area.top) * kMixScale / span);
        const int dy = std::max({area.top + radius - 1 - y, y - (area.bottom() - radius + 1), -1});
        for (int x = area.left; x <= area.right(); ++x) {
            const int dx =
                std::max({area.left + radius - 1 - x, x - (area.right() - radius + 1), -1});
            if (dx < 0 || dy < 0) {
                put_pixel(image, x, y, colour);
            } else {
                const int coverage = corner_coverage(dx, dy, radius);
                blend_pixel(image, x, y, colour, coverage * kMixScale / full);
            }
        }
    }
}

int texture_noise(int x, int y, int seed) {
    std::uint32_t hash = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^
                         static_cast<std::uint32_t>(y) * 0x85EBCA77u ^
                         static_cast<std::uint32_t>(seed) * 0xC2B2AE3Du;
    hash ^= hash >> 15;
    hash *= 0x2C1B3C6Du;
    hash ^= hash >> 12;
    return static_cast<int>(hash & 0xFF);
}

Image scale_area(const Image& source, int width, int height) {
    Image target(width, height);
    // Coordinates are multiplied by the other image's size, so that every boundary is an integer:
    // source pixel sx spans [sx * width, (sx + 1) * width), target pixel x spans
    // [x * source.width, (x + 1) * source.width).
    for (int y = 0; y < height; ++y) {
        const long top = long(y) * source.height;
        const long bottom = top + source.height;
        for (int x = 0; x < width; ++x) {
            const long left = long(x) * source.width;
            const long right = left + source.width;
            long red = 0, green = 0, blue = 0, total = 0;
            for (long sy = top / height; sy * height < bottom; ++sy) {
                const long cover_y =
                    std::min(bottom, (sy + 1) * height) - std::max(top, sy * height);
                for (long sx = left / width; sx * width < right; ++sx) {
                    const long cover_x =
                        std::min(right, (sx + 1) * width) - std::max(left, sx * width);
                    const long weight = cover_x * cover_y;
                    const Rgb colour = source.at(static_cast<int>(sx), static_cast<int>(sy));
                    red += red_of(colour) * weight;
                    green += green_of(colour) * weight;
                    blue += blue_of(colour) * weight;
                    total += weight;
                }
            }
            target.at(x, y) = rgb(static_cast<int>((red + total / 2) / total),
                                  static_cast<int>((green + total / 2) / total),
                                  static_cast<int>((blue + total / 2) / total));
        }
    }
    return target;
}

}  // namespace tolvan
