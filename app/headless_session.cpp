#include "app/headless_session.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <utility>

#include "base/number_text.h"
#include "base/png.h"
#include "machine/commands.h"
#include "machine/debugger.h"
#include "machine/inputs.h"
#include "machine/key_mapping.h"
#include "machine/rom_check.h"
#include "machine/time_travel.h"
#include "resources/artwork.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

// A typed key is taken and released within a few slices; this bounds a firmware that never
// polls the keyboard.
constexpr int kMaxSlicesPerTypedKey = 200;

std::string_view stop_reason_text(StopReason reason) {
    switch (reason) {
        case StopReason::kRunTo:
            return "reached the --until address";
        case StopReason::kReverseRunTo:
            return "reached the --reverse-until address";
        case StopReason::kWatchpoint:
            return "watched write";
        case StopReason::kBreakpoint:
            return "breakpoint";
        case StopReason::kUndefinedOpcode:
            return "undefined opcode";
        default:
            return "stopped";
    }
}

// The keys pressed and not yet gone: the waiting ones, and one pending or held.
std::size_t outstanding_keys(const Keyboard& keyboard) {
    return keyboard.queue.count + (keyboard.key_pending || keyboard.key_down ? 1 : 0);
}

}  // namespace

HeadlessSession::HeadlessSession(std::ostream& out, std::ostream& err, Symbols symbols)
    : out_(out), err_(err) {
    display_.case_bitmap = make_case_bitmap();
    display_.pixel_bitmap = make_pixel_bitmap();
    // The window's first paint erases its background with the case picture.
    draw_case(display_);
    PowerOnResult started = start_machine(*emulator_);
    warn_about_roms(started.roms);
    start_failures_ = std::move(started.failures);
    emulator_->symbols = std::move(symbols);
}

std::string HeadlessSession::named_address(std::uint16_t address) const {
    std::string text = hex4(address);
    const std::string label = describe_address(emulator_->symbols, address);
    if (!label.empty()) {
        text += " (";
        text += label;
        text += ')';
    }
    return text;
}

Failures HeadlessSession::run(RunKind kind, std::uint64_t count) {
    Emulator& emulator = *emulator_;
    Debugger& debugger = emulator.debugger;
    const auto target = until_;
    until_.reset();
    if (target) run_to(emulator, *target);
    const std::uint64_t stops_before = debugger.stop_count;
    Failures failures = kind == RunKind::kSteps ? run_steps(count) : run_slices(count);
    if (!target) return failures;
    const bool reached =
        debugger.stop_count != stops_before && debugger.last_stop.reason == StopReason::kRunTo;
    if (!reached) {
        err_ << "tolvan: --until " << named_address(*target) << ": not reached\n";
        missed_target_ = true;
        // The target stops nothing further.
        if (debugger.mode == RunMode::kRunTo) debugger.mode = RunMode::kRunning;
    }
    return failures;
}

// Without a clock, and without the delay loop's passes: the same files and actions give the
// same result at any MaxDelay, at full speed.
SliceResult HeadlessSession::slice() {
    return run_slice(*emulator_, display_, {observer(), {}, DelayLoop::kSkip});
}

Failures HeadlessSession::run_slices(std::uint64_t count) {
    Failures failures;
    for (std::uint64_t n = 0; n < count; ++n) {
        SliceResult result = slice();
        failures.add(std::move(result.failures));
        if (result.stopped) break;
    }
    return failures;
}

// Slices of the steps left: a display switched on ends a slice but not the run.
Failures HeadlessSession::run_steps(std::uint64_t count) {
    Failures failures;
    while (count > 0) {
        const int limit = static_cast<int>(std::min<std::uint64_t>(count, kStepsPerSlice));
        SliceResult result =
            run_slice(*emulator_, display_, {observer(), {}, DelayLoop::kSkip, limit});
        failures.add(std::move(result.failures));
        count -= static_cast<std::uint64_t>(result.steps);
        if (result.stopped || result.steps == 0) break;
    }
    return failures;
}

void HeadlessSession::report_stop() {
    Emulator& emulator = *emulator_;
    Debugger& debugger = emulator.debugger;
    if (debugger.stop_count == stops_reported_) return;
    stops_reported_ = debugger.stop_count;
    const StopInfo& stop = debugger.last_stop;
    out_ << "stopped before " << named_address(stop.pc) << ": " << stop_reason_text(stop.reason);
    if (stop.reason == StopReason::kWatchpoint) {
        out_ << " of " << named_address(stop.data_address) << " by the instruction at "
             << named_address(stop.instruction_address);
    }
    const std::vector<HistoryEntry> entries = history(debugger);
    out_ << "\nhistory, oldest first (" << counted(entries.size(), "instruction") << "):\n";
    const bool labelled = emulator.unassembler.use_symbols && has_symbols(emulator.symbols);
    const Symbols* symbols = labelled ? &emulator.symbols : nullptr;
    for (const HistoryEntry& entry : entries)
        out_ << history_line(entry, emulator.bus.memory, symbols) << "\n";
    // The next run goes on from here.
    resume(emulator);
}

