// The LCD drawn into the off-screen image of the window's client area, by copying rectangles of
// the pixel bitmap (one image per column byte) and of the case bitmap (annunciators lit or not).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/image.h"
#include "bus/address_space.h"

namespace tolvan {

inline constexpr int kClientWidth = 602;
inline constexpr int kClientHeight = 222;
inline constexpr int kCaseCopyWidth = 608;  // the case copy is wider than the bitmap: clipped
inline constexpr int kCaseCopyHeight = 225;
inline constexpr int kPixelBitmapWidth = 384;
inline constexpr int kPixelBitmapHeight = 27;
inline constexpr Rgb kLcdBackground = rgb(107, 132, 107);
inline constexpr Rgb kLcdDot = rgb(0, 0, 0);

inline constexpr int kLcdCells = 16;
inline constexpr int kColumnsPerCell = 5;
inline constexpr int kDotRows = 7;
inline constexpr int kLcdLeft = 65;
inline constexpr int kLcdTop = 50;
inline constexpr int kColumnPitch = 3;
inline constexpr int kColumnImageWidth = 2;
inline constexpr int kColumnImageHeight = 21;
inline constexpr int kDotPitch = 3;

// Cells 0-11 run forward from 0x7000; cells 12-15 run backward from 0x707B.
inline constexpr std::uint16_t kFirstCellsStart = 0x7000;
inline constexpr int kFirstCellsCount = 12;
inline constexpr std::uint16_t kLastCellsStart = 0x707B;

struct Annunciator {
    std::uint16_t address;
    int bit;
    int x, y, width, height;
    const char* legend;
};

// In drawing order.
extern const std::array<Annunciator, 18> kAnnunciators;

struct Display {
    Image client{kClientWidth, kClientHeight};
    Image case_bitmap;
    Image pixel_bitmap;
};

// The display memory address of one column (cell 0-15, column 0-4 from the left).
std::uint16_t lcd_column_address(int cell, int column);

void draw_lcd_column(Display& display, int column_index, int offset, std::uint8_t column_byte);
void draw_annunciators(Display& display, const AddressSpace& memory);
void draw_lcd(Display& display, const AddressSpace& memory);
void draw_case(Display& display);

// What the LCD shows, as text: seven rows of 16 cells ('#' lit, '.' dark, cells separated by a
// space), then the legends of the lit annunciators in drawing order.
std::string lcd_text(const AddressSpace& memory);

}  // namespace tolvan
