#include "machine/control.h"

#include <cstdio>

#include "base/atomic_file.h"
#include "cpu/step.h"
#include "machine/configuration.h"

namespace tolvan {

namespace {

// Reads up to size bytes of a file into the image from start; the cells beyond a short file
// keep what they held. Returns 0, or the code for a short or a missing file.
int load_image_file(const char* name, AddressSpace& memory, std::uint16_t start, std::size_t size,
                    int short_code, int missing_code) {
    const FileHandle file{std::fopen(name, "rb")};
    if (!file) return missing_code;
    const std::size_t read = std::fread(&memory.image[start], 1, size, file.get());
    return read < size ? short_code : kPowerOnOk;
}

// The next waiting key goes in once the previous one is gone; a held key is let go after three
// scans.
void release_key_after_scans(Keyboard& keyboard) {
    deliver_queued_key(keyboard);
    if (++keyboard.scan_pass_counter < kKeyReleasePasses) return;
    keyboard.scan_pass_counter = 0;
    set_matrix_key(keyboard, KeyCode::None);
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
    emulator.control.error_flag = 1;
}

void observed_step(Emulator& emulator, const StepObserver& observer) {
    if (!observer.after_step) {
        step(emulator.cpu, emulator.bus);
        return;
    }
    const std::uint16_t address = emulator.cpu.pc;
    const std::uint8_t opcode = read_program_byte(emulator.bus.memory, address);
    step(emulator.cpu, emulator.bus);
    observer.after_step(observer.context, emulator, address, opcode);
}

void run_slice(Emulator& emulator, Display& display, const StepObserver& observer) {
    MachineControl& control = emulator.control;
    if (control.slice_busy) return;
    control.slice_busy = 1;
    if (control.power_on_status != kPowerOnOk) {
        control.slice_busy = 0;
        return;
    }
    Cpu& cpu = emulator.cpu;
    Bus& bus = emulator.bus;
    // With no delay a slice takes well under a period; only a delayed one needs the clock.
    const bool watch_clock = cpu.max_delay > 0;
    const int clock_interval =
        cpu.max_delay >= kDelayCheckedEveryStep ? 1 : kStepsBetweenClockChecks;
    const auto deadline = std::chrono::steady_clock::now() + kSlicePeriod;
    for (int n = 1; n <= kStepsPerSlice; ++n) {
        if (cpu.pc == kKeyReleaseAddress) release_key_after_scans(bus.keyboard);
        observed_step(emulator, observer);
        if (bus.ports.refresh_request) {
            bus.ports.refresh_request = 0;
            if (bus.memory.lcd_redraw) draw_lcd(display, bus.memory);
            bus.memory.lcd_redraw = 0;
            break;
        }
        if (watch_clock && n % clock_interval == 0 && std::chrono::steady_clock::now() > deadline) {
            break;
        }
    }
    control.slice_busy = 0;
}

}  // namespace tolvan
