#include "bus/address_space.h"

namespace tolvan {

void write_data_byte(AddressSpace& memory, std::uint16_t address, std::uint8_t value) {
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
