// The generated pictures against the facts the window relies on: where the LCD dots and the
// annunciators are, what their unlit images look like, where the keys are and how the window's
// key frames fall on them. The layout figures are written out here on purpose rather than taken
// from the drawing code, so that a slip in either shows.
//
// The case bitmap is also compared with a committed reference picture, so that any change to it
// is seen. After changing the artwork on purpose, look at the new picture and regenerate the
// reference from the top of the source tree with
//     cmake --build BUILD --target tolvan-artwork &&
//     BUILD/resources/tolvan-artwork case tests/resources/reference/ecran.png
// where BUILD is your build directory.
#include "resources/artwork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/png.h"

namespace tolvan {
namespace {

constexpr Rgb kBackground = rgb(107, 132, 107);
constexpr Rgb kBlack = rgb(0, 0, 0);
constexpr Rgb kWhite = rgb(255, 255, 255);
constexpr Rgb kGrey = rgb(128, 128, 128);
constexpr Rgb kLightGrey = rgb(192, 192, 192);

constexpr int kDotsLeft = 65;
constexpr int kDotsTop = 50;
constexpr int kDotsRight = 65 + 3 * 94 + 1;  // last column: cell 15, column 4
constexpr int kDotsBottom = 50 + 3 * 6 + 1;

struct Box {
    int x, y, width, height;
};

constexpr std::array<Box, 18> kAnnunciatorBoxes = {{
    {57, 32, 23, 7},
    {90, 32, 15, 7},
    {142, 32, 24, 7},
    {176, 32, 17, 7},
    {129, 80, 4, 2},
    {104, 80, 4, 2},
    {75, 80, 4, 2},
    {339, 32, 4, 7},
    {330, 32, 7, 7},
    {312, 32, 10, 7},
    {257, 32, 17, 7},
    {251, 32, 5, 7},
    {239, 32, 11, 7},
    {311, 80, 4, 2},
    {198, 32, 8, 7},
    {211, 32, 5, 7},
    {220, 32, 16, 7},
    {285, 80, 4, 2},
}};

struct Key {
    int code, left, top, width, height;
};

// The 81 keys as the window's hit-test places them.
std::vector<Key> all_keys() {
    std::vector<Key> keys;
    for (int code = 1; code <= 42; ++code) {
        const int row = (code - 1) / 11, column = (code - 1) % 11;
        keys.push_back({code, 9 + 34 * column, 115 + 28 * row, 23, 12});
    }
    keys.push_back({43, 315, 199, 57, 12});
    for (int code = 45; code <= 62; ++code) {
        const int row = (code - 45) / 6, column = (code - 45) % 6;
        keys.push_back({code, 387 + 34 * column, 15 + 28 * row, 23, 12});
    }
    for (int code = 63; code <= 82; ++code) {
        const int row = (code - 63) / 5, column = (code - 63) % 5;
        keys.push_back({code, 387 + 42 * column, 96 + 32 * row, 27, 19});
    }
    return keys;
}

bool is_dark(Rgb colour) {
    return (colour >> 16 & 0xFF) < 48 && (colour >> 8 & 0xFF) < 48 && (colour & 0xFF) < 48;
}

int luminance(Rgb colour) {
    return (299 * int(colour >> 16 & 0xFF) + 587 * int(colour >> 8 & 0xFF) +
            114 * int(colour & 0xFF)) /
           1000;
}

bool is_dot_pixel(int x, int y) {
    if (x < kDotsLeft || x > kDotsRight || y < kDotsTop || y > kDotsBottom) return false;
    const int column = (x - kDotsLeft) / 3;
    return (x - kDotsLeft) % 3 < 2 && (y - kDotsTop) % 3 < 2 && column % 6 != 5;
}

bool in_box(const Box& box, int x, int y) {
    return x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
}

// A one-pixel solid line that includes its start point and excludes its end point.
void line(Image& image, int x0, int y0, int x1, int y1, Rgb colour) {
    const int dx = (x1 > x0) - (x1 < x0);
    const int dy = (y1 > y0) - (y1 < y0);
    for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy)
        image.at(x, y) = colour;
}

void draw_pressed_frame(Image& image, const Key& k) {
    line(image, k.left, k.top + k.height + 1, k.left, k.top, kGrey);
    line(image, k.left, k.top, k.left + k.width, k.top, kGrey);
    line(image, k.left + k.width, k.top + 1, k.left + k.width, k.top + k.height, kLightGrey);
    line(image, k.left + k.width, k.top + k.height, k.left, k.top + k.height, kLightGrey);
}

void draw_released_frame(Image& image, const Key& k) {
    line(image, k.left, k.top + k.height - 1, k.left, k.top, kWhite);
    line(image, k.left, k.top, k.left + k.width, k.top, kWhite);
    line(image, k.left + k.width, k.top + 1, k.left + k.width, k.top + k.height, kGrey);
    line(image, k.left + k.width, k.top + k.height, k.left, k.top + k.height, kGrey);
}

// The first pixel where two images of the same size differ, as text, or "" when none does.
std::string first_difference(const Image& a, const Image& b) {
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) != b.at(x, y)) {
                return std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return "";
}

class CaseBitmapTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { face_ = new Image(make_case_bitmap()); }
    static void TearDownTestSuite() {
        delete face_;
        face_ = nullptr;
    }
    static const Image& face() { return *face_; }

  private:
    static Image* face_;
};

Image* CaseBitmapTest::face_ = nullptr;

