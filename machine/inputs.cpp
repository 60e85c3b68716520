#include "machine/inputs.h"

#include "machine/commands.h"
#include "machine/debugger.h"
#include "machine/emulator.h"
#include "machine/state_description.h"

namespace tolvan {

namespace {

void restart_at_zero(Emulator& emulator) {
    emulator.cpu.pc = 0;
    clear_pending_key(emulator.bus.keyboard);
    emulator.bus.memory.lcd_redraw = true;
}

void post_break_key(Emulator& emulator) {
    post_break(emulator.bus.keyboard);
    emulator.bus.memory.lcd_redraw = true;
}

// The machine's own fields and the views into them; not the emulator's settings.
bool set_field(Emulator& emulator, std::string_view name, std::int64_t value) {
    bool found = false;
    for_each_state_component(emulator, [&](const auto& component, auto& owner) {
        for (const auto& field : component.scalars) {
            if (found || field.info.name != name || field.info.role == FieldRole::kHost) continue;
            field.set(owner, value);
            found = true;
        }
    });
    return found;
}

}  // namespace

bool apply_input(Emulator& emulator, const Input& input) {
    Cpu& cpu = emulator.cpu;
    switch (input.kind) {
        case InputKind::kKey:
            return queue_key(emulator.bus.keyboard, key_code(static_cast<int>(input.value)));
        case InputKind::kBreak:
            post_break_key(emulator);
            return true;
        case InputKind::kSimpleReset:
            cpu.pc = kWarmStartAddress;
            post_break_key(emulator);
            return true;
        case InputKind::kAllReset:
            restart_at_zero(emulator);
            return true;
        case InputKind::kRamSize:
            if (input.value == emulator.bus.memory.ram_size) return false;
            emulator.bus.memory.ram_size = static_cast<std::int8_t>(input.value);
            restart_at_zero(emulator);
            return true;
        case InputKind::kTimerLimits:
            cpu.timer_limit_512ms = static_cast<std::int32_t>(input.value);
            cpu.timer_limit_2ms = static_cast<std::int32_t>(input.detail);
            return true;
        case InputKind::kLcdRedraw:
            emulator.bus.memory.lcd_redraw = true;
            return true;
        case InputKind::kPoke:
            debug_write_byte(emulator, static_cast<std::uint16_t>(input.value),
                             static_cast<std::uint8_t>(input.detail));
            return true;
        case InputKind::kInternalPoke:
            cpu.iram[static_cast<std::size_t>(input.value) % cpu.iram.size()] =
                static_cast<std::uint8_t>(input.detail);
            return true;
        case InputKind::kSetField:
            return set_field(emulator, input.name, input.value);
        case InputKind::kLoadFile:
            // The tape took the bytes when the firmware opened the file.
        case InputKind::kNewState:
            // The checkpoint taken with it holds the machine.
            return true;
    }
    return false;
}

bool enter_input(Emulator& emulator, Input input) {
    begin_live_change(emulator);
    if (!apply_input(emulator, input)) return false;
    log_input(emulator.history, std::move(input));
    return true;
}

bool press_key(Emulator& emulator, KeyCode code) {
    return enter_input(emulator, {InputKind::kKey, key_number(code), 0, {}, {}});
}

void poke(Emulator& emulator, std::uint16_t address, std::uint8_t value) {
    enter_input(emulator, {InputKind::kPoke, address, value, {}, {}});
}

void poke_internal(Emulator& emulator, std::uint8_t index, std::uint8_t value) {
    enter_input(emulator, {InputKind::kInternalPoke, index, value, {}, {}});
}

bool edit_field(Emulator& emulator, std::string_view name, std::int64_t value) {
    return enter_input(emulator, {InputKind::kSetField, value, 0, std::string(name), {}});
}

void request_lcd_redraw(Emulator& emulator) {
    enter_input(emulator, {InputKind::kLcdRedraw, 0, 0, {}, {}});
}

}  // namespace tolvan
