// The machine-code debugger: breakpoints, watchpoints, stepping and the history of the last
// instructions. It lives in the Emulator; the execution slice consults it only when something
// is set (see debugging()), so that a machine without breakpoints runs at full speed.
#pragma once

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bus/address_space.h"
#include "bus/data_watch.h"
#include "cpu/state.h"
#include "machine/failures.h"
#include "tools/symbols.h"

namespace tolvan {

struct Emulator;
struct Display;
struct StepObserver;

enum class RunMode : std::uint8_t { kRunning, kPaused, kStepOver, kStepOut, kRunTo };

enum class StopReason : std::uint8_t {
    kNone,
    kPause,
    kBreakpoint,
    kWatchpoint,
    kUndefinedOpcode,
    kStep,
    kStepOver,
    kStepOut,
    kRunTo,
};

struct StopInfo {
    StopReason reason = StopReason::kNone;
    std::uint16_t pc = 0;  // the next instruction, not yet executed
    // Watchpoint only: the instruction that touched the address, the address, and whether it
    // was a write.
    std::uint16_t instruction_address = 0;
    std::uint16_t data_address = 0;
    bool write = false;
};

struct HistoryEntry {
    std::uint16_t pc = 0;
    std::uint8_t opcode = 0;
    Cpu cpu;  // the state before the instruction
};

inline constexpr std::size_t kHistorySize = 1000;

struct Debugger {
    // A debugger window is open, or a headless debug run: the history is recorded.
    bool attached = false;
    RunMode mode = RunMode::kRunning;
    bool stop_on_undefined = false;
    StopInfo last_stop{};
    std::uint64_t stop_count = 0;  // grows at every stop, so that a view knows to refresh

    std::bitset<0x10000> breakpoint_at;
    std::size_t breakpoint_count = 0;
    std::vector<Watchpoint> watchpoints;
    // What the address space reports to while a debugged run watches data accesses.
    DataWatch data_watch;

    // A run resumed on a breakpoint executes that instruction before the breakpoint counts.
    bool skip_breakpoint_once = false;
    // RunTo: the address. StepOver: the return address, once the call has run.
    std::uint16_t target_pc = 0;
    bool target_known = false;
    // StepOver and StepOut: the stack pointer R when the step began.
    std::uint8_t target_r = 0;

    // A ring, allocated when recording starts; history_next is where the next entry goes.
    std::vector<HistoryEntry> history_ring;
    std::size_t history_next = 0;
    std::size_t history_count = 0;
};

void set_breakpoint(Debugger& debugger, std::uint16_t address, bool on);
bool has_breakpoint(const Debugger& debugger, std::uint16_t address);
std::vector<std::uint16_t> breakpoints(const Debugger& debugger);  // ascending
void clear_breakpoints(Debugger& debugger);
void add_watchpoint(Debugger& debugger, Watchpoint watchpoint);
void clear_watchpoints(Debugger& debugger);
std::vector<HistoryEntry> history(const Debugger& debugger);  // oldest first
void clear_history(Debugger& debugger);

// Whether the slice must run its debugged loop: attached, or anything set, or not Running.
bool debugging(const Debugger& debugger);

bool is_paused(const Emulator& emulator);
// Stops before the next instruction.
void pause(Emulator& emulator);
// Slices run again, until a breakpoint or watchpoint.
void resume(Emulator& emulator);
struct [[nodiscard]] StepResult {
    StopInfo stop;
    // A tape SAVE that the instruction could not write.
    Failures failures;
};
// Exactly one instruction now, as a slice would run it (key scan at the release address,
// timers, a display refresh served so that the LCD updates); then paused.
StepResult step_into(Emulator& emulator, Display& display);
// A call-like instruction runs until it returns to the instruction after it; any other
// instruction is stepped as step_into would, by the next slice.
void step_over(Emulator& emulator);
// Runs until the current routine returns.
void step_out(Emulator& emulator);
// Runs until PC reaches the address.
void run_to(Emulator& emulator, std::uint16_t address);

// Side-effect-free views and edits for the memory view and --peek/--poke: the byte that a data
// read sees (the low ROM as program memory, which data reads do not see), and a write to the
// cell the address reaches, ROM included.
std::uint8_t debug_read_byte(const Emulator& emulator, std::uint16_t address);
void debug_write_byte(Emulator& emulator, std::uint16_t address, std::uint8_t value);
// "low ROM", "RAM window", "RAM", "display area", "display area (second view)", "key strobe",
// "unmapped", "high ROM".
std::string_view region_name(std::uint16_t address);

// Loads every *.sym file of the folder (the machine folder: ".") into the emulator's symbols,
// as read_symbol_folder does.
SymbolFolderStatus load_symbol_files(Emulator& emulator, const std::filesystem::path& folder);

// "A=02 B=00 I=00 J=00 X=0000 Y=0000 P=00 Q=00 R=5C DP=0000 F=00", as the trace shows them.
std::string registers_text(const Cpu& cpu);
// One entry of the history: the instruction as the listing shows it (labels included when
// there are symbols), then the registers before it.
std::string history_line(const HistoryEntry& entry, const AddressSpace& memory,
                         const Symbols* symbols);

// For the duration of a debugged run: the address space reports data accesses to the
// debugger if a watchpoint is set, and the history ring is allocated.
class DebuggedRun {
  public:
    explicit DebuggedRun(Emulator& emulator);
    ~DebuggedRun();
    DebuggedRun(const DebuggedRun&) = delete;
    DebuggedRun& operator=(const DebuggedRun&) = delete;

  private:
    Emulator& emulator_;
};

// For the execution slice: whether to stop before the instruction at PC (breakpoint, run-to
// target, undefined opcode), and after one (watchpoint, step over, step out). A stop sets the
// mode to Paused and records last_stop.
bool stop_before_step(Emulator& emulator);
void record_history(Debugger& debugger, std::uint16_t pc, std::uint8_t opcode, const Cpu& cpu);
bool stop_after_step(Emulator& emulator, std::uint16_t address, std::uint8_t opcode);

}  // namespace tolvan
