// Clicks on the pictured keys: the points that lie on a key, the gaps between keys, and the
// points just past a block's last column or row, which lie on no key.
#include "ui/hit_test.h"

#include <gtest/gtest.h>

namespace tolvan {
namespace {

struct Click {
    int x;
    int y;
    KeyCode code;
};

TEST(HitTest, PointsOnKeysPressThem) {
    const Click clicks[] = {
        {20, 120, KeyCode::kCal},
        {380, 215, KeyCode::kEnter},  // ENTER, beyond its frame's bottom-right corner
        {400, 100, KeyCode::kDigit7},
        {400, 20, KeyCode::kHyp},
        {400, 207, KeyCode::kDigit0},  // 0, lower part of its frame
        {9, 115, KeyCode::kCal},       // CAL's frame corner
        {33, 128, KeyCode::kCal},      // last sensitive pixel of CAL
        {42, 115, KeyCode::kBasic},
        {349, 115, KeyCode::kShift},    // SHIFT, the last key of row 0
        {9, 143, KeyCode::kShiftQRow},  // SHIFT, first key of row 1
        {9, 199, KeyCode::kSml},
        {297, 199, KeyCode::kSpace},
        {315, 199, KeyCode::kEnter},            // ENTER's frame corner
        {370, 210, KeyCode::kEnter},            // inside ENTER
        {557, 15, KeyCode::kCce},               // CCE, the scientific block's last column
        {557, 71, KeyCode::kCloseParenthesis},  // closing parenthesis, its last key
        {387, 43, KeyCode::kHex},
        {555, 96, KeyCode::kXToM},     // X to M, the number pad's last column
        {555, 192, KeyCode::kEquals},  // equals, its last key
        {387, 192, KeyCode::kDigit0},
    };
    for (const Click& click : clicks) {
        Rect rect;
        EXPECT_EQ(hit_test(click.x, click.y, &rect), click.code)
            << "click at " << click.x << ", " << click.y;
    }
}

TEST(HitTest, GapsAndMarginsPressNothing) {
    const Click clicks[] = {
        {413, 20, KeyCode::kNone},   // between hyp and sin
        {400, 14, KeyCode::kNone},   // above the scientific block
        {400, 95, KeyCode::kNone},   // between the scientific block and the number pad
        {8, 120, KeyCode::kNone},    // left of the alphabetic block
        {20, 114, KeyCode::kNone},   // above the alphabetic block
        {34, 120, KeyCode::kNone},   // right of CAL's sensitive area
        {20, 129, KeyCode::kNone},   // below CAL's sensitive area
        {200, 50, KeyCode::kNone},   // on the LCD
        {386, 150, KeyCode::kNone},  // between the alphabetic block and the number pad
        {400, 86, KeyCode::kNone},   // below EXP
    };
    for (const Click& click : clicks) {
        Rect rect;
        EXPECT_EQ(hit_test(click.x, click.y, &rect), click.code)
            << "click at " << click.x << ", " << click.y;
    }
}

// Past the last column the block's grid arithmetic continues into a column that has no key: it
// must not press the first key of the next row (or, below the scientific block's last row, the
// number pad's 7).
TEST(HitTest, PastTheLastColumnPressesNothing) {
    EXPECT_EQ(hit_test(592, 15, nullptr), KeyCode::kNone);  // right of CCE: would be HEX
    EXPECT_EQ(hit_test(592, 43, nullptr),
              KeyCode::kNone);  // right of the up-down arrow key: would be EXP
    EXPECT_EQ(hit_test(592, 71, nullptr), KeyCode::kNone);   // right of ")": would be 7
    EXPECT_EQ(hit_test(597, 100, nullptr), KeyCode::kNone);  // right of X to M: would be 4
    EXPECT_EQ(hit_test(597, 196, nullptr), KeyCode::kNone);  // right of equals: a code of no key
    EXPECT_EQ(hit_test(383, 120, nullptr),
              KeyCode::kNone);  // right of SHIFT: would be the SHIFT of row 1
    EXPECT_EQ(hit_test(383, 176, nullptr), KeyCode::kNone);  // right of comma: would be SML
}

TEST(HitTest, RectanglesAreTheKeyFrames) {
    Rect rect;
    ASSERT_EQ(hit_test(20, 120, &rect), KeyCode::kCal);
    EXPECT_EQ(rect.left, 9);
    EXPECT_EQ(rect.top, 115);
    EXPECT_EQ(rect.width, 23);
    EXPECT_EQ(rect.height, 12);

    ASSERT_EQ(hit_test(380, 215, &rect), KeyCode::kEnter);
    EXPECT_EQ(rect.left, 315);
    EXPECT_EQ(rect.top, 199);
    EXPECT_EQ(rect.width, 57);
    EXPECT_EQ(rect.height, 12);

    ASSERT_EQ(hit_test(430, 135, &rect), KeyCode::kDigit5);
    EXPECT_EQ(rect.left, 429);
    EXPECT_EQ(rect.top, 128);
    EXPECT_EQ(rect.width, 27);
    EXPECT_EQ(rect.height, 19);

    ASSERT_EQ(hit_test(430, 50, &rect), KeyCode::kDeg);
    EXPECT_EQ(rect.left, 421);
    EXPECT_EQ(rect.top, 43);
    EXPECT_EQ(rect.width, 23);
    EXPECT_EQ(rect.height, 12);
}

// The row of ENTER ends with SPC; every grid place after it belongs to ENTER, whose frame is
// shown whole.
TEST(HitTest, EnterRowBeyondSpaceIsEnter) {
    Rect rect;
    EXPECT_EQ(hit_test(314, 205, &rect), KeyCode::kEnter);
    EXPECT_EQ(rect.left, 315);
    EXPECT_EQ(rect.width, 57);
    EXPECT_EQ(hit_test(350, 198, &rect), KeyCode::kEnter);
    EXPECT_EQ(rect.left, 315);
    EXPECT_NE(hit_test(313, 205, nullptr), KeyCode::kEnter);
}

TEST(HitTest, EveryPointGivesAKeyOfTheCaseOrNothing) {
    for (int y = 0; y < 222; ++y) {
        for (int x = 0; x < 602; ++x) {
            const int code = key_number(hit_test(x, y, nullptr));
            ASSERT_TRUE(code == 0 || (code >= 1 && code <= 82 && code != 44))
                << "code " << code << " at " << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace tolvan
