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
#include "base/png.h"
#include "base/regular_file.h"
#include "base/version.h"
#include "machine/commands.h"
#include "machine/control.h"
#include "machine/key_mapping.h"
#include "machine/rom_check.h"
#include "machine/slice.h"
#include "resources/artwork.h"

namespace tolvan {

namespace {

// The reported text as the window shows it, then the file and the system's reason if known.
void print_error(std::ostream& err, const MachineControl& control) {
    err << control.error_text << "\n";
    if (!control.error_detail.empty()) err << control.error_detail << "\n";
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
    {"--steps", 1},        {"--slices", 1},    {"--press", 1},      {"--type", 1},
    {"--simple-reset", 0}, {"--all-reset", 0}, {"--break", 0},      {"--load-ram", 0},
    {"--save-ram", 0},     {"--ram-size", 1},  {"--state", 0},      {"--lcd", 0},
    {"--screenshot", 1},   {"--trace", 1},     {"--unassemble", 3}, {"--unassemble-source", 3},
};

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
    if (*number < key_number(KeyCode::Cal) || *number > key_number(kHighestKeyCode)) {
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

    // Reports a failed write, once.
    void report(Emulator& emulator) {
        if (failure_ == 0) return;
        report_error(emulator, kTraceWriteError, describe_failure(name_, {failure_}));
        failure_ = 0;
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
        {"max_horloge512", cpu.max_horloge512},
        {"max_horloge002", cpu.max_horloge002},
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
        start_machine(*emulator_);
        warn_about_roms();
    }

    // Returns false when the action failed in a way the user must hear of.
    [[nodiscard]] bool perform(const Action& action);
    // Ends the trace; false when its last lines could not be written (then reported).
    [[nodiscard]] bool finish();
    Emulator& emulator() { return *emulator_; }

  private:
    void run_slices(long long count) {
        for (long long n = 0; n < count; ++n)
            slice();
    }
    // Without a clock: the same files and actions give the same result at any MaxDelay.
    void slice() { run_slice(*emulator_, display_, {observer(), {}}); }
    StepObserver observer() { return trace_.active() ? trace_.observer() : StepObserver{}; }
    void run_steps(long long count);
    void warn_about_roms();
    [[nodiscard]] bool reported_error();
    void type_text(const std::string& text);
    // One slice while typed keys wait; false once the firmware has taken none for a long while.
    bool typing_slice();
    void unassemble(const Action& action, bool source_format);
    bool write_screenshot(const std::string& path);

    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<Emulator> emulator_ = std::make_unique<Emulator>();
    Display display_;
    TraceFile trace_;
    int stalled_slices_ = 0;
};

void HeadlessSession::run_steps(long long count) {
    Emulator& emulator = *emulator_;
    if (emulator.control.power_on_status != PowerOnStatus::Ok) return;
    const StepObserver step_observer = observer();
    // A display switched on is served as a slice serves it, without stopping the run, so that
    // no request is left for the next slice to stop on.
    for (long long n = 0; n < count; ++n) {
        observed_step(emulator, step_observer);
        serve_refresh_request(emulator, display_);
    }
    report_tape_failure(emulator);
}

// Without its ROM images the machine stands still; the window shows that over its face, and a
// run without them says so here, with each image's name, expected size and folder. The run goes
// on as the window would (the exit status is unchanged).
void HeadlessSession::warn_about_roms() {
    if (emulator_->control.power_on_status == PowerOnStatus::Ok) return;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::current_path(ignored);
    err_ << "tolvan: warning: no instruction runs: ROM images missing or short in "
         << folder.string() << "\n";
    for (const RomImageProblem& problem : rom_image_problems(folder)) {
        err_ << "  " << describe_problem(problem) << "\n";
    }
    err_ << "  Put your own ROM images there, or run the demo firmware: tolvan --demo\n";
}

bool HeadlessSession::reported_error() {
    trace_.report(*emulator_);
    Emulator& emulator = *emulator_;
    if (!emulator.control.error_flag) return false;
    print_error(err_, emulator.control);
    emulator.control.error_flag = false;
    return true;
}

bool HeadlessSession::finish() {
    trace_.close();
    return !reported_error();
}

// The keys pressed and not yet gone: the waiting ones, and one pending or held.
std::size_t outstanding_keys(const Keyboard& keyboard) {
    return keyboard.queue.count + (keyboard.key_pending || keyboard.key_down ? 1 : 0);
}

bool HeadlessSession::typing_slice() {
    const std::size_t before = outstanding_keys(emulator_->bus.keyboard);
    slice();
    stalled_slices_ = outstanding_keys(emulator_->bus.keyboard) < before ? 0 : stalled_slices_ + 1;
    return stalled_slices_ < kMaxSlicesPerTypedKey;
}

// Through the same queue as the window's keys; returns when every key has been taken and
// released, or when the firmware has stopped taking them.
void HeadlessSession::type_text(const std::string& text) {
    Keyboard& keyboard = emulator_->bus.keyboard;
    stalled_slices_ = 0;
    for (const KeyCode key : keys_for_text(text).keys) {
        // A text longer than the queue waits for room.
        while (!queue_key(keyboard, key)) {
            if (!typing_slice()) return;
        }
    }
    while (!keyboard_idle(keyboard)) {
        if (!typing_slice()) return;
    }
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

void HeadlessSession::unassemble(const Action& action, bool source_format) {
    UnassemblerSettings& settings = emulator_->unassembler;
    settings.from = static_cast<std::uint16_t>(*parse_number(action.values[0]));
    settings.to = static_cast<std::uint16_t>(*parse_number(action.values[1]));
    settings.file_name = action.values[2];
    settings.more_information = source_format;
    run_unassembler(*emulator_);
}

bool HeadlessSession::perform(const Action& action) {
    Emulator& emulator = *emulator_;
    const auto number = [&](std::size_t index) { return *parse_number(action.values[index]); };
    const std::string& name = action.name;
    if (name == "--steps") run_steps(number(0));
    if (name == "--slices") run_slices(number(0));
    if (name == "--press" && !queue_key(emulator.bus.keyboard, *pressed_key(action.values[0]))) {
        err_ << "tolvan: --press: " << kKeyQueueCapacity << " keys wait already\n";
        return false;
    }
    if (name == "--type") type_text(action.values[0]);
    if (name == "--simple-reset") simple_reset(emulator);
    if (name == "--all-reset") all_reset(emulator);
    if (name == "--break") press_break(emulator);
    if (name == "--load-ram") {
        load_ram(emulator);
        warn_about_roms();
    }
    if (name == "--save-ram") save_ram_image(emulator);
    if (name == "--ram-size") change_ram_size(emulator, static_cast<std::int8_t>(number(0)));
    if (name == "--state") out_ << state_json(emulator) << "\n";
    if (name == "--lcd") out_ << lcd_text(emulator.bus.memory);
    if (name == "--unassemble") unassemble(action, false);
    if (name == "--unassemble-source") unassemble(action, true);
    if (name == "--screenshot" && !write_screenshot(action.values[0])) return false;
    if (name == "--trace") {
        // The trace so far is complete only once it is closed; its failure names its own file.
        trace_.close();
        trace_.report(emulator);
        const WriteStatus status =
            emulator.control.error_flag ? WriteStatus{} : trace_.open(action.values[0]);
        if (!status) {
            report_error(emulator, kTraceWriteError, describe_failure(action.values[0], status));
        }
    }
    return !reported_error();
}

bool values_are_valid(const Action& action, std::ostream& err) {
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
    const bool numeric = action.name != "--type" && action.name != "--screenshot" &&
                         action.name != "--trace" && action.name != "--press";
    for (std::size_t n = 0; n < action.values.size(); ++n) {
        const bool is_file = action.name.rfind("--unassemble", 0) == 0 && n == 2;
        if (!numeric || is_file) continue;
        const auto value = parse_number(action.values[n]);
        if (!value || *value < 0) {
            err << "tolvan: " << action.name << ": not a number: " << action.values[n] << "\n";
            return false;
        }
    }
    if (action.name.rfind("--unassemble", 0) == 0) {
        for (std::size_t n = 0; n < 2; ++n) {
            if (*parse_number(action.values[n]) > 0xFFFF) {
                err << "tolvan: " << action.name << ": address out of range: " << action.values[n]
                    << "\n";
                return false;
            }
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
           "Numbers are decimal, or hexadecimal with a 0x prefix.\n";
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
    bool valid = actions.has_value();
    for (std::size_t n = 0; valid && n < actions->size(); ++n) {
        valid = values_are_valid((*actions)[n], err);
    }
    if (!valid) {
        err << usage_text();
        return kExitUsage;
    }
    HeadlessSession session(out, err);
    if (session.emulator().control.error_flag) {
        print_error(err, session.emulator().control);
        return kExitReportedError;
    }
    for (const Action& action : *actions) {
        if (!session.perform(action)) {
            // The run has failed already; finish() only adds what the trace lost.
            static_cast<void>(session.finish());
            return kExitReportedError;
        }
    }
    return session.finish() ? kExitOk : kExitReportedError;
}

}  // namespace tolvan
