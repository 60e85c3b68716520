#include "bus/keyboard.h"

namespace tolvan {

namespace {
constexpr KeyCode kNo = kNoMatrixPlace;
constexpr int kBreakCounterLimit = 2;

void advance_break_counter(Keyboard& keyboard) {
    keyboard.break_counter =
        keyboard.break_counter < kBreakCounterLimit ? keyboard.break_counter + 1 : 0;
}
}  // namespace

// clang-format off
using enum KeyCode;
const std::array<KeyCode, 8 * kKeyLines> kGroupAKeys = {
    Digit7, Digit8,     Digit9,     Divide,   XToM,   kNo,     kNo,     kNo,
    Digit4, Digit5,     Digit6,     Multiply, Rm,     Shift,   Def,     Sml,
    Digit1, Digit2,     Digit3,     Minus,    MPlus,  LetterQ, LetterA, LetterZ,
    Digit0, ChangeSign, Point,      Plus,     Equals, LetterW, LetterS, LetterX,
    Hyp,    Sin,        Cos,        Tan,      Teal3,  LetterE, LetterD, LetterC,
    Hex,    Deg,        Ln,         Log,      Teal2,  LetterR, LetterF, LetterV,
    Exp,    Power,      SquareRoot, Square,   Teal1,  LetterT, LetterG, LetterB,
};
const std::array<KeyCode, 8 * kKeyLines> kGroupBKeys = {
    kNo, Cce, UpDown,           FeExchange,      Down,  LetterY, LetterH,   LetterN,
    kNo, kNo, CloseParenthesis, Reciprocal,      Up,    LetterU, LetterJ,   LetterM,
    kNo, kNo, kNo,              OpenParenthesis, Left,  LetterI, LetterK,   Space,
    kNo, kNo, kNo,              kNo,             Right, LetterO, LetterL,   Enter,
    kNo, kNo, kNo,              kNo,             kNo,   LetterP, Comma,     Basic,
    kNo, kNo, kNo,              kNo,             kNo,   kNo,     ShiftQRow, Cal,
    kNo, kNo, kNo,              kNo,             kNo,   kNo,     kNo,       kNo,
};
// clang-format on

void set_matrix_key(Keyboard& keyboard, KeyCode code) {
    keyboard.key_down = false;
    for (int line = 0; line < kKeyLines; ++line) {
        keyboard.lines_a[line] = 0;
        keyboard.lines_b[line] = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int place = 8 * line + bit;
            const auto mask = static_cast<std::uint8_t>(1 << bit);
            if (kGroupAKeys[place] == code) {
                keyboard.lines_a[line] = mask;
                keyboard.key_down = true;
            } else if (kGroupBKeys[place] == code) {
                keyboard.lines_b[line] = mask;
                keyboard.key_down = true;
            }
        }
    }
}

void release_matrix_keys(Keyboard& keyboard) {
    keyboard.key_down = 0;
    keyboard.lines_a.fill(0);
    keyboard.lines_b.fill(0);
}

std::uint8_t read_key_lines(const Keyboard& keyboard, std::uint8_t key_strobe,
                            std::uint8_t port_a) {
    // The strobe pattern itself is part of what the firmware reads back.
    std::uint8_t result = port_a;
    for (int line = 0; line < kKeyLines; ++line) {
        if (key_strobe == (1 << line)) result |= keyboard.lines_a[line];
        if (port_a & (1 << line)) result |= keyboard.lines_b[line];
    }
    return result;
}

KeyCode take_pending_key(Keyboard& keyboard) {
    if (!keyboard.key_pending) return KeyCode::None;
    keyboard.key_pending = false;
    return keyboard.pending_code;
}

bool poll_keyboard(Keyboard& keyboard) {
    if (keyboard.key_down) {
        if (keyboard.pending_code == KeyCode::Brk) advance_break_counter(keyboard);
    } else if (keyboard.key_pending) {
        if (keyboard.pending_code == KeyCode::Brk) {
            advance_break_counter(keyboard);
        } else {
            keyboard.break_counter = 0;
        }
        set_matrix_key(keyboard, take_pending_key(keyboard));
    } else if (keyboard.break_counter != 0) {
        advance_break_counter(keyboard);
    }
    return keyboard.break_counter != 0;
}

void post_key(Keyboard& keyboard, KeyCode code) {
    keyboard.pending_code = code;
    keyboard.key_pending = true;
    keyboard.key_down = false;
    keyboard.scan_pass_counter = 0;
}

void clear_pending_key(Keyboard& keyboard) {
    keyboard.pending_code = KeyCode::None;
    keyboard.key_pending = false;
    keyboard.key_down = false;
}

}  // namespace tolvan
