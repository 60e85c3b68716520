#include "machine/commands.h"

#include "machine/configuration.h"
#include "machine/control.h"
#include "machine/inputs.h"
#include "machine/state_file.h"
#include "tools/unassembler.h"

namespace tolvan {

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
    record_new_state(emulator);
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

Failures save_state(const Emulator& emulator, const std::string& path) {
    const WriteStatus status = save_state_file(emulator, path);
    if (status) return {};
    return failure(kStateSaveError, describe_failure(path, status));
}

Failures load_state(Emulator& emulator, const std::string& path) {
    const StateFileStatus status = load_state_file(emulator, path);
    if (!status) return failure(kStateLoadError, describe_state_file_status(path, status));
    record_new_state(emulator);
    return {};
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
