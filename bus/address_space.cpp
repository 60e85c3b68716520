#include "bus/address_space.h"

namespace tolvan {

std::uint8_t read_unmapped_or_display(const AddressSpace& memory, std::uint16_t address) {
    if (address < kRamWindowEnd) return memory.image[ram_window_cell(memory.ram_size, address)];
    if (address < kRamEnd) return memory.image[address];
    if (address >= kDisplayStart && address < kDisplayAreaEnd) return memory.image[address];
    if (address >= kDisplayStart && address < kSecondViewBlockEnd) return kFloatingByte;
    return high_byte_of(address);
}

namespace {

// A bound that no 16-bit address reaches.
constexpr std::uint32_t kPastLastAddress = 0x10000;

// The image cell that a data access reaches, where it differs from the address.
std::uint16_t reached_cell(const AddressSpace& memory, std::uint16_t address) {
    if (address >= kLowRomEnd && address < kRamWindowEnd) {
        return ram_window_cell(memory.ram_size, address);
    }
    if (address >= kSecondViewStart && address < kSecondViewEnd) {
        return address - kSecondViewOffset;
    }
    return address;
}

bool covers(const Watchpoint& watchpoint, std::uint16_t address) {
    return address >= watchpoint.first && address <= watchpoint.last;
}

// Records the access in the watch if a watchpoint covers the address, or the memory cell that
// it reaches (a mirror of the RAM window, the second view of the display area).
void note_watched_access(const AddressSpace& memory, std::uint16_t address, bool write) {
    DataWatch& watch = *memory.watch;
    if (watch.hit.hit || !watch.watchpoints) return;
    const std::uint16_t cell = reached_cell(memory, address);
    for (const Watchpoint& watchpoint : *watch.watchpoints) {
        if (!(write ? watchpoint.writes : watchpoint.reads)) continue;
        if (covers(watchpoint, address) || covers(watchpoint, cell)) {
            watch.hit = {true, address, write};
            return;
        }
    }
}

// A write outside the ROM areas.
void store_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value) {
    if (address < kRamWindowEnd) {
        memory.image[ram_window_cell(memory.ram_size, address)] = value;
    } else if (address < kRamEnd) {
        memory.image[address] = value;
    } else if (address >= kDisplayStart && address < kDisplayDrawnEnd) {
        // Only a byte that really changes makes the LCD worth redrawing.
        if (memory.image[address] != value) {
            memory.image[address] = value;
            memory.lcd_redraw = true;
        }
    } else if (address >= kDisplayDrawnEnd && address < kDisplayAreaEnd) {
        memory.image[address] = value;
    } else if (address >= kSecondViewStart && address < kSecondViewEnd) {
        // The second view writes through to the display area without asking for a redraw.
        memory.image[address - kSecondViewOffset] = value;
    } else if (address == kKeyStrobeAddress) {
        memory.key_strobe = value;
    }
}

// Every data read while watched.
std::uint8_t read_watched_data_byte(const AddressSpace& memory, std::uint16_t address) {
    note_watched_access(memory, address, false);
    if (address < kLowRomEnd) return high_byte_of(address);
    if (address >= kHighRomStart) return memory.image[address];
    return read_data_out_of_line(memory, address);
}

// Every write while watched. A ROM write changes nothing, but a watch still sees it.
[[gnu::noinline]] void write_watched_data_byte(AddressSpace& memory, std::uint16_t address,
                                               std::uint8_t value) {
    note_watched_access(memory, address, true);
    if (in_rom(address)) return;
    store_data_byte(memory, address, value);
}

}  // namespace

void watch_data_accesses(AddressSpace& memory, DataWatch* watch) {
    memory.watch = watch;
    memory.inline_low_rom_end = watch ? 0 : kLowRomEnd;
    memory.inline_high_rom_start = watch ? kPastLastAddress : kHighRomStart;
    memory.read_other = watch ? &read_watched_data_byte : &read_data_out_of_line;
}

std::uint8_t read_data_out_of_line(const AddressSpace& memory, std::uint16_t address) {
    if (address >= kSecondViewStart && address < kSecondViewEnd) {
        return memory.image[address - kSecondViewOffset];
    }
    return read_unmapped_or_display(memory, address);
}

void write_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value) {
    if (address < memory.inline_low_rom_end || address >= memory.inline_high_rom_start)
        [[unlikely]] {
        // A ROM write changes nothing.
        if (memory.watch) write_watched_data_byte(memory, address, value);
        return;
    }
    store_data_byte(memory, address, value);
}

}  // namespace tolvan
