// The settings boxes' number fields, the RAM size menu item, and the LCD area.
#include <gtest/gtest.h>

#include <limits>

#include "machine/display.h"
#include "ui/dialog_fields.h"
#include "ui/lcd_area.h"
#include "ui/menu_ids.h"

namespace tolvan {
namespace {

TEST(DialogFields, UnsignedDecimalOrZero) {
    EXPECT_EQ(parse_unsigned_field("0"), 0u);
    EXPECT_EQ(parse_unsigned_field("256"), 256u);
    EXPECT_EQ(parse_unsigned_field("  42 "), 42u);
    EXPECT_EQ(parse_unsigned_field("007"), 7u);
    EXPECT_EQ(parse_unsigned_field("4294967295"), 4294967295u);
    // Anything else reads as 0.
    EXPECT_EQ(parse_unsigned_field(""), 0u);
    EXPECT_EQ(parse_unsigned_field("   "), 0u);
    EXPECT_EQ(parse_unsigned_field("abc"), 0u);
    EXPECT_EQ(parse_unsigned_field("12abc"), 0u);
    EXPECT_EQ(parse_unsigned_field("-5"), 0u);
    EXPECT_EQ(parse_unsigned_field("+5"), 0u);
    EXPECT_EQ(parse_unsigned_field("0x10"), 0u);
    EXPECT_EQ(parse_unsigned_field("1 2"), 0u);
    EXPECT_EQ(parse_unsigned_field("4294967296"), 0u);
    EXPECT_EQ(parse_unsigned_field("99999999999999999999999999"), 0u);
}

TEST(DialogFields, AddressesAreKeptInSixteenBits) {
    EXPECT_EQ(address_from_field("70000"), 4464);
    EXPECT_EQ(address_from_field("65535"), 65535);
    EXPECT_EQ(address_from_field("65536"), 0);
    EXPECT_EQ(address_from_field("abc"), 0);
}

TEST(DialogFields, TimerLimit512msIsEditedInHundreds) {
    EXPECT_EQ(timer_limit_512ms_field_text(50000), "500");
    EXPECT_EQ(timer_limit_512ms_field_text(50099), "500");
    EXPECT_EQ(timer_limit_512ms_from_field("500"), 50000);
    EXPECT_EQ(timer_limit_512ms_from_field("x"), 0);
}

TEST(DialogFields, LargeTimingEntriesStayPositive) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(timer_limit_512ms_from_field("21474836"), 2147483600);
    EXPECT_EQ(timer_limit_512ms_from_field("21474837"), kMax);
    EXPECT_EQ(timer_limit_512ms_from_field("4294967295"), kMax);
    EXPECT_EQ(timing_from_field("2147483647"), kMax);
    EXPECT_EQ(timing_from_field("4294967295"), kMax);
    EXPECT_EQ(timing_from_field("20"), 20);
    EXPECT_EQ(timing_field_text(-1), "0");
    EXPECT_EQ(timing_field_text(kMax), "2147483647");
}

TEST(RamSizeMenu, ItemOfEachSize) {
    EXPECT_EQ(ram_size_menu_item(16), MenuCommand::kRam16);
    EXPECT_EQ(ram_size_menu_item(8), MenuCommand::kRam8);
    EXPECT_EQ(ram_size_menu_item(4), MenuCommand::kRam4);
    // Any other option decodes as 4 KB and is shown so.
    EXPECT_EQ(ram_size_menu_item(0), MenuCommand::kRam4);
    EXPECT_EQ(ram_size_menu_item(-3), MenuCommand::kRam4);
    EXPECT_EQ(ram_size_of_menu_item(MenuCommand::kRam16), 16);
    EXPECT_EQ(ram_size_of_menu_item(MenuCommand::kRam8), 8);
    EXPECT_EQ(ram_size_of_menu_item(MenuCommand::kRam4), 4);
    EXPECT_EQ(ram_size_of_menu_item(MenuCommand::kAbout), 0);
}

TEST(LcdArea, HoldsEveryColumnAndAnnunciator) {
    const Rect area = lcd_area();
    const auto inside = [&area](int x, int y) {
        return x >= area.left && x < area.left + area.width && y >= area.top &&
               y < area.top + area.height;
    };
    EXPECT_TRUE(inside(kLcdLeft, kLcdTop));
    // Rightmost column of the last cell, its bottom dot.
    EXPECT_TRUE(inside(kLcdLeft + kColumnPitch * 94 + 1, kLcdTop + kColumnImageHeight - 1));
    for (const Annunciator& a : kAnnunciators) {
        EXPECT_TRUE(inside(a.area.left, a.area.top)) << a.legend;
        EXPECT_TRUE(inside(a.area.right(), a.area.bottom())) << a.legend;
    }
}

}  // namespace
}  // namespace tolvan
