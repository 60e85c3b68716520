// The LCD drawn from display memory: column images from the pixel bitmap at the column
// geometry, the reversed last four cells, and annunciators lit or unlit from the case bitmap.
#include <gtest/gtest.h>

#include "machine/display.h"
#include "resources/artwork.h"

namespace tolvan {
namespace {

constexpr Rgb kCaseMarker = rgb(200, 10, 10);
constexpr Rgb kUnlitMarker = rgb(10, 200, 10);

struct DisplayTest : testing::Test {
    AddressSpace memory;
    Display display;

    DisplayTest() {
        display.pixel_bitmap = make_pixel_bitmap();
        // A case picture whose lit and unlit annunciator images can be told apart.
        display.case_bitmap = Image(kClientWidth, kClientHeight, kCaseMarker);
        for (const Annunciator& a : kAnnunciators) {
            copy_rect(display.case_bitmap, a.area.left, a.area.top + a.area.height,
                      Image(a.area.width, a.area.height, kUnlitMarker), 0, 0, a.area.width,
                      a.area.height);
        }
        draw_case(display);
    }
    // Whether the dot of a column index (0-94) and row (0-6) is drawn black.
    bool dot(int column_index, int row) const {
        return display.client.at(kLcdLeft + kColumnPitch * column_index,
                                 kLcdTop + kDotPitch * row) == kLcdDot;
    }
};

TEST_F(DisplayTest, ColumnByteBitsAreDotsFromTheTopAndBitSevenIsIgnored) {
    memory.image[0x7000] = 0x80;
    memory.image[0x7001] = 0x7F;
    memory.image[0x7002] = 0x41;
    draw_lcd(display, memory);
    for (int row = 0; row < kDotRows; ++row) {
        EXPECT_FALSE(dot(0, row)) << row;
        EXPECT_TRUE(dot(1, row)) << row;
        EXPECT_EQ(dot(2, row), row == 0 || row == 6) << row;
    }
    // Dots are 2 x 2 with a pitch of 3: the pixels between stay as drawn from the bitmap.
    EXPECT_EQ(display.client.at(kLcdLeft + 3 + 1, kLcdTop + 1), kLcdDot);
    EXPECT_EQ(display.client.at(kLcdLeft + 3, kLcdTop + 2), kLcdBackground);
    EXPECT_EQ(display.client.at(kLcdLeft + 3 + 2, kLcdTop), kCaseMarker) << "never drawn";
}

TEST_F(DisplayTest, LastFourCellsRunBackwardFromTheirEnd) {
    memory.image[0x7077] = 0x01;  // rightmost column of cell 12 (0x707B is its leftmost)
    memory.image[0x7068] = 0x01;  // rightmost column of cell 15
    draw_lcd(display, memory);
    EXPECT_EQ(display.client.at(293, kLcdTop), kLcdDot);
    EXPECT_TRUE(dot(6 * 12 + 4, 0));
    EXPECT_TRUE(dot(6 * 15 + 4, 0));
    EXPECT_FALSE(dot(6 * 12, 0));
}

TEST_F(DisplayTest, UndrawnBytesNeverShow) {
    for (int address = 0x703E; address <= 0x7067; ++address)
        memory.image[address] = 0x7F;
    draw_lcd(display, memory);
    for (int cell = 0; cell < kLcdCells; ++cell)
        EXPECT_FALSE(dot(6 * cell, 3)) << cell;
}

TEST_F(DisplayTest, AnnunciatorsCopyTheirLitOrUnlitImage) {
    memory.image[0x703D] = 0x81;  // BUSY, and bit 7 which has no annunciator
    memory.image[0x703C] = 0xF8;  // STAT mark, and bits 4-7 which have none
    draw_lcd(display, memory);
    for (const Annunciator& a : kAnnunciators) {
        const bool lit = std::string(a.legend) == "BUSY" || std::string(a.legend) == "STAT";
        EXPECT_EQ(display.client.at(a.area.left, a.area.top), lit ? kCaseMarker : kUnlitMarker)
            << a.legend;
    }
}

TEST_F(DisplayTest, TextShowsDotsAndLitLegends) {
    memory.image[0x7000] = 0x01;
    memory.image[0x707C] = 0x48;  // RAD and PRINT
    const std::string text = lcd_text(memory);
    EXPECT_EQ(text.substr(0, 6), "#.... ");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "RAD PRINT\n");
}

}  // namespace
}  // namespace tolvan
