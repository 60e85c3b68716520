#include "ui/hit_test.h"

namespace tolvan {

namespace {

// One block of keys of equal size on a regular grid. The sensitive area of a key starts one
// pixel left of and above its frame.
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

constexpr KeyBlock kScientificBlock{387, 15, 6, 3, 34, 28, 25, 14, 23, 12, KeyCode::Hyp};
constexpr KeyBlock kNumberPad{387, 96, 5, 4, 42, 32, 29, 21, 27, 19, KeyCode::Digit7};
constexpr KeyBlock kAlphabeticBlock{9, 115, 11, 4, 34, 28, 25, 14, 23, 12, KeyCode::Cal};

constexpr int kScientificBottom = 94;
constexpr int kAlphabeticRight = 385;

// ENTER is wider than the other keys and closes the alphabetic block's last row: every point
// from its left edge to the block's right end and from its top down is ENTER.
constexpr KeyRect kEnterFrame{315, 199, 57, 12};
constexpr int kEnterRow = 3;
constexpr int kEnterColumn = 9;

// A key of the block, or none when the point falls between keys or beyond the block's last row or
// column (beyond the last column the grid arithmetic would reach the next row's first key).
KeyCode block_key(const KeyBlock& block, int x, int y, KeyRect* rect) {
    const int dx = x - (block.left - 1);
    const int dy = y - (block.top - 1);
    if (dx < 0 || dy < 0) return KeyCode::None;
    const int column = dx / block.pitch_x;
    const int row = dy / block.pitch_y;
    if (column >= block.columns || row >= block.rows) return KeyCode::None;
    if (dx - block.pitch_x * column > block.sensitive_width) return KeyCode::None;
    if (dy - block.pitch_y * row > block.sensitive_height) return KeyCode::None;
    if (rect) {
        *rect = KeyRect{block.left + block.pitch_x * column, block.top + block.pitch_y * row,
                        block.frame_width, block.frame_height};
    }
    return key_code(key_number(block.first_code) + block.columns * row + column);
}

KeyCode enter_key(KeyRect* rect) {
    if (rect) *rect = kEnterFrame;
    return KeyCode::Enter;
}

KeyCode alphabetic_key(int x, int y, KeyRect* rect) {
    if (x >= kEnterFrame.left && y >= kEnterFrame.top) return enter_key(rect);
    KeyRect grid_rect;
    const KeyCode code = block_key(kAlphabeticBlock, x, y, &grid_rect);
    if (code == KeyCode::None) return KeyCode::None;
    // The grid places of ENTER's row beyond SPC all lie on ENTER.
    const int row = (grid_rect.top - kAlphabeticBlock.top) / kAlphabeticBlock.pitch_y;
    const int column = (grid_rect.left - kAlphabeticBlock.left) / kAlphabeticBlock.pitch_x;
    if (row == kEnterRow && column >= kEnterColumn) return enter_key(rect);
    if (rect) *rect = grid_rect;
    return code;
}

}  // namespace

KeyCode hit_test(int x, int y, KeyRect* rect) {
    if (x >= kScientificBlock.left) {
        if (y >= kScientificBlock.top && y <= kScientificBottom) {
            return block_key(kScientificBlock, x, y, rect);
        }
        if (y >= kNumberPad.top) return block_key(kNumberPad, x, y, rect);
        return KeyCode::None;
    }
    if (x >= kAlphabeticBlock.left && x <= kAlphabeticRight && y >= kAlphabeticBlock.top) {
        return alphabetic_key(x, y, rect);
    }
    return KeyCode::None;
}

}  // namespace tolvan
