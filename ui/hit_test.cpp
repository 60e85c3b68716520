#include "ui/hit_test.h"

#include "machine/face_layout.h"

namespace tolvan {

namespace {

// A key of the block, or none when the point falls between keys or beyond the block's last row
// or column (beyond the last column the grid arithmetic would reach the next row's first key).
KeyCode block_key(const KeyBlock& block, int x, int y, Rect* rect) {
    const int dx = x - (block.left - 1);
    const int dy = y - (block.top - 1);
    if (dx < 0 || dy < 0) return KeyCode::kNone;
    const int column = dx / block.pitch_x;
    const int row = dy / block.pitch_y;
    if (column >= block.columns || row >= block.rows) return KeyCode::kNone;
    if (dx - block.pitch_x * column > block.sensitive_width) return KeyCode::kNone;
    if (dy - block.pitch_y * row > block.sensitive_height) return KeyCode::kNone;
    if (rect) *rect = key_frame(block, row, column);
    return key_code(key_number(block.first_code) + block.columns * row + column);
}

KeyCode enter_key(Rect* rect) {
    if (rect) *rect = kEnterFrame;
    return KeyCode::kEnter;
}

KeyCode alphabetic_key(int x, int y, Rect* rect) {
    if (x >= kEnterFrame.left && y >= kEnterFrame.top) return enter_key(rect);
    Rect grid_rect;
    const KeyCode code = block_key(kAlphabeticBlock, x, y, &grid_rect);
    if (code == KeyCode::kNone) return KeyCode::kNone;
    // The grid places of ENTER's row beyond SPC all lie on ENTER.
    const int row = (grid_rect.top - kAlphabeticBlock.top) / kAlphabeticBlock.pitch_y;
    const int column = (grid_rect.left - kAlphabeticBlock.left) / kAlphabeticBlock.pitch_x;
    if (row == kEnterRow && column >= kEnterColumn) return enter_key(rect);
    if (rect) *rect = grid_rect;
    return code;
}

}  // namespace

KeyCode hit_test(int x, int y, Rect* rect) {
    if (x >= kScientificBlock.left) {
        if (y >= kScientificBlock.top && y <= kScientificBottom) {
            return block_key(kScientificBlock, x, y, rect);
        }
        if (y >= kNumberPad.top) return block_key(kNumberPad, x, y, rect);
        return KeyCode::kNone;
    }
    if (x >= kAlphabeticBlock.left && x <= kAlphabeticRight && y >= kAlphabeticBlock.top) {
        return alphabetic_key(x, y, rect);
    }
    return KeyCode::kNone;
}

}  // namespace tolvan
