// The settings boxes' number fields, the RAM size menu item, and the LCD area.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "machine/display.h"
#include "ui/dialog_fields.h"
#include "ui/lcd_area.h"
#include "ui/menu_ids.h"

namespace tolvan {
namespace {

// Each entry of a settings box's field: what it stores, or nothing when it cannot be stored
// (the box then says so instead of storing 0).
struct FieldCase {
    const char* text;
    std::optional<std::uint16_t> address;  // in the Unassemble box
    std::optional<std::int32_t> timing;    // in the speed box's delay and 2 ms fields
    std::optional<std::int32_t> limit_512ms;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const FieldCase kFieldCases[] = {
    // Decimal: the addresses' meaning of plain digits is unchanged.
    {"0", 0, 0, 0},
    {"256", 256, 256, 25600},
    {"  42 ", 42, 42, 4200},
    {"007", 7, 7, 700},
    {"65535", 0xFFFF, 65535, 6553500},
    {"65536", std::nullopt, 65536, 6553600},
    {"70000", std::nullopt, 70000, 7000000},
    {"21474836", std::nullopt, 21474836, 2147483600},
    {"21474837", std::nullopt, 21474837, std::nullopt},
    {"2147483647", std::nullopt, kMax, std::nullopt},
    {"2147483648", std::nullopt, std::nullopt, std::nullopt},
    {"99999999999", std::nullopt, std::nullopt, std::nullopt},
    // Hexadecimal and labels, as the debugger's fields take them: addresses only.
    {"0x8000", 0x8000, std::nullopt, std::nullopt},
    {"&1A2F", 0x1A2F, std::nullopt, std::nullopt},
    {"0x10000", std::nullopt, std::nullopt, std::nullopt},
    {"render", 0x8123, std::nullopt, std::nullopt},
    {"render+0x10", 0x8133, std::nullopt, std::nullopt},
    {"render-1", 0x8122, std::nullopt, std::nullopt},
    // Plain hex digits read as decimal do not make a number.
    {"1A2F", std::nullopt, std::nullopt, std::nullopt},
    // Garbage: never 0.
    {"", std::nullopt, std::nullopt, std::nullopt},
    {"   ", std::nullopt, std::nullopt, std::nullopt},
    {"d", std::nullopt, std::nullopt, std::nullopt},
    {"abc", std::nullopt, std::nullopt, std::nullopt},
    {"12abc", std::nullopt, std::nullopt, std::nullopt},
    {"-5", std::nullopt, std::nullopt, std::nullopt},
    {"+5", std::nullopt, std::nullopt, std::nullopt},
    {"1 2", std::nullopt, std::nullopt, std::nullopt},
    {"renderx", std::nullopt, std::nullopt, std::nullopt},
};

TEST(DialogFields, EachEntryStoresWhatItMeansOrNothing) {
    Symbols symbols;
    add_symbol(symbols, "render", 0x8123);
    for (const FieldCase& c : kFieldCases) {
        EXPECT_EQ(address_from_field(c.text, symbols), c.address) << '"' << c.text << '"';
        EXPECT_EQ(timing_from_field(c.text), c.timing) << '"' << c.text << '"';
        EXPECT_EQ(timer_limit_512ms_from_field(c.text), c.limit_512ms) << '"' << c.text << '"';
    }
}

TEST(DialogFields, TimingFieldsShowWhatTheyStore) {
    EXPECT_EQ(timer_limit_512ms_field_text(50000), "500");
    EXPECT_EQ(timer_limit_512ms_field_text(50099), "500");
    EXPECT_EQ(timing_field_text(-1), "0");
    EXPECT_EQ(timing_field_text(kMax), "2147483647");
    // What a field shows reads back as the value it came from, to the field's unit.
    for (const std::int32_t value : {0, 20, 50000, 2147483600, kMax}) {
        EXPECT_EQ(timing_from_field(timing_field_text(value)), value);
        EXPECT_EQ(timer_limit_512ms_from_field(timer_limit_512ms_field_text(value)),
                  value / 100 * 100);
    }
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
