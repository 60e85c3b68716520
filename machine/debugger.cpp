#include "machine/debugger.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "cpu/opcode_table.h"
#include "machine/emulator.h"
#include "machine/slice.h"
#include "tools/unassembler.h"

namespace tolvan {

namespace {

// The listing's width for most instructions, so that the registers line up.
constexpr std::size_t kHistoryInstructionWidth = 40;

void stop(Debugger& debugger, StopInfo info) {
    debugger.mode = RunMode::kPaused;
    debugger.last_stop = info;
    ++debugger.stop_count;
}

void stop_at(Emulator& emulator, StopReason reason) {
    stop(emulator.debugger, {reason, emulator.cpu.pc, 0, 0, false});
}

// The stack grows downwards: a positive rise means R is above the level it is compared with
// (bytes were popped). The difference is taken in 8 bits so that a pointer that wrapped still
// compares by its distance.
int stack_rise(const Cpu& cpu, std::uint8_t level) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(cpu.r - level));
}

// The address on top of the stack, as a return would pop it.
std::uint16_t top_return_address(Cpu& cpu) {
    const std::uint8_t low = iram_at(cpu, cpu.r);
    const std::uint8_t high = iram_at(cpu, cpu.r + 1u);
    return static_cast<std::uint16_t>(high << 8 | low);
}

// A stopped machine resumes with the instruction it stopped before, whatever stops there.
void start_run(Emulator& emulator, RunMode mode) {
    Debugger& debugger = emulator.debugger;
    debugger.skip_breakpoint_once = debugger.mode == RunMode::kPaused;
    debugger.mode = mode;
    debugger.target_known = false;
    debugger.target_r = emulator.cpu.r;
}

// Step over: the call has run when R went down; its return address is then on the stack.
bool step_over_done(Emulator& emulator, std::uint8_t opcode) {
    Debugger& debugger = emulator.debugger;
    Cpu& cpu = emulator.cpu;
    if (!debugger.target_known) {
        if (flow_of(opcode) == Flow::kCall && stack_rise(cpu, debugger.target_r) < 0) {
            debugger.target_pc = top_return_address(cpu);
            debugger.target_known = true;
            return false;
        }
        stop_at(emulator, StopReason::kStep);
        return true;
    }
    if (cpu.pc != debugger.target_pc || stack_rise(cpu, debugger.target_r) < 0) return false;
    stop_at(emulator, StopReason::kStepOver);
    return true;
}

bool step_out_done(Emulator& emulator, std::uint8_t opcode) {
    if (flow_of(opcode) != Flow::kReturn) return false;
    if (stack_rise(emulator.cpu, emulator.debugger.target_r) <= 0) return false;
    stop_at(emulator, StopReason::kStepOut);
    return true;
}

}  // namespace

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
        if (debugger.breakpoint_at[address]) {
            addresses.push_back(static_cast<std::uint16_t>(address));
        }
    }
    return addresses;
}

void clear_breakpoints(Debugger& debugger) {
    debugger.breakpoint_at.reset();
    debugger.breakpoint_count = 0;
}

void add_watchpoint(Debugger& debugger, Watchpoint watchpoint) {
    if (watchpoint.first > watchpoint.last) std::swap(watchpoint.first, watchpoint.last);
    debugger.watchpoints.push_back(watchpoint);
}

void clear_watchpoints(Debugger& debugger) {
    debugger.watchpoints.clear();
}

std::vector<HistoryEntry> history(const Debugger& debugger) {
    const std::vector<HistoryEntry>& ring = debugger.history_ring;
    if (debugger.history_count < ring.size()) {
        return {ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(debugger.history_count)};
    }
    std::vector<HistoryEntry> entries(
        ring.begin() + static_cast<std::ptrdiff_t>(debugger.history_next), ring.end());
    entries.insert(entries.end(), ring.begin(),
                   ring.begin() + static_cast<std::ptrdiff_t>(debugger.history_next));
    return entries;
}

void clear_history(Debugger& debugger) {
    debugger.history_next = 0;
    debugger.history_count = 0;
}

bool debugging(const Debugger& debugger) {
    return debugger.attached || debugger.mode != RunMode::kRunning ||
           debugger.breakpoint_count != 0 || !debugger.watchpoints.empty() ||
           debugger.stop_on_undefined;
}

bool is_paused(const Emulator& emulator) {
    return emulator.debugger.mode == RunMode::kPaused;
}

void pause(Emulator& emulator) {
    if (is_paused(emulator)) return;
    stop_at(emulator, StopReason::kPause);
}

void resume(Emulator& emulator) {
    start_run(emulator, RunMode::kRunning);
}

StepResult step_into(Emulator& emulator, Display& display) {
    Debugger& debugger = emulator.debugger;
    start_run(emulator, RunMode::kRunning);
    // The instruction under PC runs even when something would stop before it: that is the
    // step the user asked for.
    debugger.skip_breakpoint_once = true;
    SliceResult result = run_single_step(emulator, display);
    if (!result.stopped) stop_at(emulator, StopReason::kStep);
    return {debugger.last_stop, std::move(result.failures)};
}

void step_over(Emulator& emulator) {
    start_run(emulator, RunMode::kStepOver);
}

void step_out(Emulator& emulator) {
    start_run(emulator, RunMode::kStepOut);
}

void run_to(Emulator& emulator, std::uint16_t address) {
    start_run(emulator, RunMode::kRunTo);
    emulator.debugger.target_pc = address;
    emulator.debugger.target_known = true;
}

