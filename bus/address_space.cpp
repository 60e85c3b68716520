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

}  // namespace

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

void write_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value) {
    if (memory.watch) [[unlikely]] {
        note_watched_access(memory, address, true);
    }
    if (address < kLowRomEnd || address >= kHighRomStart) return;
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

}  // namespace tolvan
