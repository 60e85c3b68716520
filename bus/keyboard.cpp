#include "bus/keyboard.h"

namespace tolvan {

namespace {
constexpr std::uint8_t kNo = kNoMatrixPlace;
constexpr int kBreakCounterLimit = 2;

void advance_break_counter(Keyboard& keyboard) {
    keyboard.break_counter =
        keyboard.break_counter < kBreakCounterLimit ? keyboard.break_counter + 1 : 0;
}
}  // namespace

// clang-format off
const std::array<std::uint8_t, 8 * kKeyLines> kGroupAKeys = {
    63, 64, 65, 66, 67, kNo, kNo, kNo,  // line 0: 7 8 9 divide X-to-M
    68, 69, 70, 71, 72, 11, 23, 34,     // line 1: 4 5 6 multiply RM SHIFT DEF SML
    73, 74, 75, 76, 77, 13, 24, 35,     // line 2: 1 2 3 minus M+ Q A Z
    78, 79, 80, 81, 82, 14, 25, 36,     // line 3: 0 sign point plus equals W S X
    45, 46, 47, 48,  6, 15, 26, 37,     // line 4: hyp sin cos tan teal-3 E D C
    51, 52, 53, 54,  5, 16, 27, 38,     // line 5: HEX DEG ln log teal-2 R F V
    57, 58, 59, 60,  4, 17, 28, 39,     // line 6: EXP y^x root x^2 teal-1 T G B
};
const std::array<std::uint8_t, 8 * kKeyLines> kGroupBKeys = {
    kNo,  50,  56,  49,   7, 18, 29, 40,  // line 0: CCE up-down F-E down Y H N
    kNo, kNo,  62,  55,   8, 19, 30, 41,  // line 1: ) 1/x up U J M
    kNo, kNo, kNo,  61,   9, 20, 31, 42,  // line 2: ( left I K SPC
    kNo, kNo, kNo, kNo,  10, 21, 32, 43,  // line 3: right O L ENTER
    kNo, kNo, kNo, kNo, kNo, 22, 33,  2,  // line 4: P comma BASIC
    kNo, kNo, kNo, kNo, kNo, kNo, 12,  1, // line 5: SHIFT CAL
    kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo,
};
// clang-format on

void set_matrix_key(Keyboard& keyboard, int code) {
    keyboard.key_down = 0;
    for (int line = 0; line < kKeyLines; ++line) {
        keyboard.lines_a[line] = 0;
        keyboard.lines_b[line] = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int place = 8 * line + bit;
            const auto mask = static_cast<std::uint8_t>(1 << bit);
            if (kGroupAKeys[place] == code) {
                keyboard.lines_a[line] = mask;
                keyboard.key_down = 1;
            } else if (kGroupBKeys[place] == code) {
                keyboard.lines_b[line] = mask;
                keyboard.key_down = 1;
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

int take_pending_key(Keyboard& keyboard) {
    if (!keyboard.key_pending) return kNoKey;
    keyboard.key_pending = 0;
    return keyboard.pending_code;
}

bool poll_keyboard(Keyboard& keyboard) {
    if (keyboard.key_down) {
        if (keyboard.pending_code == kBreakKey) advance_break_counter(keyboard);
    } else if (keyboard.key_pending) {
        if (keyboard.pending_code == kBreakKey) {
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

void post_key(Keyboard& keyboard, int code) {
    keyboard.pending_code = code;
    keyboard.key_pending = 1;
    keyboard.key_down = 0;
    keyboard.scan_pass_counter = 0;
}

void clear_pending_key(Keyboard& keyboard) {
    keyboard.pending_code = kNoKey;
    keyboard.key_pending = 0;
    keyboard.key_down = 0;
}

}  // namespace tolvan
