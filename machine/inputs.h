// Everything that changes the machine from outside its own instructions comes through here:
// keys, the menu's resets and settings, the debugger's edits, the bytes of a LOAD file and a
// machine replaced as a whole. The history logs each one with the moment it took effect, and a
// replay makes it again in the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bus/keyboard.h"

namespace tolvan {

struct Emulator;

enum class InputKind : std::uint8_t {
    kKey,           // a key pressed by the user, queued behind the others (value: its code)
    kBreak,         // Break: BRK at once
    kSimpleReset,   // the firmware's warm start, with BRK
    kAllReset,      // restart at 0 with nothing pending
    kRamSize,       // value: the RAM size option in kilobytes; the firmware restarts
    kTimerLimits,   // the speed box: value the 512 ms limit, detail the 2 ms limit
    kLcdRedraw,     // the window painted its face again: the next refresh draws the LCD
    kPoke,          // the debugger writes a byte (value: address, detail: byte), ROM included
    kInternalPoke,  // the debugger writes a cell of internal RAM (value: index, detail: byte)
    kSetField,      // the debugger edits a field of the state description (name, value)
    kLoadFile,      // the LOAD file as the firmware opened it (value 1 if it opened; bytes)
    kNewState,      // power-on, Load RAM or a loaded state: the history's next checkpoint holds it
};

struct Input {
    InputKind kind = InputKind::kKey;
    std::int64_t value = 0;
    std::int64_t detail = 0;
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Makes the change and logs it in the history; false when there was nothing to change (a key
// that found the queue full, a field that the description does not have, the RAM size option
// already in force).
bool enter_input(Emulator& emulator, Input input);

// The change alone, as a replay makes it again.
bool apply_input(Emulator& emulator, const Input& input);

// A key pressed by the user (see queue_key); false when the queue was full.
[[nodiscard]] bool press_key(Emulator& emulator, KeyCode code);
// A byte written by the debugger into the cell that the address reaches (see debug_write_byte).
void poke(Emulator& emulator, std::uint16_t address, std::uint8_t value);
// A cell of the processor's internal RAM written by the debugger.
void poke_internal(Emulator& emulator, std::uint8_t index, std::uint8_t value);
// A field of the state description, by name, set by the debugger; false for an unknown name.
[[nodiscard]] bool edit_field(Emulator& emulator, std::string_view name, std::int64_t value);
// The window painted the calculator's face again: the LCD comes back at the next refresh.
void request_lcd_redraw(Emulator& emulator);

}  // namespace tolvan
