#include "machine/commands.h"

#include "machine/control.h"
#include "tools/unassembler.h"

namespace tolvan {

namespace {
void restart_at_zero(Emulator& emulator) {
    emulator.cpu.pc = 0;
    clear_pending_key(emulator.bus.keyboard);
    emulator.bus.memory.lcd_redraw = 1;
}
}  // namespace

void start_machine(Emulator& emulator) {
    emulator.bus.keyboard.key_down = 0;
    emulator.bus.keyboard.scan_pass_counter = 0;
    emulator.control.error_flag = 0;
    power_on(emulator);
    if (!emulator.control.error_flag) after_load_reset(emulator);
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
    emulator.bus.memory.lcd_redraw = 1;
}

void change_ram_size(Emulator& emulator, std::int8_t kilobytes) {
    if (kilobytes == emulator.bus.memory.ram_size) return;
    emulator.bus.memory.ram_size = kilobytes;
    restart_at_zero(emulator);
}

void run_unassembler(Emulator& emulator) {
    const UnassemblerSettings& settings = emulator.unassembler;
    if (!write_unassembly(emulator.bus.memory, settings.from, settings.to,
                          settings.more_information != 0, settings.file_name)) {
        report_error(emulator, kUnassembleOpenError);
    }
}

}  // namespace tolvan