TEST(PixelBitmapTest, HoldsTheImageOfEveryColumnValue) {
    const Image bitmap = make_pixel_bitmap();
    ASSERT_EQ(bitmap.width, 384);
    ASSERT_EQ(bitmap.height, 27);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const int value = x / 2;
            const int bit = y / 3;
            const bool lit = value < 128 && y < 21 && y % 3 < 2 && (value >> bit & 1) != 0;
            ASSERT_EQ(bitmap.at(x, y), lit ? kBlack : kBackground) << x << "," << y;
        }
    }
}

TEST_F(CaseBitmapTest, HasTheWindowsSize) {
    EXPECT_EQ(face().width, 602);
    EXPECT_EQ(face().height, 222);
}

// Over the whole area that the glass must cover: dots and lit annunciators are dark, every
// other pixel (between the dots, and the unlit images below the annunciators) is plain glass.
TEST_F(CaseBitmapTest, GlassShowsEveryDotLitOnPlainBackground) {
    for (int y = 30; y <= 84; ++y) {
        for (int x = 55; x <= 352; ++x) {
            const Rgb colour = face().at(x, y);
            if (is_dot_pixel(x, y)) {
                ASSERT_EQ(colour, kBlack) << "dot at " << x << "," << y;
                continue;
            }
            const bool in_legend = std::any_of(kAnnunciatorBoxes.begin(), kAnnunciatorBoxes.end(),
                                               [&](const Box& box) { return in_box(box, x, y); });
            if (in_legend) {
                ASSERT_TRUE(colour == kBackground || is_dark(colour)) << x << "," << y;
            } else {
                ASSERT_EQ(colour, kBackground) << x << "," << y;
            }
        }
    }
}

TEST_F(CaseBitmapTest, EveryAnnunciatorIsLitAndItsUnlitImageIsBlank) {
    for (const Box& box : kAnnunciatorBoxes) {
        int dark = 0;
        for (int y = box.y; y < box.y + box.height; ++y) {
            for (int x = box.x; x < box.x + box.width; ++x) {
                dark += is_dark(face().at(x, y));
                EXPECT_EQ(face().at(x, y + box.height), kBackground)
                    << "unlit image of " << box.x << "," << box.y << " at " << x << ","
                    << y + box.height;
            }
        }
        // Marks are solid bars; word legends need a few strokes at least.
        const int needed = box.height == 2 ? box.width * box.height : 2 * box.height;
        EXPECT_GE(dark, needed) << "annunciator at " << box.x << "," << box.y;
    }
}

// A click draws the pressed frame, and the release draws the released frame over it. Neither
// may leave a mark: the key's own edges are the released frame, and the one pixel below the key
// that only the pressed frame reaches already has its colour.
TEST_F(CaseBitmapTest, KeyFramesFallOnTheKeysOwnEdges) {
    for (const Key& key : all_keys()) {
        Image released = face();
        draw_released_frame(released, key);
        EXPECT_EQ(first_difference(released, face()), "") << "released frame on key " << key.code;

        Image clicked = face();
        draw_pressed_frame(clicked, key);
        draw_released_frame(clicked, key);
        EXPECT_EQ(first_difference(clicked, face()), "") << "click on key " << key.code;
    }
}

// Each key carries a legend: a few pixels well apart in brightness from the key's face.
TEST_F(CaseBitmapTest, EveryKeyHasALegend) {
    for (const Key& key : all_keys()) {
        std::vector<int> levels;
        for (int y = key.top + 1; y < key.top + key.height; ++y) {
            for (int x = key.left + 1; x < key.left + key.width; ++x) {
                levels.push_back(luminance(face().at(x, y)));
            }
        }
        std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
        const int face_level = levels[levels.size() / 2];
        const auto contrasting = std::count_if(levels.begin(), levels.end(), [&](int level) {
            return std::abs(level - face_level) >= 90;
        });
        EXPECT_GE(contrasting, 5) << "key " << key.code;
    }
}

TEST_F(CaseBitmapTest, TheThreeSymbolKeysAreTeal) {
    for (const Key& key : all_keys()) {
        if (key.code < 4 || key.code > 6) continue;
        const Rgb colour = face().at(key.left + 2, key.top + key.height / 2);
        const int red = colour >> 16 & 0xFF, green = colour >> 8 & 0xFF, blue = colour & 0xFF;
        EXPECT_GT(green, red + 60) << "key " << key.code;
        EXPECT_GT(blue, red + 60) << "key " << key.code;
    }
}

TEST_F(CaseBitmapTest, MatchesTheReferencePicture) {
    const std::optional<Image> reference =
        read_png(std::string(TOLVAN_TEST_SOURCE_DIR) + "/resources/reference/ecran.png");
    ASSERT_TRUE(reference) << "tests/resources/reference/ecran.png is missing or unreadable";
    ASSERT_EQ(reference->width, face().width);
    ASSERT_EQ(reference->height, face().height);
    EXPECT_EQ(first_difference(face(), *reference), "")
        << "the case bitmap changed; if on purpose, regenerate the reference (see the top of "
           "this file)";
}

TEST(InfoPictureTest, IsTheFaceScaledDownWithItsColoursKept) {
    const Image picture = make_info_picture();
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 27);
    // Area averaging keeps the mean colour of the whole picture, up to rounding.
    const auto mean = [](const Image& image, int shift) {
        long sum = 0;
        for (const Rgb colour : image.pixels)
            sum += colour >> shift & 0xFF;
        return static_cast<double>(sum) / static_cast<double>(image.pixels.size());
    };
    const Image face = make_case_bitmap();
    for (const int shift : {16, 8, 0})
        EXPECT_NEAR(mean(picture, shift), mean(face, shift), 0.5);
}

}  // namespace
}  // namespace tolvan
