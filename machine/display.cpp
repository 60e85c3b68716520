#include "machine/display.h"

namespace tolvan {

namespace {
constexpr int kColumnGap = 1;            // the sixth column position of each cell is never drawn
constexpr std::uint8_t kDotMask = 0x7F;  // bit 7 of a column byte is not displayed

bool annunciator_lit(const AddressSpace& memory, const Annunciator& annunciator) {
    return (read_program_byte(memory, annunciator.address) >> annunciator.bit) & 1;
}
}  // namespace

// clang-format off
const std::array<Annunciator, 18> kAnnunciators = {{
    {0x703D, 0,  57, 32, 23, 7, "BUSY"},
    {0x703D, 1,  90, 32, 15, 7, "DEF"},
    {0x703D, 2, 142, 32, 24, 7, "SHIFT"},
    {0x703D, 3, 176, 32, 17, 7, "HYP"},
    {0x703D, 4, 129, 80,  4, 2, "PRO"},
    {0x703D, 5, 104, 80,  4, 2, "RUN"},
    {0x703D, 6,  75, 80,  4, 2, "CAL"},
    {0x707C, 0, 339, 32,  4, 7, "E"},
    {0x707C, 1, 330, 32,  7, 7, "M"},
    {0x707C, 2, 312, 32, 10, 7, "()"},
    {0x707C, 3, 257, 32, 17, 7, "RAD"},
    {0x707C, 4, 251, 32,  5, 7, "G"},
    {0x707C, 5, 239, 32, 11, 7, "DE"},
    {0x707C, 6, 311, 80,  4, 2, "PRINT"},
    {0x703C, 0, 198, 32,  8, 7, "KANA1"},
    {0x703C, 1, 211, 32,  5, 7, "KANA2"},
    {0x703C, 2, 220, 32, 16, 7, "SML"},
    {0x703C, 3, 285, 80,  4, 2, "STAT"},
}};
// clang-format on

std::uint16_t lcd_column_address(int cell, int column) {
    if (cell < kFirstCellsCount) {
        return static_cast<std::uint16_t>(kFirstCellsStart + kColumnsPerCell * cell + column);
    }
    const int m = cell - kFirstCellsCount;
    return static_cast<std::uint16_t>(kLastCellsStart - kColumnsPerCell * m - column);
}

void draw_lcd_column(Display& display, int column_index, int offset, std::uint8_t column_byte) {
    copy_rect(display.client, kLcdLeft + kColumnPitch * column_index, kLcdTop + offset,
              display.pixel_bitmap, kColumnImageWidth * (column_byte & kDotMask), 0,
              kColumnImageWidth, kColumnImageHeight);
}

void draw_annunciators(Display& display, const AddressSpace& memory) {
    for (const Annunciator& a : kAnnunciators) {
        // The unlit image is the plain glass just below the lit legend in the case bitmap.
        const int source_y = annunciator_lit(memory, a) ? a.y : a.y + a.height;
        copy_rect(display.client, a.x, a.y, display.case_bitmap, a.x, source_y, a.width, a.height);
    }
}

void draw_lcd(Display& display, const AddressSpace& memory) {
    for (int cell = 0; cell < kLcdCells; ++cell) {
        for (int column = 0; column < kColumnsPerCell; ++column) {
            const int column_index = (kColumnsPerCell + kColumnGap) * cell + column;
            draw_lcd_column(display, column_index, 0,
                            memory.image[lcd_column_address(cell, column)]);
        }
    }
    draw_annunciators(display, memory);
}

void draw_case(Display& display) {
    copy_rect(display.client, 0, 0, display.case_bitmap, 0, 0, kCaseCopyWidth, kCaseCopyHeight);
}

std::string lcd_text(const AddressSpace& memory) {
    std::string text;
    for (int row = 0; row < kDotRows; ++row) {
        for (int cell = 0; cell < kLcdCells; ++cell) {
            if (cell > 0) text += ' ';
            for (int column = 0; column < kColumnsPerCell; ++column) {
                const std::uint8_t byte = memory.image[lcd_column_address(cell, column)];
                text += (byte >> row) & 1 ? '#' : '.';
            }
        }
        text += '\n';
    }
    std::string legends;
    for (const Annunciator& a : kAnnunciators) {
        if (!annunciator_lit(memory, a)) continue;
        if (!legends.empty()) legends += ' ';
        legends += a.legend;
    }
    return text + legends + '\n';
}

}  // namespace tolvan
