// The key frames, pixel by pixel: each line includes its start point and excludes its end
// point, so the corners belong to the line that starts there.
#include "ui/key_frames.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace tolvan {
namespace {

constexpr Rgb kBackground = rgb(1, 2, 3);
constexpr Rect kKey{10, 20, 5, 3};  // right edge x = 15, bottom edge y = 23

using Points = std::set<std::pair<int, int>>;

Points pixels_of(const Image& image, Rgb colour) {
    Points points;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.at(x, y) == colour) points.insert({x, y});
        }
    }
    return points;
}

Points column(int x, int y0, int y1) {  // y0..y1 inclusive
    Points points;
    for (int y = y0; y <= y1; ++y)
        points.insert({x, y});
    return points;
}

Points row(int y, int x0, int x1) {  // x0..x1 inclusive
    Points points;
    for (int x = x0; x <= x1; ++x)
        points.insert({x, y});
    return points;
}

Points join(Points a, const Points& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TEST(KeyFrames, PressedFrameIsShadowTopLeftAndLightBottomRight) {
    Image image(40, 40, kBackground);
    draw_pressed_frame(image, kKey);
    // Mid grey from (10, 24) up to (10, 20), then across to (15, 20).
    EXPECT_EQ(pixels_of(image, kFrameMidGrey), join(column(10, 21, 24), row(20, 10, 14)));
    // Light grey from (15, 21) down to (15, 23), then back to (10, 23).
    EXPECT_EQ(pixels_of(image, kFrameLightGrey), join(column(15, 21, 22), row(23, 11, 15)));
}

TEST(KeyFrames, ReleasedFrameIsLightTopLeftAndShadowBottomRight) {
    Image image(40, 40, kBackground);
    draw_released_frame(image, kKey);
    // White from (10, 22) up to (10, 20), then across to (15, 20).
    EXPECT_EQ(pixels_of(image, kFrameWhite), join(column(10, 21, 22), row(20, 10, 14)));
    // Mid grey from (15, 21) down to (15, 23), then back to (10, 23).
    EXPECT_EQ(pixels_of(image, kFrameMidGrey), join(column(15, 21, 22), row(23, 11, 15)));
}

// After a release the pressed frame's extra pixel below the key's left edge is not covered by
// the released frame: it stays as the pressed frame left it.
TEST(KeyFrames, ReleasedFrameCoversThePressedOneExceptBelowTheLeftEdge) {
    Image image(40, 40, kBackground);
    draw_pressed_frame(image, kKey);
    draw_released_frame(image, kKey);
    EXPECT_TRUE(pixels_of(image, kFrameLightGrey).empty());
    EXPECT_EQ(pixels_of(image, kFrameMidGrey),
              join(join(column(15, 21, 22), row(23, 11, 15)), {{10, 23}, {10, 24}}));
}

TEST(KeyFrames, LinesAreClippedToTheImage) {
    Image image(12, 12, kBackground);
    draw_pressed_frame(image, Rect{8, 8, 23, 12});
    draw_released_frame(image, Rect{-5, -5, 8, 8});
    EXPECT_EQ(image.at(8, 8), kFrameMidGrey);
    EXPECT_EQ(image.at(11, 8), kFrameMidGrey);
    EXPECT_EQ(image.at(3, 3), kFrameMidGrey);
}

TEST(KeyFrames, LineDrawsFromStartToJustBeforeEnd) {
    Image image(10, 10, kBackground);
    draw_line(image, 7, 2, 3, 2, kFrameWhite);
    EXPECT_EQ(pixels_of(image, kFrameWhite), row(2, 4, 7));
    draw_line(image, 5, 5, 5, 5, kFrameLightGrey);  // an empty line draws nothing
    EXPECT_TRUE(pixels_of(image, kFrameLightGrey).empty());
}

}  // namespace
}  // namespace tolvan
