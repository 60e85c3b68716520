// The command line of tolvan: one table holds every option, each one row (its names, its values
// and their kinds, what it does, its help line), from which the parsing, the checks of the
// values, the actions and the help text all come.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "bus/keyboard.h"
#include "machine/failures.h"
#include "tools/symbols.h"

namespace tolvan {

inline constexpr int kExitOk = 0;
inline constexpr int kExitReportedError = 1;
inline constexpr int kExitUsage = 2;
// A run after --until ended before PC reached the address.
inline constexpr int kExitNotReached = 3;

class HeadlessSession;
struct CommandLine;

// What a value of an option is, which says how it is read and checked.
enum class ValueKind : std::uint8_t {
    kNone,
    kText,          // anything: a file, a folder
    kCount,         // 0 or more: decimal, or hexadecimal with a 0x prefix
    kRamSize,       // 4, 8 or 16
    kKey,           // a key code (1-82) or a key's name
    kTypedText,     // text that the keys can type
    kAddress,       // a number as a count is written, hexadecimal after &, a label, label+N
    kAddressRange,  // FROM-TO, two addresses
    kHexBytes,      // hexadecimal bytes, "3E 01" or 3E01
};

struct ValueSpec {
    std::string_view name;  // as the help shows it: "N", "FILE"
    ValueKind kind = ValueKind::kNone;
};

inline constexpr std::size_t kMaxValues = 3;

struct AddressRange {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
};

// The values of one use of an option, each read as its kind says.
class Values {
  public:
    using Value = std::variant<std::string, std::uint64_t, std::uint16_t, AddressRange, KeyCode,
                               std::vector<std::uint8_t>>;

    void add(Value value) { values_.push_back(std::move(value)); }
    // kText, kTypedText
    const std::string& text(std::size_t n) const { return std::get<std::string>(values_[n]); }
    // kCount, kRamSize
    std::uint64_t number(std::size_t n) const { return std::get<std::uint64_t>(values_[n]); }
    std::uint16_t address(std::size_t n) const { return std::get<std::uint16_t>(values_[n]); }
    AddressRange range(std::size_t n) const { return std::get<AddressRange>(values_[n]); }
    KeyCode key(std::size_t n) const { return std::get<KeyCode>(values_[n]); }
    const std::vector<std::uint8_t>& bytes(std::size_t n) const {
        return std::get<std::vector<std::uint8_t>>(values_[n]);
    }

  private:
    std::vector<Value> values_;
};

// Where an option may stand.
enum class Stage : std::uint8_t {
    kProgram,   // anywhere: it chooses how the program runs, before anything runs
    kHeadless,  // after --headless
};

// How an action takes part in the --until rule: a target needs a run after it.
enum class RunRole : std::uint8_t { kNone, kTarget, kRun };

struct Option {
    std::string_view name = {};
    std::string_view short_name = {};  // "-h", or empty
    std::array<ValueSpec, kMaxValues> values{};
    Stage stage = Stage::kHeadless;
    // A setting: recorded in the command line as it is read, before anything runs. Its values
    // are all kText.
    void (*choose)(CommandLine& line, const std::vector<std::string>& texts) = nullptr;
    // An action: carried out in the order of the command line.
    Failures (*perform)(HeadlessSession& session, const Values& values) = nullptr;
    // A check across the values, beyond what each one's kind checks: the problem, or nothing.
    std::optional<std::string> (*check)(const Values& values) = nullptr;
    RunRole run_role = RunRole::kNone;
    // Its line in --help; an option without one shares the next option's.
    std::string_view help = {};

    std::size_t value_count() const;
};

// An action as the command line gives it: the option and its values' texts.
struct ActionText {
    const Option* option = nullptr;
    std::vector<std::string> texts;
};

// What the command line chooses.
struct CommandLine {
    std::optional<std::string> directory;  // -C DIR
    bool demo = false;
    bool headless = false;
    bool help = false;
    bool version = false;
    // --symbols FILE, read before the run, wherever they stand.
    std::vector<std::string> symbol_files;
    std::vector<ActionText> actions;
};

struct [[nodiscard]] ParsedCommandLine {
    CommandLine line;
    // The usage error, one line; empty when the line is good.
    std::string problem;
};

// Reads the arguments after the program's name. -h and --help anywhere ask for the help
// (and --version, for the version) whatever else the line holds. The values of the actions are
// read later, by read_actions, once the labels that they may use are known.
ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments);

// An action with its values read.
struct Action {
    const Option* option = nullptr;
    Values values;
};

struct [[nodiscard]] ReadActions {
    std::vector<Action> actions;
    std::string problem;  // the usage error; empty when every value is good
};

// Reads and checks the values of the actions, and the --until rule.
ReadActions read_actions(const std::vector<ActionText>& texts, const Symbols& symbols);

// The whole program's help, made from the table.
std::string help_text();
// The two lines of a usage error: the problem, then where help is.
std::string usage_error(std::string_view problem);

}  // namespace tolvan
