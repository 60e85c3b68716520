#include "app/headless.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/number_text.h"
#include "base/png.h"
#include "base/regular_file.h"
#include "base/version.h"
#include "machine/commands.h"
#include "machine/control.h"
#include "machine/debugger.h"
#include "machine/key_mapping.h"
#include "machine/rom_check.h"
#include "machine/slice.h"
#include "resources/artwork.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

// Each failure's text as the window shows it, then the file and the system's reason if known.
// Returns whether there was none.
bool print_failures(std::ostream& err, const Failures& failures) {
    for (const Failure& failure : failures.list) {
        err << failure.message << "\n";
        if (!failure.detail.empty()) err << failure.detail << "\n";
    }
    return failures.ok();
}

// A typed key is taken and released within a few slices; this bounds a firmware that never
// polls the keyboard.
constexpr int kMaxSlicesPerTypedKey = 200;

struct Action {
    std::string name;
    std::vector<std::string> values;
};

struct ActionKind {
    const char* name;
    int value_count;
};

constexpr ActionKind kActions[] = {
    {"--steps", 1},        {"--slices", 1},      {"--press", 1},      {"--type", 1},
    {"--simple-reset", 0}, {"--all-reset", 0},   {"--break", 0},      {"--load-ram", 0},
    {"--save-ram", 0},     {"--ram-size", 1},    {"--state", 0},      {"--lcd", 0},
    {"--screenshot", 1},   {"--trace", 1},       {"--unassemble", 3}, {"--unassemble-source", 3},
    {"--until", 1},        {"--watch-write", 1}, {"--peek", 2},       {"--poke", 2},
    {"--symbols", 1},
};

// The values of an action that are addresses (a label, once symbols are loaded), by index.
struct AddressValues {
    const char* action;
    std::size_t first;
    std::size_t count;
};
constexpr AddressValues kAddressValues[] = {
    {"--unassemble", 0, 2}, {"--unassemble-source", 0, 2}, {"--until", 0, 1}, {"--peek", 0, 2},
    {"--poke", 0, 1},
};

bool is_address_value(const Action& action, std::size_t index) {
    for (const AddressValues& values : kAddressValues) {
        if (action.name == values.action && index >= values.first &&
            index < values.first + values.count) {
            return true;
        }
    }
    return false;
}

// An address on the command line: a number as the other numbers are written (decimal, or
// hexadecimal after 0x or &), a label, or label+N / label-N.
std::optional<std::uint16_t> parse_command_address(const Symbols& symbols,
                                                   const std::string& text) {
    return parse_address(symbols, text, PlainDigits::kAsDecimal);
}

// FROM-TO; a label may itself hold a minus sign only as label-N, so the first '-' after a
// complete address splits.
std::optional<Watchpoint> parse_address_range(const Symbols& symbols, const std::string& text) {
    for (std::size_t dash = text.find('-'); dash != std::string::npos;
         dash = text.find('-', dash + 1)) {
        const auto from = parse_command_address(symbols, text.substr(0, dash));
        const auto to = parse_command_address(symbols, text.substr(dash + 1));
        if (from && to && *from <= *to) return Watchpoint{*from, *to, false, true};
    }
    return std::nullopt;
}

// Hexadecimal bytes, spaces between them allowed: "3E 01" or "3E01".
std::optional<std::vector<std::uint8_t>> parse_hex_bytes(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c != ' ') digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n < digits.size(); n += 2) {
        const auto byte = parse_digits(std::string_view(digits).substr(n, 2), kHexadecimal, 0xFF);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    return bytes;
}

// Decimal, or hexadecimal with a 0x prefix.
std::optional<long long> parse_number(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    long long value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (error != std::errc{} || end != last || first == last) return std::nullopt;
    return value;
}

// The key that a --press value names: a key code from 1 to 82 or a key's name.
std::optional<KeyCode> pressed_key(const std::string& text) {
    const auto number = parse_number(text);
    if (!number) return key_code_named(text);
    if (*number < key_number(KeyCode::kCal) || *number > key_number(kHighestKeyCode)) {
        return std::nullopt;
    }
    return key_code(static_cast<int>(*number));
}

