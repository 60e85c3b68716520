#include "machine/display.h"

namespace tolvan {

namespace {
constexpr std::uint8_t kDotMask = 0x7F;  // bit 7 of a column byte is not displayed

bool annunciator_lit(const AddressSpace& memory, const Annunciator& annunciator) {
    return (read_program_byte(memory, annunciator.address) >> annunciator.bit) & 1;
}

std::uint8_t cell_at(LcdCells cells, std::uint16_t address) {
    return cells[static_cast<std::size_t>(address - kDisplayStart)];
}
}  // namespace

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

void draw_annunciators(Display& display, LcdCells cells) {
    for (const Annunciator& a : kAnnunciators) {
        // The unlit image is the plain glass just below the lit legend in the case bitmap.
        const Rect& r = a.area;
        const bool lit = (cell_at(cells, a.address) >> a.bit) & 1;
        const int source_y = lit ? r.top : r.top + r.height;
        copy_rect(display.client, r.left, r.top, display.case_bitmap, r.left, source_y, r.width,
                  r.height);
    }
}

void draw_lcd(Display& display, LcdCells cells) {
    for (int cell = 0; cell < kLcdCells; ++cell) {
        for (int column = 0; column < kColumnsPerCell; ++column) {
            const int column_index = kColumnPlacesPerCell * cell + column;
            draw_lcd_column(display, column_index, 0,
                            cell_at(cells, lcd_column_address(cell, column)));
        }
    }
    draw_annunciators(display, cells);
}

void draw_lcd(Display& display, const AddressSpace& memory) {
    draw_lcd(display, LcdCells(&memory.image[kDisplayStart], kDrawnDisplaySize));
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
