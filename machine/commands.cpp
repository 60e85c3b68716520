#include "machine/commands.h"

#include "machine/configuration.h"
#include "machine/control.h"
#include "machine/inputs.h"
#include "machine/state_file.h"
#include "tools/unassembler.h"

namespace tolvan {

void start_machine(Emulator& emulator) {
    emulator.bus.keyboard.key_down = false;
    emulator.bus.keyboard.scan_pass_counter = 0;
    emulator.control.error_flag = false;
    // A missing or short RAM image at window creation is a first run: the firmware starts cold,
    // as its status (PC 0) already says.
    [[maybe_unused]] const PowerOnStatus status = power_on(emulator);
    if (!emulator.control.error_flag) after_load_reset(emulator);
    record_new_state(emulator);
}

void load_ram(Emulator& emulator) {
    if (!check_ram_image(emulator, configured_ram_file_name())) return;
    start_machine(emulator);
}

void simple_reset(Emulator& emulator) {
    enter_input(emulator, {InputKind::kSimpleReset, 0, 0, {}, {}});
}

void all_reset(Emulator& emulator) {
    enter_input(emulator, {InputKind::kAllReset, 0, 0, {}, {}});
}

void press_break(Emulator& emulator) {
    enter_input(emulator, {InputKind::kBreak, 0, 0, {}, {}});
}

void change_ram_size(Emulator& emulator, std::int8_t kilobytes) {
    enter_input(emulator, {InputKind::kRamSize, kilobytes, 0, {}, {}});
}

void change_speed(Emulator& emulator, std::int32_t max_delay, std::int32_t timer_limit_512ms,
                  std::int32_t timer_limit_2ms) {
    Cpu& cpu = emulator.cpu;
    // The delay paces the emulator and changes nothing that the machine sees.
    cpu.max_delay = max_delay;
    if (cpu.timer_limit_512ms == timer_limit_512ms && cpu.timer_limit_2ms == timer_limit_2ms) {
        return;
    }
    enter_input(emulator, {InputKind::kTimerLimits, timer_limit_512ms, timer_limit_2ms, {}, {}});
}

void save_state(Emulator& emulator, const std::string& path) {
    const WriteStatus status = save_state_file(emulator, path);
    if (!status) report_error(emulator, kStateSaveError, describe_failure(path, status));
}

void load_state(Emulator& emulator, const std::string& path) {
    const StateFileStatus status = load_state_file(emulator, path);
    if (!status) {
        report_error(emulator, kStateLoadError, describe_state_file_status(path, status));
        return;
    }
    record_new_state(emulator);
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
