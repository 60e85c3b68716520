// The LCD drawn into the off-screen image of the window's client area, by copying rectangles of
// the pixel bitmap (one image per column byte) and of the case bitmap (annunciators lit or not).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/image.h"
#include "bus/address_space.h"
#include "machine/face_layout.h"

namespace tolvan {

inline constexpr int kCaseCopyWidth = 608;  // the case copy is wider than the bitmap: clipped
inline constexpr int kCaseCopyHeight = 225;
inline constexpr int kPixelBitmapWidth = 384;
inline constexpr int kPixelBitmapHeight = 27;
inline constexpr Rgb kLcdBackground = rgb(107, 132, 107);
inline constexpr Rgb kLcdDot = rgb(0, 0, 0);

struct Display {
    Image client{kClientWidth, kClientHeight};
    Image case_bitmap;
    Image pixel_bitmap;
};

// The display memory address of one column (cell 0-15, column 0-4 from the left).
std::uint16_t lcd_column_address(int cell, int column);

void draw_lcd_column(Display& display, int column_index, int offset, std::uint8_t column_byte);
// The drawn display area, 0x7000-0x707C: the LCD's dot columns and annunciators.
inline constexpr std::size_t kDrawnDisplaySize = kDisplayDrawnEnd - kDisplayStart;
using LcdCells = std::span<const std::uint8_t, kDrawnDisplaySize>;

void draw_annunciators(Display& display, LcdCells cells);
void draw_lcd(Display& display, LcdCells cells);
// The LCD as the display area in memory holds it.
void draw_lcd(Display& display, const AddressSpace& memory);
void draw_case(Display& display);

// What the LCD shows, as text: seven rows of 16 cells ('#' lit, '.' dark, cells separated by a
// space), then the legends of the lit annunciators in drawing order.
std::string lcd_text(const AddressSpace& memory);

}  // namespace tolvan
