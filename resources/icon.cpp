// The application icon: a stylised front of the calculator (dark body, green glass showing
// the model name in LCD dots, rows of light keys), drawn at four times the size and scaled
// down so that its edges are smooth at every size.
#include <algorithm>
#include <array>

#include "machine/display.h"
#include "resources/artwork.h"
#include "resources/canvas.h"
#include "resources/pixel_font.h"

namespace tolvan {

namespace {

constexpr int kSupersample = 4;
constexpr int kUnits = 1000;  // layout coordinates are thousandths of the icon's side

constexpr Rgb kBackdropTop = rgb(46, 134, 138);
constexpr Rgb kBackdropBottom = rgb(18, 62, 70);
constexpr Rgb kBodyTop = rgb(70, 72, 80);
constexpr Rgb kBodyBottom = rgb(34, 35, 40);
constexpr Rgb kBodyRim = rgb(128, 132, 142);
constexpr Rgb kBodyShadow = rgb(8, 20, 24);
constexpr Rgb kGlassFrame = rgb(12, 12, 14);
constexpr Rgb kKeyShadow = rgb(14, 14, 16);

struct Box {
    int left;
    int top;
    int right;
    int bottom;
};

struct IconKey {
    Rgb top;
    Rgb bottom;
};

constexpr IconKey kIvoryKey{rgb(240, 238, 230), rgb(196, 194, 186)};
constexpr IconKey kAmberKey{rgb(240, 196, 92), rgb(206, 150, 50)};
constexpr IconKey kTealKey{rgb(70, 186, 182), rgb(30, 132, 130)};
constexpr IconKey kGreyKey{rgb(192, 198, 208), rgb(146, 152, 162)};

constexpr Box kBody{60, 180, 940, 840};
constexpr Box kGlass{130, 260, 870, 430};
constexpr int kBodyRadius = 70;
constexpr int kGlassFrameWidth = 14;
constexpr int kShadowDrop = 30;
constexpr int kKeyRows = 3;
constexpr int kKeyColumns = 6;
constexpr Box kKeyArea{130, 500, 870, 790};
constexpr int kKeyGap = 40;
constexpr int kKeyRadius = 22;
constexpr int kKeyDepth = 14;
constexpr std::u32string_view kGlassText = U"TOLVAN";
constexpr int kGlassMarginColumns = 2;
constexpr int kDotFill = 3;  // a dot covers 3 quarters of its pitch
constexpr int kDotPitchQuarters = 4;

Rect to_pixels(const Box& box, int side) {
    const int left = box.left * side / kUnits;
    const int top = box.top * side / kUnits;
    return {left, top, box.right * side / kUnits - left, box.bottom * side / kUnits - top};
}

int to_pixels(int units, int side) {
    return units * side / kUnits;
}

IconKey key_colours(int row, int column) {
    if (column == kKeyColumns - 1) return row == kKeyRows - 1 ? kAmberKey : kGreyKey;
    if (row == 0 && column >= 3) return kTealKey;
    return kIvoryKey;
}

void draw_body(Image& image, int side) {
    vertical_gradient(image, {0, 0, side, side}, kBackdropTop, kBackdropBottom);
    const Rect body = to_pixels(kBody, side);
    const int radius = to_pixels(kBodyRadius, side);
    const int drop = to_pixels(kShadowDrop, side);
    fill_rounded_rect(image, {body.left, body.top + drop, body.width, body.height}, radius,
                      kBodyShadow);
    fill_rounded_rect(image, body, radius, kBodyRim);
    const int rim = std::max(1, side / (kUnits / 8));
    fill_rounded_gradient(
        image, {body.left + rim, body.top + rim, body.width - 2 * rim, body.height - 2 * rim},
        radius - rim, kBodyTop, kBodyBottom);
}

void draw_glass(Image& image, int side) {
    const Rect glass = to_pixels(kGlass, side);
    const int frame = to_pixels(kGlassFrameWidth, side);
    fill_rect(
        image,
        {glass.left - frame, glass.top - frame, glass.width + 2 * frame, glass.height + 2 * frame},
        kGlassFrame);
    fill_rect(image, glass, kLcdBackground);

    const Font& font = medium_font();
    const int columns = text_width(font, kGlassText);
    Image text(columns, font.cap_height, kLcdBackground);
    draw_text(text, font, 0, 0, kGlassText, kLcdDot);
    const int pitch = glass.width / (columns + 2 * kGlassMarginColumns);
    const int dot = std::max(1, pitch * kDotFill / kDotPitchQuarters);
    const int left = glass.left + (glass.width - pitch * columns) / 2;
    const int top = glass.top + (glass.height - pitch * font.cap_height) / 2;
    for (int row = 0; row < text.height; ++row) {
        for (int column = 0; column < text.width; ++column) {
            if (text.at(column, row) != kLcdDot) continue;
            fill_rect(image, {left + pitch * column, top + pitch * row, dot, dot}, kLcdDot);
        }
    }
}

void draw_keys(Image& image, int side) {
    const Rect area = to_pixels(kKeyArea, side);
    const int gap = to_pixels(kKeyGap, side);
    const int radius = to_pixels(kKeyRadius, side);
    const int depth = to_pixels(kKeyDepth, side);
    const int width = (area.width - gap * (kKeyColumns - 1)) / kKeyColumns;
    const int height = (area.height - gap * (kKeyRows - 1)) / kKeyRows;
    for (int row = 0; row < kKeyRows; ++row) {
        for (int column = 0; column < kKeyColumns; ++column) {
            const IconKey colours = key_colours(row, column);
            const Rect key{area.left + column * (width + gap), area.top + row * (height + gap),
                           width, height - depth};
            fill_rounded_rect(image, {key.left, key.top + depth, key.width, key.height}, radius,
                              kKeyShadow);
            fill_rounded_rect(image, {key.left, key.top + depth / 2, key.width, key.height}, radius,
                              colours.bottom);
            fill_rounded_gradient(image, key, radius, colours.top, colours.bottom);
        }
    }
}

}  // namespace

Image make_icon(int size) {
    const int target = std::clamp(size, kMinIconSize, kMaxIconSize);
    const int side = target * kSupersample;
    Image large(side, side);
    draw_body(large, side);
    draw_glass(large, side);
    draw_keys(large, side);
    return scale_area(large, target, target);
}

}  // namespace tolvan
