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

void start_machine(Emulator& emulator) {
    emulator.bus.keyboard.key_down = false;
    emulator.bus.keyboard.scan_pass_counter = 0;
    emulator.control.error_flag = false;
    // A missing or short RAM image at window creation is a first run: the firmware starts cold,
    // as its status (PC 0) already says.
    [[maybe_unused]] const PowerOnStatus status = power_on(emulator);
    if (!emulator.control.error_flag) after_load_reset(emulator);
}

void load_ram(Emulator& emulator) {
    if (!check_ram_image(emulator, configured_ram_file_name())) return;
    start_machine(emulator);
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

void run_unassembler(Emulator& emulator) {
    const UnassemblerSettings& settings = emulator.unassembler;
    const Symbols* symbols = has_symbols(emulator.symbols) ? &emulator.symbols : nullptr;
    const WriteStatus status =
        write_unassembly(emulator.bus.memory, settings.from, settings.to, settings.more_information,
                         settings.file_name, symbols);
    if (!status.ok()) {
        report_error(emulator,
                     is_creation_failure(status) ? kUnassembleOpenError : kUnassembleWriteError,
                     describe_failure(settings.file_name, status));
    }
}

}  // namespace tolvan
