// Small raster helpers for drawing the artwork: rectangles, gradients and colour mixing, all
// in integer arithmetic so that every build draws the same pixels.
#pragma once

#include "base/image.h"
#include "base/rect.h"

namespace tolvan {

// Weight of the second colour in mix(), out of kMixScale.
constexpr int kMixScale = 256;

int red_of(Rgb colour);
int green_of(Rgb colour);
int blue_of(Rgb colour);

// (kMixScale - weight) parts of a and weight parts of b.
Rgb mix(Rgb a, Rgb b, int weight);

// Adds delta to each channel, clamped to 0-255.
Rgb brighten(Rgb colour, int delta);

void put_pixel(Image& image, int x, int y, Rgb colour);

// Blends colour into the pixel with the given weight (0 keeps the pixel, kMixScale replaces it).
void blend_pixel(Image& image, int x, int y, Rgb colour, int weight);

void fill_rect(Image& image, Rect area, Rgb colour);
void blend_rect(Image& image, Rect area, Rgb colour, int weight);

// Rows shade linearly from top_colour on the first row to bottom_colour on the last.
void vertical_gradient(Image& image, Rect area, Rgb top_colour, Rgb bottom_colour);

void horizontal_line(Image& image, int left, int right, int y, Rgb colour);
void vertical_line(Image& image, int x, int top, int bottom, Rgb colour);

// A one-pixel bevel: light along the top and left edges, dark along the bottom and right.
void bevel(Image& image, Rect area, Rgb light, Rgb dark);

// Fills a rectangle with corners rounded off by `radius` pixels; corner pixels on the curve
// are blended by coverage (sampled on a 4 x 4 grid) so the curve looks smooth.
void fill_rounded_rect(Image& image, Rect area, int radius, Rgb colour);

// The same shape shaded from top_colour on its first row to bottom_colour on its last.
void fill_rounded_gradient(Image& image, Rect area, int radius, Rgb top_colour, Rgb bottom_colour);

// A deterministic pseudo-random value 0-255 for a pixel position and a seed, for textures.
int texture_noise(int x, int y, int seed);

// Scales by area averaging: each target pixel is the exact mean of the source area it covers.
Image scale_area(const Image& source, int width, int height);

}  // namespace tolvan
