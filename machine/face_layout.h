// The calculator's face, in pixels of the window's client area: where the LCD's dot columns and
// annunciators are, where each key is framed and which points press it. The display draws, the
// artwork paints, the window hit-tests clicks and frames the pressed key at these places.
#pragma once

#include <array>
#include <cstdint>

#include "base/rect.h"
#include "bus/keyboard.h"

namespace tolvan {

inline constexpr int kClientWidth = 602;
inline constexpr int kClientHeight = 222;

// ---- LCD: 16 cells of 5 x 7 dots, each dot column drawn as one column image.
inline constexpr int kLcdCells = 16;
inline constexpr int kColumnsPerCell = 5;
// Each cell takes six column places; the sixth is the gap before the next cell, never drawn.
inline constexpr int kColumnPlacesPerCell = kColumnsPerCell + 1;
inline constexpr int kDotRows = 7;
inline constexpr int kLcdLeft = 65;
inline constexpr int kLcdTop = 50;
inline constexpr int kColumnPitch = 3;
inline constexpr int kDotPitch = 3;
inline constexpr int kDotSize = 2;
inline constexpr int kColumnImageWidth = 2;
inline constexpr int kColumnImageHeight = 21;

// Display memory: cells 0-11 run forward from 0x7000; cells 12-15 run backward from 0x707B.
inline constexpr std::uint16_t kFirstCellsStart = 0x7000;
inline constexpr int kFirstCellsCount = 12;
inline constexpr std::uint16_t kLastCellsStart = 0x707B;

// An annunciator: one bit of display memory lights the legend in `area`. The case bitmap holds
// the lit legend there and the unlit glass just below it.
struct Annunciator {
    std::uint16_t address;
    int bit;
    Rect area;
    const char* legend;
};

// In drawing order.
// clang-format off
inline constexpr std::array<Annunciator, 18> kAnnunciators = {{
    {0x703D, 0, { 57, 32, 23, 7}, "BUSY"},
    {0x703D, 1, { 90, 32, 15, 7}, "DEF"},
    {0x703D, 2, {142, 32, 24, 7}, "SHIFT"},
    {0x703D, 3, {176, 32, 17, 7}, "HYP"},
    {0x703D, 4, {129, 80,  4, 2}, "PRO"},
    {0x703D, 5, {104, 80,  4, 2}, "RUN"},
    {0x703D, 6, { 75, 80,  4, 2}, "CAL"},
    {0x707C, 0, {339, 32,  4, 7}, "E"},
    {0x707C, 1, {330, 32,  7, 7}, "M"},
    {0x707C, 2, {312, 32, 10, 7}, "()"},
    {0x707C, 3, {257, 32, 17, 7}, "RAD"},
    {0x707C, 4, {251, 32,  5, 7}, "G"},
    {0x707C, 5, {239, 32, 11, 7}, "DE"},
    {0x707C, 6, {311, 80,  4, 2}, "PRINT"},
    {0x703C, 0, {198, 32,  8, 7}, "KANA1"},
    {0x703C, 1, {211, 32,  5, 7}, "KANA2"},
    {0x703C, 2, {220, 32, 16, 7}, "SML"},
    {0x703C, 3, {285, 80,  4, 2}, "STAT"},
}};
// clang-format on

// ---- Keys. A key's frame is a Rect whose lines run along x = left, y = top, x = left + width
// and y = top + height: the key covers width + 1 by height + 1 pixels.

// One block of keys of equal size on a regular grid, numbered row by row from first_code. The
// sensitive area of a key starts one pixel left of and above its frame.
struct KeyBlock {
    int left;  // frame left of column 0
    int top;   // frame top of row 0
    int columns;
    int rows;
    int pitch_x;
    int pitch_y;
    int sensitive_width;  // last sensitive offset from the area's left, inclusive
    int sensitive_height;
    int frame_width;
    int frame_height;
    KeyCode first_code;
};

inline constexpr KeyBlock kAlphabeticBlock{9, 115, 11, 4, 34, 28, 25, 14, 23, 12, KeyCode::kCal};
inline constexpr KeyBlock kScientificBlock{387, 15, 6, 3, 34, 28, 25, 14, 23, 12, KeyCode::kHyp};
inline constexpr KeyBlock kNumberPad{387, 96, 5, 4, 42, 32, 29, 21, 27, 19, KeyCode::kDigit7};

// Where clicks reach each block: right of kScientificBlock.left, the scientific block down to
// kScientificBottom and the number pad below; the alphabetic block left of kAlphabeticRight.
inline constexpr int kScientificBottom = 94;
inline constexpr int kAlphabeticRight = 385;

// ENTER is wider than the other keys and closes the alphabetic block's last row: it takes the
// grid places from kEnterColumn on, and every point from its left edge to the block's right end
// and from its top down is ENTER.
inline constexpr Rect kEnterFrame{315, 199, 57, 12};
inline constexpr int kEnterRow = 3;
inline constexpr int kEnterColumn = 9;

constexpr Rect key_frame(const KeyBlock& block, int row, int column) {
    return {block.left + block.pitch_x * column, block.top + block.pitch_y * row, block.frame_width,
            block.frame_height};
}

// The frame of a key of the case; an empty Rect for a code of no key.
constexpr Rect key_frame(KeyCode code) {
    if (code == KeyCode::kEnter) return kEnterFrame;
    if (code == KeyCode::kUnderEnter) return {};
    for (const KeyBlock& block : {kAlphabeticBlock, kScientificBlock, kNumberPad}) {
        const int index = key_number(code) - key_number(block.first_code);
        if (index >= 0 && index < block.columns * block.rows) {
            return key_frame(block, index / block.columns, index % block.columns);
        }
    }
    return {};
}

}  // namespace tolvan
