#include "machine/debugger.h"

#include "machine/emulator.h"

namespace tolvan {

void set_breakpoint(Debugger& debugger, std::uint16_t address, bool on) {
    if (debugger.breakpoint_at[address] == on) return;
    debugger.breakpoint_at[address] = on;
    if (on) {
        ++debugger.breakpoint_count;
    } else {
        --debugger.breakpoint_count;
    }
}

bool has_breakpoint(const Debugger& debugger, std::uint16_t address) {
    return debugger.breakpoint_at[address];
}

std::vector<std::uint16_t> breakpoints(const Debugger& debugger) {
    std::vector<std::uint16_t> addresses;
    for (std::size_t address = 0; address < debugger.breakpoint_at.size(); ++address) {
        if (debugger.breakpoint_at[address])
            addresses.push_back(static_cast<std::uint16_t>(address));
    }
    return addresses;
}

void clear_breakpoints(Debugger& debugger) {
    debugger.breakpoint_at.reset();
    debugger.breakpoint_count = 0;
}

void add_watchpoint(Debugger& debugger, Watchpoint watchpoint) {
    debugger.watchpoints.push_back(watchpoint);
}

void clear_watchpoints(Debugger& debugger) {
    debugger.watchpoints.clear();
}

std::vector<HistoryEntry> history(const Debugger&) {
    return {};
}

void clear_history(Debugger& debugger) {
    debugger.history_next = 0;
    debugger.history_count = 0;
}

bool debugging(const Debugger& debugger) {
    return debugger.attached || debugger.mode != RunMode::Running ||
           debugger.breakpoint_count != 0 || !debugger.watchpoints.empty() ||
           debugger.stop_on_undefined;
}

bool is_paused(const Emulator& emulator) {
    return emulator.debugger.mode == RunMode::Paused;
}

void pause(Emulator&) {}
void resume(Emulator&) {}
StopInfo step_into(Emulator& emulator, Display&) {
    return emulator.debugger.last_stop;
}
void step_over(Emulator&) {}
void step_out(Emulator&) {}
void run_to(Emulator&, std::uint16_t) {}

std::uint8_t debug_read_byte(const Emulator& emulator, std::uint16_t address) {
    return emulator.bus.memory.image[address];
}
void debug_write_byte(Emulator& emulator, std::uint16_t address, std::uint8_t value) {
    emulator.bus.memory.image[address] = value;
}
std::string_view region_name(std::uint16_t) {
    return "unmapped";
}

SymbolFolderStatus load_symbol_files(Emulator&, const std::filesystem::path&) {
    return {};
}

bool stop_before_step(Emulator&) {
    return false;
}
void record_history(Debugger&, std::uint16_t, std::uint8_t, const Cpu&) {}
bool stop_after_step(Emulator&, std::uint16_t, std::uint8_t) {
    return false;
}

}  // namespace tolvan