std::optional<std::vector<Action>> parse_actions(const std::vector<std::string>& arguments,
                                                 std::ostream& err) {
    std::vector<Action> actions;
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        const ActionKind* kind = nullptr;
        for (const ActionKind& candidate : kActions) {
            if (arguments[n] == candidate.name) kind = &candidate;
        }
        if (!kind) {
            err << "tolvan: unknown option " << arguments[n] << "\n";
            return std::nullopt;
        }
        if (arguments.size() - n - 1 < static_cast<std::size_t>(kind->value_count)) {
            err << "tolvan: " << kind->name << " needs " << kind->value_count << " value(s)\n";
            return std::nullopt;
        }
        Action action{kind->name, {}};
        for (int v = 0; v < kind->value_count; ++v)
            action.values.push_back(arguments[++n]);
        actions.push_back(std::move(action));
    }
    return actions;
}

constexpr const char* kTraceWriteError = "Erreur pendant l'écriture de la trace";

// Written as the machine runs; the first failed write ends the trace and is reported once.
class TraceFile {
  public:
    [[nodiscard]] WriteStatus open(const std::string& name) {
        OpenedFile opened = open_regular_file_for_writing(name);
        name_ = name;
        file_ = std::move(opened.file);
        return {opened.error_number};
    }
    bool active() const { return file_ != nullptr; }
    StepObserver observer() { return {&TraceFile::write_line, this}; }

    static void write_line(void* context, const Emulator& emulator, std::uint16_t address,
                           std::uint8_t opcode) {
        auto& trace = *static_cast<TraceFile*>(context);
        if (!trace.file_) return;
        const Cpu& cpu = emulator.cpu;
        const int written = std::fprintf(
            trace.file_.get(),
            "%04X %02X A=%02X B=%02X I=%02X J=%02X X=%04X Y=%04X P=%02X Q=%02X "
            "R=%02X DP=%04X F=%02X T=%d\n",
            address, opcode, cpu.iram[kRegisterA], cpu.iram[kRegisterB], cpu.iram[kRegisterI],
            cpu.iram[kRegisterJ], register_pair(cpu, kRegisterXL), register_pair(cpu, kRegisterYL),
            cpu.p, cpu.q, cpu.r, cpu.dp, cpu.flags, cpu.cycle_cost);
        if (written < 0) trace.fail(errno);
    }

    // Flushes what is still buffered; the trace is complete only if this succeeds.
    void close() {
        if (file_ && std::fclose(file_.release()) != 0) failure_ = errno;
    }

    // A failed write, told once.
    Failures take_failure() {
        if (failure_ == 0) return {};
        const int error_number = failure_;
        failure_ = 0;
        return failure(kTraceWriteError, describe_failure(name_, {error_number}));
    }

  private:
    void fail(int error_number) {
        failure_ = error_number;
        file_.reset();
    }

    std::string name_;
    FileHandle file_;
    int failure_ = 0;
};

std::string state_json(const Emulator& emulator) {
    const Cpu& cpu = emulator.cpu;
    const Bus& bus = emulator.bus;
    std::string iram;
    char hex[3];
    for (std::uint8_t byte : cpu.iram) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        iram += hex;
    }
    const std::pair<const char*, long long> fields[] = {
        {"pc", cpu.pc},
        {"dp", cpu.dp},
        {"p", cpu.p},
        {"q", cpu.q},
        {"r", cpu.r},
        {"flags", cpu.flags},
        {"cycle_cost", cpu.cycle_cost},
        {"case_counter", cpu.case_counter},
        {"counter_512ms", cpu.counter_512ms},
        {"counter_2ms", cpu.counter_2ms},
        {"elapsed_512ms", cpu.elapsed_512ms},
        {"elapsed_2ms", cpu.elapsed_2ms},
        {"max_horloge512", cpu.timer_limit_512ms},
        {"max_horloge002", cpu.timer_limit_2ms},
        {"max_delay", cpu.max_delay},
        {"ram_size", bus.memory.ram_size},
        {"power_on_status", static_cast<std::int32_t>(emulator.control.power_on_status)},
        {"lcd_redraw", bus.memory.lcd_redraw},
        {"key_strobe", bus.memory.key_strobe},
        {"port_a", bus.ports.port_a},
        {"port_b", bus.ports.port_b},
        {"port_c", bus.ports.port_c},
        {"port_f", bus.ports.port_f},
        {"refresh_request", bus.ports.refresh_request},
    };
    std::string json = "{";
    for (const auto& [key, value] : fields) {
        json += '"';
        json += key;
        json += "\": ";
        json += std::to_string(value);
        json += ", ";
    }
    json += "\"iram\": \"";
    json += iram;
    json += "\"}";
    return json;
}

