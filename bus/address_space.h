// The 64 KB address space: one memory image behind the address decoder.
//
// Program reads (opcode fetch, operands, constant tables) see the low ROM; data reads do not.
// A changed byte in the drawn display area asks for an LCD redraw, and a write to the key
// strobe address loads the keyboard's strobe latch instead of memory.
#pragma once

#include <array>
#include <cstdint>

#include "bus/data_watch.h"

namespace tolvan {

inline constexpr std::uint16_t kLowRomEnd = 0x2000;
inline constexpr std::uint16_t kRamWindowEnd = 0x5000;
inline constexpr std::uint16_t kRamEnd = 0x6000;
inline constexpr std::uint16_t kDisplayStart = 0x7000;
inline constexpr std::uint16_t kDisplayDrawnEnd = 0x707D;  // 0x7000-0x707C are drawn
inline constexpr std::uint16_t kDisplayAreaEnd = 0x70C0;   // 0x707D-0x70BF are kept, not drawn
inline constexpr std::uint16_t kSecondViewStart = 0x7100;  // second view of 0x7000-0x70BF
inline constexpr std::uint16_t kSecondViewEnd = 0x71C0;
inline constexpr std::uint16_t kSecondViewBlockEnd = 0x7200;
inline constexpr std::uint16_t kSecondViewOffset = 0x100;
inline constexpr std::uint16_t kKeyStrobeAddress = 0x7E00;
inline constexpr std::uint16_t kHighRomStart = 0x8000;
inline constexpr std::uint8_t kFloatingByte = 0xFF;

inline constexpr std::int8_t kRamSize16K = 16;
inline constexpr std::int8_t kRamSize8K = 8;
inline constexpr std::int8_t kRamSize4K = 4;

struct AddressSpace;

// Data reads that the inline path leaves: the second view, RAM, display and unmapped
// addresses.
std::uint8_t read_data_out_of_line(const AddressSpace& memory, std::uint16_t address);

struct AddressSpace {
    std::array<std::uint8_t, 0x10000> image{};
    std::int8_t ram_size = 0;  // 16, 8; anything else decodes as 4
    bool lcd_redraw = true;
    std::uint8_t key_strobe = 0;
    // How data accesses are served: the ROM areas as the direct paths see them (an inline
    // read of ROM, a write outside it) and the reader of everything else. A debugger watching
    // data accesses closes the bounds and puts in a reader that reports each read (see
    // watch_data_accesses), so that every access takes a path that reports it, while an
    // unwatched access pays nothing for the watch.
    std::uint32_t inline_low_rom_end = kLowRomEnd;
    std::uint32_t inline_high_rom_start = kHighRomStart;
    std::uint8_t (*read_other)(const AddressSpace&, std::uint16_t) = &read_data_out_of_line;
    // Set only while a debugger watches data accesses.
    DataWatch* watch = nullptr;
};

// Points the address space at a watch, or at none.
void watch_data_accesses(AddressSpace& memory, DataWatch* watch);

// The image cell that an address of the RAM window 0x2000-0x4FFF reaches: the smaller RAM
// options mirror 0x4000-0x5FFF (8 KB) or 0x5000-0x5FFF (4 KB) into the window.
inline std::uint16_t ram_window_cell(std::int8_t ram_size, std::uint16_t address) {
    if (ram_size == kRamSize16K) return address;
    if (ram_size == kRamSize8K) return address < 0x4000 ? address + 0x2000 : address;
    if (address < 0x3000) return address + 0x3000;
    if (address < 0x4000) return address + 0x2000;
    return address + 0x1000;
}

inline std::uint8_t high_byte_of(std::uint16_t address) {
    return static_cast<std::uint8_t>(address >> 8);
}

// Reads that both kinds of read answer alike: everything from the RAM window up.
std::uint8_t read_unmapped_or_display(const AddressSpace& memory, std::uint16_t address);

inline bool in_rom(std::uint16_t address) {
    return address < kLowRomEnd || address >= kHighRomStart;
}

inline std::uint8_t read_program_byte(const AddressSpace& memory, std::uint16_t address) {
    // Nearly every instruction comes from ROM.
    if (in_rom(address)) [[likely]] {
        return memory.image[address];
    }
    if (address >= kSecondViewStart && address < kSecondViewEnd) return memory.image[address];
    return read_unmapped_or_display(memory, address);
}

inline std::uint16_t read_program_word(const AddressSpace& memory, std::uint16_t address) {
    const std::uint8_t high = read_program_byte(memory, address);
    const std::uint8_t low = read_program_byte(memory, static_cast<std::uint16_t>(address + 1));
    return static_cast<std::uint16_t>(high << 8 | low);
}

inline std::uint8_t read_data_byte(const AddressSpace& memory, std::uint16_t address) {
    if (address < memory.inline_low_rom_end) return high_byte_of(address);
    if (address >= memory.inline_high_rom_start) return memory.image[address];
    return memory.read_other(memory, address);
}

void write_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value);

}  // namespace tolvan
