#include "bus/address_space.h"

namespace tolvan {

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

// Every write while watched. A ROM write changes nothing, but a watch still sees it.
[[gnu::noinline]] void write_watched_data_byte(AddressSpace& memory, std::uint16_t address,
                                               std::uint8_t value) {
    note_access(*memory.watch, address, true, value);
    if (in_rom(address)) return;
    store_data_byte(memory, address, value);
}

}  // namespace

void check_watched_accesses(const AddressSpace& memory) {
    DataWatch& watch = *memory.watch;
    const std::size_t count = watch.access_count;
    watch.access_count = 0;
    if (watch.hit.hit || !watch.watchpoints) return;
    for (std::size_t n = 0; n < count; ++n) {
        const auto [address, write, value] = watch.accesses[n];
        const std::uint16_t cell = reached_cell(memory, address);
        for (const Watchpoint& watchpoint : *watch.watchpoints) {
            if (!(write ? watchpoint.writes : watchpoint.reads)) continue;
            if (covers(watchpoint, address) || covers(watchpoint, cell)) {
                watch.hit = {true, address, write, value};
                return;
            }
        }
    }
}

void watch_data_accesses(AddressSpace& memory, DataWatch* watch) {
    memory.watch = watch;
    memory.direct_read_low_end = watch ? 0 : kLowRomEnd;
    memory.direct_read_high_start = watch ? kPastLastAddress : kHighRomStart;
    memory.direct_read_ram_end = watch ? 0 : kRamEnd;
    memory.direct_write_start = watch ? kPastLastAddress : kLowRomEnd;
}

void write_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value) {
    if (address < memory.direct_write_start || address >= kHighRomStart) [[unlikely]] {
        // A ROM write changes nothing.
        if (memory.watch) write_watched_data_byte(memory, address, value);
        return;
    }
    store_data_byte(memory, address, value);
}

}  // namespace tolvan