class HeadlessSession {
  public:
    HeadlessSession(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
        display_.case_bitmap = make_case_bitmap();
        display_.pixel_bitmap = make_pixel_bitmap();
        // The window's first paint erases its background with the case picture.
        draw_case(display_);
        PowerOnResult started = start_machine(*emulator_);
        warn_about_roms(started.roms);
        start_failures_ = std::move(started.failures);
    }

    // Prints what went wrong while the machine was started; false if anything did.
    [[nodiscard]] bool started() const { return print_failures(err_, start_failures_); }

    // Returns false when the action failed in a way the user must hear of.
    [[nodiscard]] bool perform(const Action& action);
    // Whether every --until was reached.
    bool all_reached() const { return !missed_target_; }
    // Ends the trace; false when its last lines could not be written (then reported).
    [[nodiscard]] bool finish();
    Emulator& emulator() { return *emulator_; }

  private:
    Failures run_slices(long long count) {
        Failures failures;
        for (long long n = 0; n < count; ++n) {
            SliceResult result = slice();
            failures.add(std::move(result.failures));
            if (result.stopped) break;
        }
        return failures;
    }
    // Without a clock: the same files and actions give the same result at any MaxDelay.
    SliceResult slice() { return run_slice(*emulator_, display_, {observer(), {}}); }
    // A run action (--steps N, --slices N) with the --until target that precedes it, if any.
    Failures run(const Action& action);
    // After a run that the debugger stopped: what stopped it and how the machine got there,
    // then the machine runs on at the next run.
    void report_stop();
    std::string named_address(std::uint16_t address) const;
    void peek(std::uint16_t from, std::uint16_t to);
    StepObserver observer() { return trace_.active() ? trace_.observer() : StepObserver{}; }
    Failures run_steps(long long count);
    void warn_about_roms(PowerOnStatus roms);
    // Prints the failures of an action, and what the trace lost meanwhile; false if any.
    [[nodiscard]] bool reported(Failures failures);
    Failures type_text(const std::string& text);
    // One slice while typed keys wait; false once the firmware has taken none for a long while.
    bool typing_slice(Failures& failures);
    Failures unassemble(const Action& action, bool source_format);
    bool write_screenshot(const std::string& path);

    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<Emulator> emulator_ = std::make_unique<Emulator>();
    Display display_;
    TraceFile trace_;
    Failures start_failures_;
    int stalled_slices_ = 0;
    std::optional<std::uint16_t> until_;
    bool missed_target_ = false;
    std::uint64_t stops_reported_ = 0;
};

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

