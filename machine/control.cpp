#include "machine/control.h"

#include <cstdio>

#include "base/atomic_file.h"
#include "machine/configuration.h"

namespace tolvan {

namespace {

constexpr std::int32_t kAfterResetMaxHorloge002 = 20;

// Reads up to size bytes of a file into the image from start; the cells beyond a short file
// keep what they held. Returns 0, or the code for a short or a missing file.
int load_image_file(const char* name, AddressSpace& memory, std::uint16_t start, std::size_t size,
                    int short_code, int missing_code) {
    const FileHandle file{std::fopen(name, "rb")};
    if (!file) return missing_code;
    const std::size_t read = std::fread(&memory.image[start], 1, size, file.get());
    return read < size ? short_code : kPowerOnOk;
}

}  // namespace

int power_on(Emulator& emulator) {
    AddressSpace& memory = emulator.bus.memory;
    load_configuration(emulator);
    int status =
        load_image_file(kLowRomFileName, memory, 0x0000, kLowRomSize, kLowRomShort, kLowRomMissing);
    // A high ROM failure replaces a low ROM code.
    const int high = load_image_file(kHighRomFileName, memory, kHighRomStart, kHighRomSize,
                                     kHighRomShort, kHighRomMissing);
    if (high != kPowerOnOk) status = high;
    emulator.control.power_on_status = status;
    const int ram = load_image_file(emulator.control.ram_file_name.c_str(), memory, kRamImageStart,
                                    kRamImageSize, kRamImageShort, kRamImageMissing);
    if (ram != kPowerOnOk) status = ram;
    load_configuration(emulator);
    if (status != kPowerOnOk) emulator.cpu.pc = 0;
    return status;
}

void after_load_reset(Emulator& emulator) {
    Cpu& cpu = emulator.cpu;
    emulator.bus.memory.lcd_redraw = 1;
    emulator.bus.keyboard.break_counter = 0;
    cpu.counter_512ms = cpu.counter_2ms = 0;
    cpu.elapsed_512ms = cpu.elapsed_2ms = 0;
    cpu.max_horloge002 = kAfterResetMaxHorloge002;
}

void save_ram_image(Emulator& emulator) {
    const auto* cells = reinterpret_cast<const char*>(&emulator.bus.memory.image[kRamImageStart]);
    if (!write_file_atomically(emulator.control.ram_file_name, {cells, kRamImageSize})) {
        report_error(emulator, kRamWriteError);
    }
    save_configuration(emulator);
}

void report_error(Emulator& emulator, std::string_view message, std::string_view detail) {
    emulator.control.error_text = std::string(message.substr(0, kErrorTextCapacity));
    emulator.control.error_detail = std::string(detail);
    emulator.control.error_flag = 1;
}

}  // namespace tolvan
