#include "bus/keyboard.h"

#include <algorithm>
#include <cctype>

namespace tolvan {

namespace {
constexpr KeyCode kNo = kNoMatrixPlace;
constexpr int kBreakCounterLimit = 2;

void advance_break_counter(Keyboard& keyboard) {
    keyboard.break_counter =
        keyboard.break_counter < kBreakCounterLimit ? keyboard.break_counter + 1 : 0;
}

void post_next_queued_key(Keyboard& keyboard) {
    KeyQueue& queue = keyboard.queue;
    post_key(keyboard, queue.keys[queue.first]);
    queue.first = (queue.first + 1) % queue.keys.size();
    --queue.count;
}
}  // namespace

// clang-format off
using enum KeyCode;
const std::array<KeyCode, 8 * kKeyLines> kGroupAKeys = {
    kDigit7, kDigit8,     kDigit9,     kDivide,   kXToM,   kNo,     kNo,     kNo,
    kDigit4, kDigit5,     kDigit6,     kMultiply, kRm,     kShift,   kDef,     kSml,
    kDigit1, kDigit2,     kDigit3,     kMinus,    kMPlus,  kLetterQ, kLetterA, kLetterZ,
    kDigit0, kChangeSign, kPoint,      kPlus,     kEquals, kLetterW, kLetterS, kLetterX,
    kHyp,    kSin,        kCos,        kTan,      kTeal3,  kLetterE, kLetterD, kLetterC,
    kHex,    kDeg,        kLn,         kLog,      kTeal2,  kLetterR, kLetterF, kLetterV,
    kExp,    kPower,      kSquareRoot, kSquare,   kTeal1,  kLetterT, kLetterG, kLetterB,
};
const std::array<KeyCode, 8 * kKeyLines> kGroupBKeys = {
    kNo, kCce, kUpDown,           kFeExchange,      kDown,  kLetterY, kLetterH,   kLetterN,
    kNo, kNo, kCloseParenthesis, kReciprocal,      kUp,    kLetterU, kLetterJ,   kLetterM,
    kNo, kNo, kNo,              kOpenParenthesis, kLeft,  kLetterI, kLetterK,   kSpace,
    kNo, kNo, kNo,              kNo,             kRight, kLetterO, kLetterL,   kEnter,
    kNo, kNo, kNo,              kNo,             kNo,   kLetterP, kComma,     kBasic,
    kNo, kNo, kNo,              kNo,             kNo,   kNo,     kShiftQRow, kCal,
    kNo, kNo, kNo,              kNo,             kNo,   kNo,     kNo,       kNo,
};
// clang-format on

void set_matrix_key(Keyboard& keyboard, KeyCode code) {
    keyboard.key_down = false;
    // The empty places of the tables hold a code too; a code outside 1-82 must not match them.
    const bool may_have_place = is_key_code(code);
    for (int line = 0; line < kKeyLines; ++line) {
        keyboard.lines_a[line] = 0;
        keyboard.lines_b[line] = 0;
        if (!may_have_place) continue;
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
    if (!keyboard.key_pending) return KeyCode::kNone;
    keyboard.key_pending = false;
    return keyboard.pending_code;
}

bool poll_keyboard(Keyboard& keyboard) {
    // Firmware that has never reached the key-release address lets no key go that the slice
    // could wait for: each poll that finds the previous key taken hands it the next one.
    if (!keyboard.release_address_passed && !keyboard.key_pending && keyboard.queue.count != 0) {
        post_next_queued_key(keyboard);
    }
    if (keyboard.key_down) {
        if (keyboard.pending_code == KeyCode::kBrk) advance_break_counter(keyboard);
    } else if (keyboard.key_pending) {
        if (keyboard.pending_code == KeyCode::kBrk) {
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
    keyboard.pending_code = KeyCode::kNone;
    keyboard.key_pending = false;
    keyboard.key_down = false;
    keyboard.queue.count = 0;
}

bool keyboard_idle(const Keyboard& keyboard) {
    return !keyboard.key_pending && !keyboard.key_down && keyboard.queue.count == 0;
}

void post_break(Keyboard& keyboard) {
    keyboard.queue.count = 0;
    post_key(keyboard, KeyCode::kBrk);
}

bool queue_key(Keyboard& keyboard, KeyCode code) {
    KeyQueue& queue = keyboard.queue;
    if (code == KeyCode::kBrk) {
        post_break(keyboard);
        return true;
    }
    const bool replaces_held_key =
        !keyboard.release_address_passed && !keyboard.key_pending && queue.count == 0;
    if (keyboard_idle(keyboard) || replaces_held_key) {
        post_key(keyboard, code);
        return true;
    }
    if (queue.count == queue.keys.size()) return false;
    queue.keys[(queue.first + queue.count) % queue.keys.size()] = code;
    ++queue.count;
    return true;
}

void deliver_queued_key(Keyboard& keyboard) {
    if (keyboard.queue.count == 0 || keyboard.key_pending || keyboard.key_down) return;
    post_next_queued_key(keyboard);
}

namespace {

// In the order of the codes, from 1.
// clang-format off
constexpr std::array<std::string_view, key_number(kHighestKeyCode)> kKeyNames = {
    "Cal", "Basic", "Brk", "Teal1", "Teal2", "Teal3", "Down", "Up", "Left", "Right", "Shift",
    "ShiftQRow", "LetterQ", "LetterW", "LetterE", "LetterR", "LetterT",
        "LetterY", "LetterU", "LetterI", "LetterO", "LetterP",
    "Def", "LetterA", "LetterS", "LetterD", "LetterF", "LetterG",
        "LetterH", "LetterJ", "LetterK", "LetterL", "Comma",
    "Sml", "LetterZ", "LetterX", "LetterC", "LetterV", "LetterB",
        "LetterN", "LetterM", "Space", "Enter", "UnderEnter",
    "Hyp", "Sin", "Cos", "Tan", "FeExchange", "Cce",
    "Hex", "Deg", "Ln", "Log", "Reciprocal", "UpDown",
    "Exp", "Power", "SquareRoot", "Square", "OpenParenthesis", "CloseParenthesis",
    "Digit7", "Digit8", "Digit9", "Divide", "XToM",
    "Digit4", "Digit5", "Digit6", "Multiply", "Rm",
    "Digit1", "Digit2", "Digit3", "Minus", "MPlus",
    "Digit0", "ChangeSign", "Point", "Plus", "Equals",
};
// clang-format on

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<KeyCode> key_code_named(std::string_view name) {
    for (std::size_t n = 0; n < kKeyNames.size(); ++n) {
        if (same_ignoring_case(kKeyNames[n], name)) return key_code(static_cast<int>(n) + 1);
    }
    return std::nullopt;
}

std::string_view key_name(KeyCode code) {
    if (!is_key_code(code)) return {};
    return kKeyNames[static_cast<std::size_t>(key_number(code) - 1)];
}

}  // namespace tolvan
