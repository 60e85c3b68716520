#include "machine/control.h"

#include <cstdio>

#include "base/atomic_file.h"
#include "machine/configuration.h"

namespace tolvan {

namespace {

// Reads up to size bytes of a file into the image from start; the cells beyond a short file
// keep what they held. Returns Ok, or the status for a short or a missing file.
PowerOnStatus load_image_file(const char* name, AddressSpace& memory, std::uint16_t start,
                              std::size_t size, PowerOnStatus short_code,
                              PowerOnStatus missing_code) {
    const FileHandle file{std::fopen(name, "rb")};
    if (!file) return missing_code;
    const std::size_t read = std::fread(&memory.image[start], 1, size, file.get());
    return read < size ? short_code : PowerOnStatus::Ok;
}

}  // namespace

PowerOnStatus power_on(Emulator& emulator) {
    AddressSpace& memory = emulator.bus.memory;
    load_configuration(emulator);
    PowerOnStatus status =
        load_image_file(kLowRomFileName, memory, 0x0000, kLowRomSize, PowerOnStatus::LowRomShort,
                        PowerOnStatus::LowRomMissing);
    // A high ROM failure replaces a low ROM code.
    const PowerOnStatus high =
        load_image_file(kHighRomFileName, memory, kHighRomStart, kHighRomSize,
                        PowerOnStatus::HighRomShort, PowerOnStatus::HighRomMissing);
    if (high != PowerOnStatus::Ok) status = high;
    emulator.control.power_on_status = status;
    const PowerOnStatus ram = load_image_file(
        emulator.control.ram_file_name.c_str(), memory, kRamImageStart, kRamImageSize,
        PowerOnStatus::RamImageShort, PowerOnStatus::RamImageMissing);
    if (ram != PowerOnStatus::Ok) status = ram;
    load_configuration(emulator);
    if (status != PowerOnStatus::Ok) emulator.cpu.pc = 0;
    return status;
}

void after_load_reset(Emulator& emulator) {
    Cpu& cpu = emulator.cpu;
    emulator.bus.memory.lcd_redraw = true;
    emulator.bus.keyboard.break_counter = 0;
    cpu.counter_512ms = cpu.counter_2ms = 0;
    cpu.elapsed_512ms = cpu.elapsed_2ms = 0;
    cpu.max_horloge002 = kDefaultMaxHorloge002;
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
    emulator.control.error_flag = true;
}

}  // namespace tolvan