std::uint8_t debug_read_byte(const Emulator& emulator, std::uint16_t address) {
    const AddressSpace& memory = emulator.bus.memory;
    if (in_rom(address)) return memory.image[address];
    if (address >= kSecondViewStart && address < kSecondViewEnd) {
        return memory.image[address - kSecondViewOffset];
    }
    return read_unmapped_or_display(memory, address);
}

void debug_write_byte(Emulator& emulator, std::uint16_t address, std::uint8_t value) {
    AddressSpace& memory = emulator.bus.memory;
    if (in_rom(address) || (address >= kRamWindowEnd && address < kRamEnd)) {
        memory.image[address] = value;
    } else if (address < kRamWindowEnd) {
        memory.image[ram_window_cell(memory.ram_size, address)] = value;
    } else if (address >= kDisplayStart && address < kDisplayAreaEnd) {
        memory.image[address] = value;
        memory.lcd_redraw = true;
    } else if (address >= kSecondViewStart && address < kSecondViewEnd) {
        memory.image[address - kSecondViewOffset] = value;
        memory.lcd_redraw = true;
    } else if (address == kKeyStrobeAddress) {
        memory.key_strobe = value;
    }
}

std::string_view region_name(std::uint16_t address) {
    if (address < kLowRomEnd) return "low ROM";
    if (address < kRamWindowEnd) return "RAM window";
    if (address < kRamEnd) return "RAM";
    if (address >= kDisplayStart && address < kDisplayDrawnEnd) return "display area";
    if (address >= kDisplayDrawnEnd && address < kDisplayAreaEnd) {
        return "display area (not drawn)";
    }
    if (address >= kSecondViewStart && address < kSecondViewEnd) {
        return "display area (second view)";
    }
    if (address == kKeyStrobeAddress) return "key strobe";
    if (address >= kHighRomStart) return "high ROM";
    return "unmapped";
}

SymbolFolderStatus load_symbol_files(Emulator& emulator, const std::filesystem::path& folder) {
    return read_symbol_folder(folder, emulator.symbols);
}

std::string registers_text(const Cpu& cpu) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "A=%02X B=%02X I=%02X J=%02X X=%04X Y=%04X P=%02X Q=%02X R=%02X DP=%04X F=%02X",
                  cpu.iram[kRegisterA], cpu.iram[kRegisterB], cpu.iram[kRegisterI],
                  cpu.iram[kRegisterJ], register_pair(cpu, kRegisterXL),
                  register_pair(cpu, kRegisterYL), cpu.p, cpu.q, cpu.r, cpu.dp, cpu.flags);
    return text;
}

std::string history_line(const HistoryEntry& entry, const AddressSpace& memory,
                         const Symbols* symbols) {
    const auto byte_after = [&](int offset) {
        return read_program_byte(memory, static_cast<std::uint16_t>(entry.pc + offset));
    };
    std::string line = listing_line(entry.pc, entry.opcode, byte_after(1), byte_after(2), symbols);
    line.pop_back();  // its line end
    if (line.size() < kHistoryInstructionWidth) line.resize(kHistoryInstructionWidth, ' ');
    line += "  ";
    line += registers_text(entry.cpu);
    return line;
}

DebuggedRun::DebuggedRun(Emulator& emulator) : emulator_(emulator) {
    Debugger& debugger = emulator.debugger;
    if (debugger.history_ring.size() != kHistorySize) {
        debugger.history_ring.assign(kHistorySize, HistoryEntry{});
        clear_history(debugger);
    }
    debugger.data_watch.hit = {};
    if (debugger.watchpoints.empty()) return;
    debugger.data_watch.watchpoints = &debugger.watchpoints;
    watch_data_accesses(emulator.bus.memory, &debugger.data_watch);
}

DebuggedRun::~DebuggedRun() {
    watch_data_accesses(emulator_.bus.memory, nullptr);
    emulator_.debugger.data_watch.watchpoints = nullptr;
}

bool stop_before_step(Emulator& emulator) {
    Debugger& debugger = emulator.debugger;
    if (debugger.skip_breakpoint_once) return false;
    const std::uint16_t pc = emulator.cpu.pc;
    if (debugger.breakpoint_at[pc]) {
        stop_at(emulator, StopReason::kBreakpoint);
        return true;
    }
    if (debugger.mode == RunMode::kRunTo && pc == debugger.target_pc) {
        stop_at(emulator, StopReason::kRunTo);
        return true;
    }
    if (debugger.stop_on_undefined && !is_defined(read_program_byte(emulator.bus.memory, pc))) {
        stop_at(emulator, StopReason::kUndefinedOpcode);
        return true;
    }
    return false;
}

void record_history(Debugger& debugger, std::uint16_t pc, std::uint8_t opcode, const Cpu& cpu) {
    debugger.history_ring[debugger.history_next] = {pc, opcode, cpu};
    debugger.history_next = (debugger.history_next + 1) % kHistorySize;
    debugger.history_count = std::min(debugger.history_count + 1, kHistorySize);
}

bool stop_after_step(Emulator& emulator, std::uint16_t address, std::uint8_t opcode) {
    Debugger& debugger = emulator.debugger;
    debugger.skip_breakpoint_once = false;
    if (emulator.bus.memory.watch) check_watched_accesses(emulator.bus.memory);
    if (const WatchHit hit = debugger.data_watch.hit; hit.hit) {
        debugger.data_watch.hit = {};
        stop(debugger, {StopReason::kWatchpoint, emulator.cpu.pc, address, hit.address, hit.write});
        return true;
    }
    switch (debugger.mode) {
        case RunMode::kStepOver:
            return step_over_done(emulator, opcode);
        case RunMode::kStepOut:
            return step_out_done(emulator, opcode);
        default:
            return false;
    }
}

}  // namespace tolvan
