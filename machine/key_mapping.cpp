#include "machine/key_mapping.h"

#include <array>

namespace tolvan {

namespace {

using enum KeyCode;

// Letters by their legend on the case, whatever the user's keyboard layout.
constexpr std::array<KeyCode, 26> kLetterKeys = {
    LetterA, LetterB, LetterC, LetterD, LetterE, LetterF, LetterG, LetterH, LetterI,
    LetterJ, LetterK, LetterL, LetterM, LetterN, LetterO, LetterP, LetterQ, LetterR,
    LetterS, LetterT, LetterU, LetterV, LetterW, LetterX, LetterY, LetterZ,
};
constexpr std::array<KeyCode, 10> kDigitKeys = {Digit0, Digit1, Digit2, Digit3, Digit4,
                                                Digit5, Digit6, Digit7, Digit8, Digit9};
// F1-F9 press the keys of the top row.
constexpr std::array<KeyCode, 9> kFunctionKeys = {Cal,   Basic, Brk, Teal1, Teal2,
                                                  Teal3, Down,  Up,  Left};

constexpr std::array<KeyCode, 256> make_character_table() {
    std::array<KeyCode, 256> table{};
    table['\r'] = Enter;
    table[' '] = Space;
    table['*'] = Multiply;
    table['+'] = Plus;
    table['-'] = Minus;
    table['/'] = Divide;
    // So that BASIC can be typed from the PC keyboard.
    table['.'] = Point;
    table[','] = Comma;
    table['='] = Equals;
    table['('] = OpenParenthesis;
    table[')'] = CloseParenthesis;
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
            return Left;
        case kVirtualKeyShift:
            return Shift;
        case kVirtualKeyEscape:
            return Cce;
        case kVirtualKeyLeft:
            return Left;
        case kVirtualKeyUp:
            return Up;
        case kVirtualKeyRight:
            return Right;
        case kVirtualKeyDown:
            return Down;
        default:
            break;
    }
    if (virtual_key >= kVirtualKeyF1 && virtual_key <= kVirtualKeyF9) {
        return kFunctionKeys[virtual_key - kVirtualKeyF1];
    }
    return None;
}

KeyCode key_code_for_character(int character) {
    if (character < 0 || character > 255) return None;
    return kCharacterTable[character];
}

}  // namespace tolvan
