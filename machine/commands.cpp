#include "machine/commands.h"

#include "machine/configuration.h"
#include "machine/control.h"
#include "tools/unassembler.h"

namespace tolvan {

namespace {
void restart_at_zero(Emulator& emulator) {
    emulator.cpu.pc = 0;
    clear_pending_key(emulator.bus.keyboard);
    emulator.bus.memory.lcd_redraw = true;
}
}  // namespace

PowerOnResult start_machine(Emulator& emulator) {
    emulator.bus.keyboard.key_down = false;
    emulator.bus.keyboard.scan_pass_counter = 0;
    // The firmware now running may release keys its own way: until it shows otherwise, keys
    // replace one another.
    emulator.bus.keyboard.release_address_passed = false;
    const PowerOnResult result = power_on(emulator);
    // Whatever power-on found: a missing or short RAM image is a first run, which the firmware's
    // cold start at PC 0 handles, and missing ROM images are for the caller to show; the reset
    // prepares the machine for when it runs.
    after_load_reset(emulator);
    return result;
}

LoadRamResult load_ram(Emulator& emulator) {
    // The image to check is the one that an interrupted Save RAM leaves once recovered.
    Failures failures = recover_saved_files();
    if (!failures) return {std::move(failures), std::nullopt};
    failures = check_ram_image(configured_ram_file_name());
    if (!failures) return {std::move(failures), std::nullopt};
    PowerOnResult started = start_machine(emulator);
    failures = std::move(started.failures);
    return {std::move(failures), std::move(started)};
}

void simple_reset(Emulator& emulator) {
    emulator.cpu.pc = kWarmStartAddress;
    press_break(emulator);
}

void all_reset(Emulator& emulator) {
    restart_at_zero(emulator);
}

void press_break(Emulator& emulator) {
    post_break(emulator.bus.keyboard);
    emulator.bus.memory.lcd_redraw = true;
}

void change_ram_size(Emulator& emulator, std::int8_t kilobytes) {
    if (kilobytes == emulator.bus.memory.ram_size) return;
    emulator.bus.memory.ram_size = kilobytes;
    restart_at_zero(emulator);
}

Failures run_unassembler(const Emulator& emulator) {
    const UnassemblerSettings& settings = emulator.unassembler;
    const Symbols* symbols =
        settings.use_symbols && has_symbols(emulator.symbols) ? &emulator.symbols : nullptr;
    const WriteStatus status =
        write_unassembly(emulator.bus.memory, settings.from, settings.to, settings.more_information,
                         settings.file_name, symbols);
    if (status.ok()) return {};
    return failure(is_creation_failure(status) ? kUnassembleOpenError : kUnassembleWriteError,
                   describe_failure(settings.file_name, status));
}

}  // namespace tolvan
