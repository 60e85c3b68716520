// How the PC keyboard reaches the emulated keys: a table of host virtual-key codes for the keys
// that produce no character, and a table of typed characters. Both front ends use these.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "bus/keyboard.h"

namespace tolvan {

// Virtual-key codes of the host keys that press an emulated key on key-down.
inline constexpr int kVirtualKeyBackspace = 0x08;
inline constexpr int kVirtualKeyShift = 0x10;
inline constexpr int kVirtualKeyReturn = 0x0D;
inline constexpr int kVirtualKeyEscape = 0x1B;
inline constexpr int kVirtualKeyLeft = 0x25;
inline constexpr int kVirtualKeyUp = 0x26;
inline constexpr int kVirtualKeyRight = 0x27;
inline constexpr int kVirtualKeyDown = 0x28;
inline constexpr int kVirtualKeyF1 = 0x70;
inline constexpr int kVirtualKeyF9 = 0x78;

// The emulated key for a virtual-key code, or KeyCode::kNone when the key has no entry.
KeyCode key_code_for_virtual_key(int virtual_key);

// The emulated key for a typed character (0-255), or KeyCode::kNone when it has none. Letters press
// the key with the same legend whatever the user's keyboard layout.
KeyCode key_code_for_character(int character);

// The machine keys that one key-down of the PC keyboard presses, in order.
struct KeyPresses {
    std::array<KeyCode, 2> keys{};
    int count = 0;
};

// A key that types a character presses the machine key of that character alone, whatever
// modifiers the PC needed to type it: "+" typed with Shift presses only the machine's "+". A key
// that types no character (the key-down table, and Enter) is preceded by the machine's SHIFT
// while the PC's Shift is held, so that SHIFT + arrow works. The PC's Shift key itself presses
// nothing on key-down: it presses SHIFT when tapped alone (see shift_tap_key). `character` is
// the first character that the key typed, or -1.
KeyPresses keys_for_key_down(int virtual_key, int character, bool shift_held);
// What the PC's Shift key presses when it is released with no other key pressed since it went
// down.
KeyCode shift_tap_key();

// A text to type, such as a pasted one or the headless --type value, in UTF-8.
struct TypedText {
    std::vector<KeyCode> keys;
    // Each character that has no key, once, in the order of first appearance (UTF-8); they are
    // left out of `keys`.
    std::vector<std::string> untypeable;
};

// The keys that type the text. Each line end (CR LF, LF or CR) is one ENTER.
TypedText keys_for_text(std::string_view utf8);
// The untypeable characters for a message: separated by spaces, control characters as U+XXXX.
std::string describe_characters(const std::vector<std::string>& characters);

}  // namespace tolvan
