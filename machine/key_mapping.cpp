#include "machine/key_mapping.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tolvan {

namespace {

using enum KeyCode;

// Letters by their legend on the case, whatever the user's keyboard layout.
constexpr std::array<KeyCode, 26> kLetterKeys = {
    kLetterA, kLetterB, kLetterC, kLetterD, kLetterE, kLetterF, kLetterG, kLetterH, kLetterI,
    kLetterJ, kLetterK, kLetterL, kLetterM, kLetterN, kLetterO, kLetterP, kLetterQ, kLetterR,
    kLetterS, kLetterT, kLetterU, kLetterV, kLetterW, kLetterX, kLetterY, kLetterZ,
};
constexpr std::array<KeyCode, 10> kDigitKeys = {kDigit0, kDigit1, kDigit2, kDigit3, kDigit4,
                                                kDigit5, kDigit6, kDigit7, kDigit8, kDigit9};
// F1-F9 press the keys of the top row.
constexpr std::array<KeyCode, 9> kFunctionKeys = {kCal,   kBasic, kBrk, kTeal1, kTeal2,
                                                  kTeal3, kDown,  kUp,  kLeft};

constexpr std::array<KeyCode, 256> make_character_table() {
    std::array<KeyCode, 256> table{};
    table['\r'] = kEnter;
    table[' '] = kSpace;
    table['*'] = kMultiply;
    table['+'] = kPlus;
    table['-'] = kMinus;
    table['/'] = kDivide;
    // So that BASIC can be typed from the PC keyboard.
    table['.'] = kPoint;
    table[','] = kComma;
    table['='] = kEquals;
    table['('] = kOpenParenthesis;
    table[')'] = kCloseParenthesis;
    for (int n = 0; n < 10; ++n)
        table['0' + n] = kDigitKeys[n];
    for (int n = 0; n < 26; ++n) {
        table['A' + n] = kLetterKeys[n];
        table['a' + n] = kLetterKeys[n];
    }
    return table;
}

constexpr std::array<KeyCode, 256> kCharacterTable = make_character_table();

}  // namespace

KeyCode key_code_for_virtual_key(int virtual_key) {
    switch (virtual_key) {
        case kVirtualKeyBackspace:
            return kLeft;
        case kVirtualKeyShift:
            return kShift;
        case kVirtualKeyEscape:
            return kCce;
        case kVirtualKeyLeft:
            return kLeft;
        case kVirtualKeyUp:
            return kUp;
        case kVirtualKeyRight:
            return kRight;
        case kVirtualKeyDown:
            return kDown;
        default:
            break;
    }
    if (virtual_key >= kVirtualKeyF1 && virtual_key <= kVirtualKeyF9) {
        return kFunctionKeys[virtual_key - kVirtualKeyF1];
    }
    return kNone;
}

KeyCode key_code_for_character(int character) {
    if (character < 0 || character > 255) return kNone;
    return kCharacterTable[character];
}

KeyPresses keys_for_key_down(int virtual_key, int character, bool shift_held) {
    KeyPresses presses;
    if (virtual_key == kVirtualKeyShift) return presses;
    KeyCode key = key_code_for_virtual_key(virtual_key);
    const bool types_character = key == kNone && virtual_key != kVirtualKeyReturn;
    if (key == kNone) key = key_code_for_character(character);
    if (key == kNone) return presses;
    if (shift_held && !types_character) presses.keys[presses.count++] = kShift;
    presses.keys[presses.count++] = key;
    return presses;
}

KeyCode shift_tap_key() {
    return key_code_for_virtual_key(kVirtualKeyShift);
}

namespace {

// The number of bytes of the UTF-8 sequence that starts with this byte; 1 for a stray byte.
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

}  // namespace

TypedText keys_for_text(std::string_view utf8) {
    TypedText typed;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = std::min(sequence_length(lead), utf8.size() - at);
        const std::string_view character = utf8.substr(at, length);
        at += length;
        if (lead == kCarriageReturn && at < utf8.size() && utf8[at] == kLineFeed) ++at;
        const KeyCode key = lead == kLineFeed ? kEnter
                            : length == 1     ? key_code_for_character(lead)
                                              : kNone;
        if (key != kNone) {
            typed.keys.push_back(key);
        } else if (std::ranges::find(typed.untypeable, character) == typed.untypeable.end()) {
            typed.untypeable.emplace_back(character);
        }
    }
    return typed;
}

std::string describe_characters(const std::vector<std::string>& characters) {
    std::string text;
    for (const std::string& character : characters) {
        if (!text.empty()) text += ' ';
        const auto first = static_cast<unsigned char>(character.front());
        if (character.size() == 1 && (first < kFirstPrintable || first == kDelete)) {
            char code[8];
            std::snprintf(code, sizeof code, "U+%04X", first);
            text += code;
        } else {
            text += character;
        }
    }
    return text;
}

}  // namespace tolvan
