#include "machine/key_mapping.h"

#include <array>

namespace tolvan {

namespace {

constexpr std::array<int, 256> make_character_table() {
    std::array<int, 256> table{};
    table['\r'] = 43;  // ENTER
    table[' '] = 42;   // SPC
    table['*'] = 71;
    table['+'] = 81;
    table['-'] = 76;
    table['/'] = 66;
    // So that BASIC can be typed from the PC keyboard.
    table['.'] = 80;
    table[','] = 33;
    table['='] = 82;
    table['('] = 61;
    table[')'] = 62;
    constexpr const char* kDigits = "0123456789";
    constexpr std::array<int, 10> kDigitCodes = {78, 73, 74, 75, 68, 69, 70, 63, 64, 65};
    for (int n = 0; n < 10; ++n)
        table[static_cast<unsigned char>(kDigits[n])] = kDigitCodes[n];
    // Letters by their legend on the case: Q-P on row 1, A-L on row 2, Z-M on row 3.
    constexpr const char* kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    constexpr std::array<int, 3> kFirstCodes = {13, 24, 35};
    for (int row = 0; row < 3; ++row) {
        for (int n = 0; kRows[row][n] != '\0'; ++n) {
            const char letter = kRows[row][n];
            table[static_cast<unsigned char>(letter)] = kFirstCodes[row] + n;
            table[static_cast<unsigned char>(letter - 'A' + 'a')] = kFirstCodes[row] + n;
        }
    }
    return table;
}

constexpr std::array<int, 256> kCharacterTable = make_character_table();

}  // namespace

int key_code_for_virtual_key(int virtual_key) {
    switch (virtual_key) {
        case kVirtualKeyBackspace:
            return 9;
        case kVirtualKeyShift:
            return 11;
        case kVirtualKeyEscape:
            return 50;
        case kVirtualKeyLeft:
            return 9;
        case kVirtualKeyUp:
            return 8;
        case kVirtualKeyRight:
            return 10;
        case kVirtualKeyDown:
            return 7;
        default:
            break;
    }
    // F1-F9 press the keys of the top row, codes 1-9.
    if (virtual_key >= kVirtualKeyF1 && virtual_key <= kVirtualKeyF9) {
        return virtual_key - kVirtualKeyF1 + 1;
    }
    return 0;
}

int key_code_for_character(int character) {
    if (character < 0 || character > 255) return 0;
    return kCharacterTable[character];
}

}  // namespace tolvan
