#include "app/command_line.h"

#include <limits>
#include <utility>

#include "app/headless_session.h"
#include "base/number_text.h"
#include "machine/commands.h"
#include "machine/configuration.h"
#include "machine/debugger.h"
#include "machine/display.h"
#include "machine/key_mapping.h"
#include "machine/state_json.h"

namespace tolvan {

namespace {

// The column where the help lines start.
constexpr std::size_t kHelpColumn = 26;

Failures done() {
    return {};
}

std::optional<std::string> from_not_after_to(const Values& values) {
    if (values.address(0) <= values.address(1)) return std::nullopt;
    return "FROM after TO";
}

std::optional<std::string> bytes_fit(const Values& values) {
    if (values.address(0) + values.bytes(1).size() <= 0x10000) return std::nullopt;
    return "the bytes go past FFFF";
}

Failures unassemble(HeadlessSession& session, const Values& values, bool source_format) {
    return session.unassemble(values.address(0), values.address(1), values.text(2), source_format);
}

constexpr ValueSpec kFile{"FILE", ValueKind::kText};
constexpr ValueSpec kFrom{"FROM", ValueKind::kAddress};
constexpr ValueSpec kTo{"TO", ValueKind::kAddress};

// The options, in the order of --help. Adding one is one row here, plus what it does.
constexpr Option kOptions[] = {
    {.name = "-C",
     .values = {{{"DIR", ValueKind::kText}}},
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line,
                  const std::vector<std::string>& texts) { line.directory = texts[0]; },
     .help = "work in DIR: its ROM images, Tolvan.ini and RAM image"},
    {.name = "--demo",
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line, const std::vector<std::string>&) { line.demo = true; },
     .help = "run the demo firmware in its own working folder"},
    {.name = "--headless",
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line, const std::vector<std::string>&) { line.headless = true; },
     .help = "run without a window; carry out the actions after it"},
    {.name = "--dap",
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line, const std::vector<std::string>&) { line.dap = true; },
     .help = "be an editor's debug adapter: the Debug Adapter\n"
             "Protocol on standard input and output; its launch\n"
             "request chooses the folder"},
    {.name = "--help",
     .short_name = "-h",
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line, const std::vector<std::string>&) { line.help = true; },
     .help = "print this help and exit, wherever it stands"},
    {.name = "--version",
     .stage = Stage::kProgram,
     .choose = [](CommandLine& line, const std::vector<std::string>&) { line.version = true; },
     .help = "print the version and exit"},

    {.name = "--steps",
     .values = {{{"N", ValueKind::kCount}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.run(RunKind::kSteps, values.number(0)); },
     .run_role = RunRole::kRun,
     .help = "run N instruction steps, not stopping for the display"},
    {.name = "--slices",
     .values = {{{"N", ValueKind::kCount}}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             return session.run(RunKind::kSlices, values.number(0));
         },
     .run_role = RunRole::kRun,
     .help = "run N execution slices back to back"},
    {.name = "--press",
     .values = {{{"KEY", ValueKind::kKey}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.press(values.key(0)); },
     .help = "press a key: its code (1-82) or its name (Digit7,\n"
             "LetterQ, Enter, Shift, Brk, ...; any case)"},
    {.name = "--type",
     .values = {{{"TEXT", ValueKind::kTypedText}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.type(values.text(0)); },
     .help = "type TEXT, each key taken and released in turn; a line\nend is ENTER"},
    {.name = "--simple-reset",
     .perform =
         [](HeadlessSession& session, const Values&) {
             simple_reset(session.emulator());
             return done();
         }},
    {.name = "--all-reset",
     .perform =
         [](HeadlessSession& session, const Values&) {
             all_reset(session.emulator());
             return done();
         }},
    {.name = "--break",
     .perform =
         [](HeadlessSession& session, const Values&) {
             press_break(session.emulator());
             return done();
         }},
    {.name = "--load-ram",
     .perform = [](HeadlessSession& session, const Values&) { return session.load_ram(); }},
    {.name = "--save-ram",
     .perform = [](HeadlessSession& session,
                   const Values&) { return save_ram_image(session.emulator()); },
     .help = "the menu commands of the same names"},
    {.name = "--save-state",
     .values = {{kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.save_state(values.text(0)); },
     .help = "write the whole machine into a state file"},
    {.name = "--load-state",
     .values = {{kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.load_state(values.text(0)); },
     .help = "go on from a state file saved from the same ROM images"},
    {.name = "--ram-size",
     .values = {{{"4|8|16", ValueKind::kRamSize}}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             change_ram_size(session.emulator(), static_cast<std::int8_t>(values.number(0)));
             return done();
         },
     .help = "change the RAM size option (no confirmation)"},
    {.name = "--state",
     .perform =
         [](HeadlessSession& session, const Values&) {
             session.out() << state_json(session.emulator()) << "\n";
             return done();
         },
     .help = "print the machine state as one line of JSON"},
    {.name = "--lcd",
     .perform =
         [](HeadlessSession& session, const Values&) {
             session.out() << lcd_text(session.emulator().bus.memory);
             return done();
         },
     .help = "print what the LCD shows"},
    {.name = "--screenshot",
     .values = {{kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.write_screenshot(values.text(0)); },
     .help = "write the calculator's face as a PNG file"},
    {.name = "--trace",
     .values = {{kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.trace_into(values.text(0)); },
     .help = "from here on, write one line per instruction to FILE"},
    {.name = "--unassemble",
     .values = {{kFrom, kTo, kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return unassemble(session, values, false); },
     .check = from_not_after_to},
    {.name = "--unassemble-source",
     .values = {{kFrom, kTo, kFile}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return unassemble(session, values, true); },
     .check = from_not_after_to,
     .help = "write a listing or assembler source of FROM-TO"},
    {.name = "--no-symbols",
     .perform =
         [](HeadlessSession& session, const Values&) {
             session.emulator().unassembler.use_symbols = false;
             return done();
         },
     .help = "from here on, listings show addresses, not labels"},
    {.name = "--symbols",
     .values = {{kFile}},
     .choose = [](CommandLine& line,
                  const std::vector<std::string>& texts) { line.symbol_files.push_back(texts[0]); },
     .help = "load a symbol file (tolvan-asm --symbols), so that\n"
             "addresses can be labels; the *.sym files of the\n"
             "machine folder are loaded anyway"},
    {.name = "--until",
     .values = {{{"ADDRESS", ValueKind::kAddress}}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             session.run_until(values.address(0));
             return done();
         },
     .run_role = RunRole::kTarget,
     .help = "the next --steps N or --slices N stops when PC reaches\n"
             "ADDRESS, before that instruction; N is the limit"},
    {.name = "--watch-write",
     .values = {{{"FROM-TO", ValueKind::kAddressRange}}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             const AddressRange range = values.range(0);
             add_watchpoint(session.emulator().debugger, {range.from, range.to, false, true});
             return done();
         },
     .help = "from here on, a run stops after an instruction that\nwrites to FROM-TO"},
    {.name = "--back",
     .values = {{{"N", ValueKind::kCount}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.back(values.number(0)); },
     .help = "take the machine back N instructions in its history"},
    {.name = "--reverse-until",
     .values = {{{"ADDRESS", ValueKind::kAddress}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.reverse_until(values.address(0)); },
     .help = "take the machine back to the most recent earlier moment\n"
             "when PC was at ADDRESS"},
    {.name = "--last-write",
     .values = {{{"ADDRESS", ValueKind::kAddress}}},
     .perform = [](HeadlessSession& session,
                   const Values& values) { return session.last_write(values.address(0)); },
     .help = "print the instruction count, PC and value of the last\n"
             "write to ADDRESS in the history"},
    {.name = "--peek",
     .values = {{kFrom, kTo}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             session.print_bytes(values.address(0), values.address(1));
             return done();
         },
     .check = from_not_after_to,
     .help = "print the bytes of FROM-TO in hexadecimal"},
    {.name = "--poke",
     .values = {{{"ADDRESS", ValueKind::kAddress}, {"BYTES", ValueKind::kHexBytes}}},
     .perform =
         [](HeadlessSession& session, const Values& values) {
             session.poke(values.address(0), values.bytes(1));
             return done();
         },
     .check = bytes_fit,
     .help = "write hexadecimal bytes (\"3E 01\" or 3E01) from\nADDRESS, ROM included"},
};

const Option* find_option(std::string_view argument) {
    for (const Option& option : kOptions) {
        if (argument == option.name ||
            (!option.short_name.empty() && argument == option.short_name))
            return &option;
    }
    return nullptr;
}

// Answered before anything else, wherever they stand and whatever else the line holds.
bool answers_at_once(const Option& option) {
    return option.name == "--help" || option.name == "--version";
}

std::string value_names(const Option& option) {
    std::string names;
    for (std::size_t n = 0; n < option.value_count(); ++n) {
        if (n != 0) names += ' ';
        names += option.values[n].name;
    }
    return names;
}

// What the problem of a missing value says: "-C needs a value: DIR".
std::string missing_values(const Option& option) {
    const std::size_t count = option.value_count();
    std::string text(option.name);
    text += count == 1 ? " needs a value: " : " needs " + counted(count, "value") + ": ";
    return text + value_names(option);
}

// Counts and key codes are written as addresses are: decimal, or hexadecimal after 0x or &.
NumberReading read_count(std::string_view text) {
    return read_number(text, std::numeric_limits<std::uint64_t>::max());
}

// A number as an address may be written, whether or not it fits.
bool is_written_as_number(std::string_view text) {
    return read_count(text).status != NumberStatus::kMalformed;
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

std::optional<std::uint16_t> parse_command_address(const Symbols& symbols,
                                                   const std::string& text) {
    return parse_address(symbols, text, PlainDigits::kAsDecimal);
}

// FROM-TO; a label may itself hold a minus sign only as label-N, so the first '-' after a
// complete address splits.
std::optional<AddressRange> parse_address_range(const Symbols& symbols, const std::string& text) {
    for (std::size_t dash = text.find('-'); dash != std::string::npos;
         dash = text.find('-', dash + 1)) {
        const auto from = parse_command_address(symbols, text.substr(0, dash));
        const auto to = parse_command_address(symbols, text.substr(dash + 1));
        if (from && to && *from <= *to) return AddressRange{*from, *to};
    }
    return std::nullopt;
}

// A value read as its kind says, or what is wrong with it.
struct ReadValue {
    std::optional<Values::Value> value;
    std::string problem = {};
};

ReadValue wrong(std::string_view what, const std::string& text) {
    return {std::nullopt, std::string(what) + ": " + text};
}

ReadValue read_key(const std::string& text) {
    const NumberReading number = read_count(text);
    if (number.status == NumberStatus::kMalformed) {
        if (const auto key = key_code_named(text)) return {*key};
        return wrong("not a key code (1-82) or key name", text);
    }
    if (number.status == NumberStatus::kOutOfRange ||
        number.value < static_cast<std::uint64_t>(key_number(KeyCode::kCal)) ||
        number.value > static_cast<std::uint64_t>(key_number(kHighestKeyCode))) {
        return wrong("out of range (1-82)", text);
    }
    return {key_code(static_cast<int>(number.value))};
}

ReadValue read_value(ValueKind kind, const std::string& text, const Symbols& symbols) {
    switch (kind) {
        case ValueKind::kCount: {
            const NumberReading number = read_count(text);
            if (number.status == NumberStatus::kOk) return {number.value};
            return wrong(
                number.status == NumberStatus::kOutOfRange ? "out of range" : "not a number", text);
        }
        case ValueKind::kRamSize: {
            const NumberReading number = read_count(text);
            for (const std::int8_t size : {kRamSize4K, kRamSize8K, kRamSize16K}) {
                if (number.status == NumberStatus::kOk &&
                    number.value == static_cast<std::uint64_t>(size)) {
                    return {number.value};
                }
            }
            return wrong("not 4, 8 or 16", text);
        }
        case ValueKind::kKey:
            return read_key(text);
        case ValueKind::kTypedText: {
            const TypedText typed = keys_for_text(text);
            if (typed.untypeable.empty()) return {text};
            return {std::nullopt,
                    "no key types these characters: " + describe_characters(typed.untypeable)};
        }
        case ValueKind::kAddress:
            if (const auto address = parse_command_address(symbols, text)) return {*address};
            if (is_written_as_number(text)) return wrong("out of range (0-65535)", text);
            return wrong("not an address (0-65535, 0xFFFF, &FFFF or a label)", text);
        case ValueKind::kAddressRange:
            if (const auto range = parse_address_range(symbols, text)) return {*range};
            return wrong("not an address range FROM-TO", text);
        case ValueKind::kHexBytes:
            if (auto bytes = parse_hex_bytes(text)) return {std::move(*bytes)};
            return wrong("not hexadecimal bytes (\"3E 01\" or 3E01)", text);
        case ValueKind::kText:
        case ValueKind::kNone:
            break;
    }
    return {text};
}

// The problem of an action's values, or nothing.
std::optional<std::string> read_values(const ActionText& text, const Symbols& symbols,
                                       Values& values) {
    const Option& option = *text.option;
    for (std::size_t n = 0; n < text.texts.size(); ++n) {
        ReadValue read = read_value(option.values[n].kind, text.texts[n], symbols);
        if (!read.value) return std::string(option.name) + ": " + read.problem;
        values.add(std::move(*read.value));
    }
    if (!option.check) return std::nullopt;
    const auto problem = option.check(values);
    if (!problem) return std::nullopt;
    return std::string(option.name) + ": " + *problem;
}

// Every target needs a run after it, before the next target.
std::optional<std::string> unfollowed_target(const std::vector<Action>& actions) {
    const Option* waiting = nullptr;
    for (const Action& action : actions) {
        const RunRole role = action.option->run_role;
        if (role == RunRole::kRun) waiting = nullptr;
        if (role != RunRole::kTarget) continue;
        if (waiting) break;
        waiting = action.option;
    }
    if (!waiting) return std::nullopt;
    std::string runs;
    for (const Option& option : kOptions) {
        if (option.run_role != RunRole::kRun) continue;
        if (!runs.empty()) runs += " or ";
        runs += option.name;
    }
    return std::string(waiting->name) + " needs a " + runs + " after it";
}

// "  --steps N               run N instruction steps", the lines after the first indented.
void add_help_entry(std::string& text, const std::string& synopsis, std::string_view help) {
    text += "  ";
    text += synopsis;
    if (synopsis.size() + 2 < kHelpColumn) {
        text.append(kHelpColumn - 2 - synopsis.size(), ' ');
    } else {
        text += '\n';
        text.append(kHelpColumn, ' ');
    }
    for (const char c : help) {
        text += c;
        if (c == '\n') text.append(kHelpColumn, ' ');
    }
    text += '\n';
}

// The help entries of the options of one stage, in table order.
std::string help_entries(Stage stage) {
    std::string text;
    std::string synopsis;
    for (const Option& option : kOptions) {
        if (option.stage != stage) continue;
        if (!synopsis.empty()) synopsis += ", ";
        if (!option.short_name.empty()) {
            synopsis += option.short_name;
            synopsis += ", ";
        }
        synopsis += option.name;
        if (option.value_count() != 0) synopsis += ' ' + value_names(option);
        if (option.help.empty()) continue;
        add_help_entry(text, synopsis, option.help);
        synopsis.clear();
    }
    return text;
}

}  // namespace

std::size_t Option::value_count() const {
    std::size_t count = 0;
    while (count < kMaxValues && values[count].kind != ValueKind::kNone)
        ++count;
    return count;
}

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    CommandLine& line = parsed.line;
    for (const std::string& argument : arguments) {
        const Option* option = find_option(argument);
        if (option && answers_at_once(*option)) option->choose(line, {});
    }
    if (line.help || line.version) return parsed;
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        const Option* option = find_option(arguments[n]);
        if (!option) {
            parsed.problem = "unknown option " + arguments[n];
            return parsed;
        }
        if (option->stage == Stage::kHeadless && !line.headless) {
            parsed.problem = arguments[n] + " needs --headless before it";
            return parsed;
        }
        const std::size_t count = option->value_count();
        if (arguments.size() - n - 1 < count) {
            parsed.problem = missing_values(*option);
            return parsed;
        }
        const auto first = arguments.begin() + static_cast<std::ptrdiff_t>(n + 1);
        std::vector<std::string> texts(first, first + static_cast<std::ptrdiff_t>(count));
        n += count;
        if (option->choose) {
            option->choose(line, texts);
        } else {
            line.actions.push_back({option, std::move(texts)});
        }
    }
    if (line.demo && line.directory) parsed.problem = "-C and --demo choose two folders; give one";
    if (line.dap && (line.demo || line.directory || line.headless)) {
        parsed.problem = "--dap takes no -C, --demo or --headless: the launch request chooses";
    }
    return parsed;
}

ReadActions read_actions(const std::vector<ActionText>& texts, const Symbols& symbols) {
    ReadActions read;
    for (const ActionText& text : texts) {
        Action action{text.option, {}};
        if (auto problem = read_values(text, symbols, action.values)) {
            read.problem = std::move(*problem);
            return read;
        }
        read.actions.push_back(std::move(action));
    }
    if (auto problem = unfollowed_target(read.actions)) read.problem = std::move(*problem);
    return read;
}

std::string help_text() {
    return "Usage: tolvan [-C DIR | --demo]                       open the window\n"
           "       tolvan [-C DIR | --demo] --headless [ACTIONS]  run without a window\n"
           "       tolvan --dap                                   debug from an editor\n"
           "       tolvan --help | --version\n"
           "\n" +
           help_entries(Stage::kProgram) +
           "Without -C or --demo, the window works in the current directory when it holds\n"
           "ROM images or Tolvan.ini, otherwise in the folder last chosen in the window, or\n"
           "else in the user's machine folder; a headless run always works in the current\n"
           "directory.\n"
           "\n"
           "Actions, carried out in order:\n" +
           help_entries(Stage::kHeadless) +
           "When a run stops at the --until address or on a watched write, the stop and the\n"
           "last instructions executed, oldest first, are printed.\n"
           "Numbers are decimal, or hexadecimal after 0x or &. An ADDRESS may also be a\n"
           "label, or label+N / label-N.\n"
           "A headless run spends no time in the delay loop: MaxDelay in Tolvan.ini slows\n"
           "only the window, and is read, kept and saved as before.\n"
           "The history keeps the last 10 minutes of emulated time or more; --back,\n"
           "--reverse-until and --last-write look only there.\n"
           "Exit status: 0 done, 1 an error was reported, 2 wrong usage, 3 an --until\n"
           "address was not reached, or --back, --reverse-until or --last-write went past\n"
           "the start of the history.\n";
}

std::string usage_error(std::string_view problem) {
    return "tolvan: " + std::string(problem) + "\nTry 'tolvan --help'.\n";
}

}  // namespace tolvan