Failures HeadlessSession::run(const Action& action) {
    Emulator& emulator = *emulator_;
    Debugger& debugger = emulator.debugger;
    const long long count = *parse_number(action.values[0]);
    const auto target = until_;
    until_.reset();
    if (target) run_to(emulator, *target);
    const std::uint64_t stops_before = debugger.stop_count;
    Failures failures = action.name == "--steps" ? run_steps(count) : run_slices(count);
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

std::string_view stop_reason_text(StopReason reason) {
    switch (reason) {
        case StopReason::kRunTo:
            return "reached the --until address";
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
    out_ << "\nhistory, oldest first (" << entries.size() << " instructions):\n";
    const Symbols* symbols = has_symbols(emulator.symbols) ? &emulator.symbols : nullptr;
    for (const HistoryEntry& entry : entries)
        out_ << history_line(entry, emulator.bus.memory, symbols) << "\n";
    // The next run goes on from here.
    resume(emulator);
}

// Sixteen bytes a line, as data reads see them (the low ROM as its contents).
void HeadlessSession::peek(std::uint16_t from, std::uint16_t to) {
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

Failures HeadlessSession::run_steps(long long count) {
    Emulator& emulator = *emulator_;
    if (emulator.control.power_on_status != PowerOnStatus::kOk) return {};
    const StepObserver step_observer = observer();
    const bool debugged = debugging(emulator.debugger);
    // A display switched on is served as a slice serves it, without stopping the run, so that
    // no request is left for the next slice to stop on.
    for (long long n = 0; n < count; ++n) {
        if (debugged) {
            if (debugged_step(emulator, step_observer)) break;
        } else {
            observed_step(emulator, step_observer);
        }
        serve_refresh_request(emulator, display_);
    }
    return take_tape_failure(emulator.bus.tape);
}

// Without its ROM images the machine stands still; the window shows that over its face, and a
// run without them says so here, with each image's name, expected size and folder. The run goes
// on as the window would (the exit status is unchanged).
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

bool HeadlessSession::reported(Failures failures) {
    failures.add(trace_.take_failure());
    return !print_failures(err_, failures);
}

bool HeadlessSession::finish() {
    trace_.close();
    return !reported({});
}

// The keys pressed and not yet gone: the waiting ones, and one pending or held.
std::size_t outstanding_keys(const Keyboard& keyboard) {
    return keyboard.queue.count + (keyboard.key_pending || keyboard.key_down ? 1 : 0);
}

bool HeadlessSession::typing_slice(Failures& failures) {
    const std::size_t before = outstanding_keys(emulator_->bus.keyboard);
    SliceResult result = slice();
    failures.add(std::move(result.failures));
    if (result.stopped) report_stop();
    stalled_slices_ = outstanding_keys(emulator_->bus.keyboard) < before ? 0 : stalled_slices_ + 1;
    return stalled_slices_ < kMaxSlicesPerTypedKey;
}

// Through the same queue as the window's keys; returns when every key has been taken and
// released, or when the firmware has stopped taking them.
Failures HeadlessSession::type_text(const std::string& text) {
    Keyboard& keyboard = emulator_->bus.keyboard;
    Failures failures;
    stalled_slices_ = 0;
    for (const KeyCode key : keys_for_text(text).keys) {
        // A text longer than the queue waits for room.
        while (!queue_key(keyboard, key)) {
            if (!typing_slice(failures)) return failures;
        }
    }
    while (!keyboard_idle(keyboard)) {
        if (!typing_slice(failures)) return failures;
    }
    return failures;
}

// The previous file survives a failed write: the picture replaces it only once complete.
bool HeadlessSession::write_screenshot(const std::string& path) {
    const std::vector<std::uint8_t> png = encode_png(display_.client);
    const std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
    const WriteStatus status = write_file_atomically(path, bytes);
    if (status.ok()) return true;
    err_ << "tolvan: cannot write " << describe_failure(path, status) << "\n";
    return false;
}

Failures HeadlessSession::unassemble(const Action& action, bool source_format) {
    UnassemblerSettings& settings = emulator_->unassembler;
    settings.from = *parse_command_address(emulator_->symbols, action.values[0]);
    settings.to = *parse_command_address(emulator_->symbols, action.values[1]);
    settings.file_name = action.values[2];
    settings.more_information = source_format;
    return run_unassembler(*emulator_);
}

bool HeadlessSession::perform(const Action& action) {
    Emulator& emulator = *emulator_;
    const auto number = [&](std::size_t index) { return *parse_number(action.values[index]); };
    const std::string& name = action.name;
    const auto address = [&](std::size_t index) {
        return *parse_command_address(emulator.symbols, action.values[index]);
    };
    Failures failures;
    if (name == "--steps" || name == "--slices") failures = run(action);
    if (name == "--until") until_ = address(0);
    if (name == "--watch-write") {
        add_watchpoint(emulator.debugger, *parse_address_range(emulator.symbols, action.values[0]));
    }
    if (name == "--peek") peek(address(0), address(1));
    if (name == "--poke") {
        std::uint16_t at = address(0);
        const std::vector<std::uint8_t> bytes = *parse_hex_bytes(action.values[1]);
        for (const std::uint8_t byte : bytes)
            debug_write_byte(emulator, at++, byte);
    }
    if (name == "--press" && !queue_key(emulator.bus.keyboard, *pressed_key(action.values[0]))) {
        err_ << "tolvan: --press: " << kKeyQueueCapacity << " keys wait already\n";
        return false;
    }
    if (name == "--type") failures = type_text(action.values[0]);
    report_stop();
    if (name == "--simple-reset") simple_reset(emulator);
    if (name == "--all-reset") all_reset(emulator);
    if (name == "--break") press_break(emulator);
    if (name == "--load-ram") {
        LoadRamResult result = load_ram(emulator);
        if (result.started) warn_about_roms(result.started->roms);
        failures = std::move(result.failures);
    }
    if (name == "--save-ram") failures = save_ram_image(emulator);
    if (name == "--ram-size") change_ram_size(emulator, static_cast<std::int8_t>(number(0)));
    if (name == "--state") out_ << state_json(emulator) << "\n";
    if (name == "--lcd") out_ << lcd_text(emulator.bus.memory);
    if (name == "--unassemble") failures = unassemble(action, false);
    if (name == "--unassemble-source") failures = unassemble(action, true);
    if (name == "--screenshot" && !write_screenshot(action.values[0])) return false;
    if (name == "--trace") {
        // The trace so far is complete only once it is closed; its failure names its own file.
        trace_.close();
        failures = trace_.take_failure();
        const WriteStatus status = failures ? trace_.open(action.values[0]) : WriteStatus{};
        if (!status) failures.add(kTraceWriteError, describe_failure(action.values[0], status));
    }
    return !reported(std::move(failures));
}

bool values_are_valid(const Action& action, const Symbols& symbols, std::ostream& err) {
    if (action.name == "--press" && !pressed_key(action.values[0])) {
        err << "tolvan: --press: not a key code (1-82) or key name: " << action.values[0] << "\n";
        return false;
    }
    if (action.name == "--type") {
        const TypedText typed = keys_for_text(action.values[0]);
        if (!typed.untypeable.empty()) {
            err << "tolvan: --type: no key types these characters: "
                << describe_characters(typed.untypeable) << "\n";
            return false;
        }
    }
    const bool numeric =
        action.name == "--steps" || action.name == "--slices" || action.name == "--ram-size";
    for (std::size_t n = 0; n < action.values.size(); ++n) {
        const std::string& value = action.values[n];
        if (is_address_value(action, n) && !parse_command_address(symbols, value)) {
            err << "tolvan: " << action.name << ": not an address (0-65535, 0xFFFF, &FFFF or a "
                << "label): " << value << "\n";
            return false;
        }
        const auto number = parse_number(value);
        if (numeric && (!number || *number < 0)) {
            err << "tolvan: " << action.name << ": not a number: " << value << "\n";
            return false;
        }
    }
    if (action.name == "--watch-write" && !parse_address_range(symbols, action.values[0])) {
        err << "tolvan: --watch-write: not an address range FROM-TO: " << action.values[0] << "\n";
        return false;
    }
    if (action.name == "--peek" && *parse_command_address(symbols, action.values[0]) >
                                       *parse_command_address(symbols, action.values[1])) {
        err << "tolvan: --peek: FROM after TO\n";
        return false;
    }
    if (action.name == "--poke") {
        const auto bytes = parse_hex_bytes(action.values[1]);
        if (!bytes) {
            err << "tolvan: --poke: not hexadecimal bytes (\"3E 01\" or 3E01): " << action.values[1]
                << "\n";
            return false;
        }
        if (*parse_command_address(symbols, action.values[0]) + bytes->size() > 0x10000) {
            err << "tolvan: --poke: the bytes go past FFFF\n";
            return false;
        }
    }
    if (action.name == "--ram-size") {
        const long long size = *parse_number(action.values[0]);
        if (size != kRamSize4K && size != kRamSize8K && size != kRamSize16K) {
            err << "tolvan: --ram-size takes 4, 8 or 16\n";
            return false;
        }
    }
    return true;
}

// Every --until needs a run to stop.
bool until_is_followed_by_a_run(const std::vector<Action>& actions, std::ostream& err) {
    bool waiting = false;
    for (const Action& action : actions) {
        const bool runs = action.name == "--steps" || action.name == "--slices";
        if (waiting && (runs || action.name == "--until")) {
            if (!runs) break;
            waiting = false;
        } else if (action.name == "--until") {
            waiting = true;
        }
    }
    if (waiting) err << "tolvan: --until needs a --steps or --slices after it\n";
    return !waiting;
}

// The symbols that addresses may name: the machine folder's symbol files, then those of the
// command line, all read before anything runs. A symbol file of the command line that cannot
// be read fails the run; a broken one in the folder only earns a warning.
bool load_symbols(const std::vector<Action>& actions, Symbols& symbols, std::ostream& err) {
    const SymbolFolderStatus folder = read_symbol_folder(".", symbols);
    for (const std::string& failure : folder.failures)
        err << "tolvan: warning: " << failure << "; not loaded\n";
    for (const Action& action : actions) {
        if (action.name != "--symbols") continue;
        const SymbolFileStatus status = read_symbol_file(action.values[0], symbols);
        if (!status) {
            err << "tolvan: --symbols: " << describe_symbol_file_status(action.values[0], status)
                << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

std::string usage_text() {
    return "Usage: tolvan [-C DIR | --demo]                       open the window\n"
           "       tolvan [-C DIR | --demo] --headless [ACTIONS]  run without a window\n"
           "       tolvan --help | --version\n"
           "\n"
           "  -C DIR                  work in DIR: its ROM images, Tolvan.ini and RAM image\n"
           "  --demo                  run the demo firmware in its own working folder\n"
           "Without -C or --demo, the window works in the current directory when it holds\n"
           "ROM images or Tolvan.ini, and otherwise in the user's machine folder; a headless\n"
           "run always works in the current directory.\n"
           "\n"
           "Actions, carried out in order:\n"
           "  --steps N               run N instruction steps, not stopping for the display\n"
           "  --slices N              run N execution slices back to back\n"
           "  --press KEY             press a key: its code (1-82) or its name (Digit7,\n"
           "                          LetterQ, Enter, Shift, Brk, ...; any case)\n"
           "  --type TEXT             type TEXT, each key taken and released in turn; a line\n"
           "                          end is ENTER\n"
           "  --simple-reset, --all-reset, --break, --load-ram, --save-ram\n"
           "                          the menu commands of the same names\n"
           "  --ram-size 4|8|16       change the RAM size option (no confirmation)\n"
           "  --state                 print the machine state as one line of JSON\n"
           "  --lcd                   print what the LCD shows\n"
           "  --screenshot FILE       write the client area as a PNG file\n"
           "  --trace FILE            from here on, write one line per instruction to FILE\n"
           "  --unassemble FROM TO FILE, --unassemble-source FROM TO FILE\n"
           "                          write a listing or assembler source of FROM-TO\n"
           "  --symbols FILE          load a symbol file (tolvan-asm --symbols), so that\n"
           "                          addresses can be labels; the *.sym files of the machine\n"
           "                          folder are loaded anyway\n"
           "  --until ADDRESS         the next --steps N or --slices N stops when PC reaches\n"
           "                          ADDRESS, before that instruction; N is the limit\n"
           "  --watch-write FROM-TO   from here on, a run stops after an instruction that\n"
           "                          writes to FROM-TO\n"
           "  --peek FROM TO          print the bytes of FROM-TO in hexadecimal\n"
           "  --poke ADDRESS BYTES    write hexadecimal bytes (\"3E 01\" or 3E01) from ADDRESS,\n"
           "                          ROM included\n"
           "When a run stops at the --until address or on a watched write, the stop and the\n"
           "last instructions executed, oldest first, are printed.\n"
           "Numbers are decimal, or hexadecimal with a 0x prefix. An ADDRESS may also be\n"
           "hexadecimal after &, a label, or label+N / label-N.\n"
           "Exit status: 0 done, 1 an error was reported, 2 wrong usage, 3 an --until\n"
           "address was not reached.\n";
}

int run_headless(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            out << usage_text();
            return kExitOk;
        }
        if (argument == "--version") {
            out << "tolvan " << kTolvanVersion << "\n";
            return kExitOk;
        }
    }
    const auto actions = parse_actions(arguments, err);
    Symbols symbols;
    if (actions && !load_symbols(*actions, symbols, err)) return kExitReportedError;
    bool valid = actions.has_value() && until_is_followed_by_a_run(*actions, err);
    for (std::size_t n = 0; valid && n < actions->size(); ++n) {
        valid = values_are_valid((*actions)[n], symbols, err);
    }
    if (!valid) {
        err << usage_text();
        return kExitUsage;
    }
    HeadlessSession session(out, err);
    if (!session.started()) return kExitReportedError;
    session.emulator().symbols = std::move(symbols);
    for (const Action& action : *actions) {
        if (!session.perform(action)) {
            // The run has failed already; finish() only adds what the trace lost.
            static_cast<void>(session.finish());
            return kExitReportedError;
        }
    }
    if (!session.finish()) return kExitReportedError;
    return session.all_reached() ? kExitOk : kExitNotReached;
}

}  // namespace tolvan
