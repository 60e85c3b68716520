// How the PC keyboard reaches the emulated keys: a table of host virtual-key codes for the keys
// that produce no character, and a table of typed characters. Both front ends use these.
#pragma once

#include "bus/keyboard.h"

namespace tolvan {

// Virtual-key codes of the host keys that press an emulated key on key-down.
inline constexpr int kVirtualKeyBackspace = 0x08;
inline constexpr int kVirtualKeyShift = 0x10;
inline constexpr int kVirtualKeyEscape = 0x1B;
inline constexpr int kVirtualKeyLeft = 0x25;
inline constexpr int kVirtualKeyUp = 0x26;
inline constexpr int kVirtualKeyRight = 0x27;
inline constexpr int kVirtualKeyDown = 0x28;
inline constexpr int kVirtualKeyF1 = 0x70;
inline constexpr int kVirtualKeyF9 = 0x78;

// The emulated key for a virtual-key code, or KeyCode::None when the key has no entry.
KeyCode key_code_for_virtual_key(int virtual_key);

// The emulated key for a typed character (0-255), or KeyCode::None when it has none. Letters press
// the key with the same legend whatever the user's keyboard layout.
KeyCode key_code_for_character(int character);

}  // namespace tolvan