// Sixteen bytes a line, as data reads see them (the low ROM as its contents).
void HeadlessSession::print_bytes(std::uint16_t from, std::uint16_t to) {
    constexpr unsigned kBytesPerLine = 16;
    for (std::uint32_t line = from; line <= to; line += kBytesPerLine) {
        out_ << hex4(line) << ':';
        for (std::uint32_t address = line; address <= to && address < line + kBytesPerLine;
             ++address) {
            out_ << ' ' << hex2(debug_read_byte(*emulator_, static_cast<std::uint16_t>(address)));
        }
        out_ << '\n';
    }
}

void HeadlessSession::poke(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t byte : bytes)
        tolvan::poke(*emulator_, address++, byte);
}

Failures HeadlessSession::press(KeyCode key) {
    if (press_key(*emulator_, key)) return {};
    return failure("tolvan: --press: " + counted(kKeyQueueCapacity, "key") + " wait already");
}

void HeadlessSession::warn_about_roms(PowerOnStatus roms) {
    if (roms == PowerOnStatus::kOk) return;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::current_path(ignored);
    err_ << "tolvan: warning: no instruction runs: ROM images missing or short in "
         << folder.string() << "\n";
    for (const RomImageProblem& problem : rom_image_problems(folder)) {
        err_ << "  " << describe_problem(problem) << "\n";
    }
    err_ << "  Put your own ROM images there, or run the demo firmware: tolvan --demo\n";
}

Failures HeadlessSession::load_ram() {
    LoadRamResult result = tolvan::load_ram(*emulator_);
    if (result.started) warn_about_roms(result.started->roms);
    return std::move(result.failures);
}

void HeadlessSession::show_lcd() {
    draw_lcd(display_, emulator_->screen.cells);
}

void HeadlessSession::miss(const std::string& what) {
    err_ << "tolvan: " << what << "\n";
    missed_target_ = true;
}

Failures HeadlessSession::save_state(const std::string& path) {
    return tolvan::save_state(*emulator_, path);
}

Failures HeadlessSession::load_state(const std::string& path) {
    Failures failures = tolvan::load_state(*emulator_, path);
    if (failures) show_lcd();
    return failures;
}

Failures HeadlessSession::back(std::uint64_t count) {
    const History& history = emulator_->history;
    const std::uint64_t now = history.now.instructions;
    const std::uint64_t available = now - history_start(history).instructions;
    if (count > available) {
        miss("--back " + std::to_string(count) + ": the history holds only " +
             counted(available, "instruction") + "; back to its start");
    }
    if (travel_to(*emulator_, now - std::min(count, available))) show_lcd();
    return {};
}

Failures HeadlessSession::reverse_until(std::uint16_t address) {
    if (reverse_run_to(*emulator_, address)) {
        show_lcd();
    } else {
        miss("--reverse-until " + named_address(address) + ": not in the history");
    }
    return {};
}

Failures HeadlessSession::last_write(std::uint16_t address) {
    const auto write = find_last_write(*emulator_, address);
    if (!write) {
        miss("--last-write " + named_address(address) + ": no write in the history");
        return {};
    }
    out_ << "last write to " << named_address(address) << ": instruction " << write->instructions
         << " at " << named_address(write->pc) << " wrote " << hex2(write->value) << "\n";
    return {};
}

bool HeadlessSession::typing_slice(Failures& failures) {
    const std::size_t before = outstanding_keys(emulator_->bus.keyboard);
    SliceResult result = slice();
    failures.add(std::move(result.failures));
    if (result.stopped) report_stop();
    stalled_slices_ = outstanding_keys(emulator_->bus.keyboard) < before ? 0 : stalled_slices_ + 1;
    return stalled_slices_ < kMaxSlicesPerTypedKey;
}

Failures HeadlessSession::type(const std::string& text) {
    Keyboard& keyboard = emulator_->bus.keyboard;
    Failures failures;
    stalled_slices_ = 0;
    for (const KeyCode key : keys_for_text(text).keys) {
        // A text longer than the queue waits for room.
        while (!press_key(*emulator_, key)) {
            if (!typing_slice(failures)) return failures;
        }
    }
    while (!keyboard_idle(keyboard)) {
        if (!typing_slice(failures)) return failures;
    }
    return failures;
}

Failures HeadlessSession::write_screenshot(const std::string& path) {
    const std::vector<std::uint8_t> png = encode_png(display_.client);
    const std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
    const WriteStatus status = write_file_atomically(path, bytes);
    if (status.ok()) return {};
    return failure("tolvan: cannot write " + describe_failure(path, status));
}

Failures HeadlessSession::trace_into(const std::string& path) {
    // The trace so far is complete only once it is closed; its failure names its own file.
    trace_.close();
    Failures failures = trace_.take_failure();
    if (!failures) return failures;
    const WriteStatus status = trace_.open(path);
    if (!status) failures.add(kTraceWriteError, describe_failure(path, status));
    return failures;
}

Failures HeadlessSession::unassemble(std::uint16_t from, std::uint16_t to, const std::string& file,
                                     bool source_format) {
    UnassemblerSettings& settings = emulator_->unassembler;
    settings.from = from;
    settings.to = to;
    settings.file_name = file;
    settings.more_information = source_format;
    return run_unassembler(*emulator_);
}

Failures HeadlessSession::finish() {
    trace_.close();
    return trace_.take_failure();
}

}  // namespace tolvan
