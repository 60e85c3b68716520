// Clicks on the pictured keys: the points that lie on a key, the gaps between keys, and the
// points just past a block's last column or row, which lie on no key.
#include "ui/hit_test.h"

#include <gtest/gtest.h>

namespace tolvan {
namespace {

struct Click {
    int x;
    int y;
    int code;
};

TEST(HitTest, PointsOnKeysPressThem) {
    const Click clicks[] = {
        {20, 120, 1},    // CAL
        {380, 215, 43},  // ENTER, beyond its frame's bottom-right corner
        {400, 100, 63},  // 7
        {400, 20, 45},   // hyp
        {400, 207, 78},  // 0, lower part of its frame
        {9, 115, 1},     // CAL's frame corner
        {33, 128, 1},    // last sensitive pixel of CAL
        {42, 115, 2},    // BASIC
        {349, 115, 11},  // SHIFT, the last key of row 0
        {9, 143, 12},    // SHIFT, first key of row 1
        {9, 199, 34},    // SML
        {297, 199, 42},  // SPC
        {315, 199, 43},  // ENTER's frame corner
        {370, 210, 43},  // inside ENTER
        {557, 15, 50},   // CCE, the scientific block's last column
        {557, 71, 62},   // closing parenthesis, its last key
        {387, 43, 51},   // HEX
        {555, 96, 67},   // X to M, the number pad's last column
        {555, 192, 82},  // equals, its last key
        {387, 192, 78},  // 0
    };
    for (const Click& click : clicks) {
        KeyRect rect;
        EXPECT_EQ(hit_test(click.x, click.y, &rect), click.code)
            << "click at " << click.x << ", " << click.y;
    }
}

TEST(HitTest, GapsAndMarginsPressNothing) {
    const Click clicks[] = {
        {413, 20, 0},   // between hyp and sin
        {400, 14, 0},   // above the scientific block
        {400, 95, 0},   // between the scientific block and the number pad
        {8, 120, 0},    // left of the alphabetic block
        {20, 114, 0},   // above the alphabetic block
        {34, 120, 0},   // right of CAL's sensitive area
        {20, 129, 0},   // below CAL's sensitive area
        {200, 50, 0},   // on the LCD
        {386, 150, 0},  // between the alphabetic block and the number pad
        {400, 86, 0},   // below EXP
    };
    for (const Click& click : clicks) {
        KeyRect rect;
        EXPECT_EQ(hit_test(click.x, click.y, &rect), click.code)
            << "click at " << click.x << ", " << click.y;
    }
}

// Past the last column the block's grid arithmetic continues into a column that has no key: it
// must not press the first key of the next row (or, below the scientific block's last row, the
// number pad's 7).
TEST(HitTest, PastTheLastColumnPressesNothing) {
    EXPECT_EQ(hit_test(592, 15, nullptr), 0);   // right of CCE: would be HEX
    EXPECT_EQ(hit_test(592, 43, nullptr), 0);   // right of the up-down arrow key: would be EXP
    EXPECT_EQ(hit_test(592, 71, nullptr), 0);   // right of ")": would be 7
    EXPECT_EQ(hit_test(597, 100, nullptr), 0);  // right of X to M: would be 4
    EXPECT_EQ(hit_test(597, 196, nullptr), 0);  // right of equals: a code of no key
    EXPECT_EQ(hit_test(383, 120, nullptr), 0);  // right of SHIFT: would be the SHIFT of row 1
    EXPECT_EQ(hit_test(383, 176, nullptr), 0);  // right of comma: would be SML
}

TEST(HitTest, RectanglesAreTheKeyFrames) {
    KeyRect rect;
    ASSERT_EQ(hit_test(20, 120, &rect), 1);
    EXPECT_EQ(rect.left, 9);
    EXPECT_EQ(rect.top, 115);
    EXPECT_EQ(rect.width, 23);
    EXPECT_EQ(rect.height, 12);

    ASSERT_EQ(hit_test(380, 215, &rect), 43);
    EXPECT_EQ(rect.left, 315);
    EXPECT_EQ(rect.top, 199);
    EXPECT_EQ(rect.width, 57);
    EXPECT_EQ(rect.height, 12);

    ASSERT_EQ(hit_test(430, 135, &rect), 69);  // 5
    EXPECT_EQ(rect.left, 429);
    EXPECT_EQ(rect.top, 128);
    EXPECT_EQ(rect.width, 27);
    EXPECT_EQ(rect.height, 19);

    ASSERT_EQ(hit_test(430, 50, &rect), 52);  // DEG
    EXPECT_EQ(rect.left, 421);
    EXPECT_EQ(rect.top, 43);
    EXPECT_EQ(rect.width, 23);
    EXPECT_EQ(rect.height, 12);
}

// The row of ENTER ends with SPC; every grid place after it belongs to ENTER, whose frame is
// shown whole.
TEST(HitTest, EnterRowBeyondSpaceIsEnter) {
    KeyRect rect;
    EXPECT_EQ(hit_test(314, 205, &rect), 43);
    EXPECT_EQ(rect.left, 315);
    EXPECT_EQ(rect.width, 57);
    EXPECT_EQ(hit_test(350, 198, &rect), 43);
    EXPECT_EQ(rect.left, 315);
    EXPECT_NE(hit_test(313, 205, nullptr), 43);
}

TEST(HitTest, EveryPointGivesAKeyOfTheCaseOrNothing) {
    for (int y = 0; y < 222; ++y) {
        for (int x = 0; x < 602; ++x) {
            const int code = hit_test(x, y, nullptr);
            ASSERT_TRUE(code == 0 || (code >= 1 && code <= 82 && code != 44))
                << "code " << code << " at " << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace tolvan
