#include "tools/tolvan_asm_cli.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_place.h"
#include "base/file_transaction.h"
#include "base/number_text.h"
#include "base/version.h"
#include "tools/assembler.h"
#include "tools/debug_info.h"
#include "tools/hex_text.h"
#include "tools/source_file.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kLastAddress = 0xFFFF;
constexpr std::size_t kAddressSpaceSize = 0x10000;
constexpr std::uint32_t kLargestByte = 0xFF;
constexpr std::uint8_t kDefaultFill = 0xFF;
constexpr int kByteDigits = 2;
constexpr int kWordDigits = 4;
constexpr const char* kImageExtension = ".bin";
constexpr std::string_view kProgram = "tolvan-asm";
constexpr std::string_view kSourceName = "SOURCE";
// Where the help lines start after an option and its value, and how wide the synopsis runs.
constexpr std::size_t kHelpColumn = 20;
constexpr std::size_t kSynopsisWidth = 90;
constexpr const char* kHelpFooter =
    "Numbers are decimal, or hexadecimal after 0x or &. No output may be the source, an\n"
    "included file, the base image or another output.\n";

struct AddressRange {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
};

struct AsmOptions {
    std::string source;
    std::string image;
    std::string listing;
    std::string symbols;
    std::string debug_info;
    std::string base;
    std::uint16_t base_at = 0;
    std::optional<AddressRange> range;
    std::uint8_t fill = kDefaultFill;
    bool help = false;
    bool version = false;
};

// What an option's value is, which decides how it is read and checked.
enum class ValueKind : std::uint8_t { kNone, kFile, kAddress, kByte, kRange };

// An option's value once read: the text, and the number or range it stands for.
struct OptionValue {
    std::string text;
    std::uint32_t number = 0;
    AddressRange range;
};

using OptionAction = void (*)(AsmOptions& options, const OptionValue& value);

// One option of the command line: everything that parsing, checking, acting and the help
// need to know of it.
struct OptionRow {
    std::string_view name;
    std::string_view alias;       // another spelling, or empty
    std::string_view value_name;  // as the help names the value; empty for kNone
    ValueKind kind = ValueKind::kNone;
    std::string_view needs;  // an option without which this one means nothing
    OptionAction action = nullptr;
    std::string_view help;  // one line per '\n'
};

constexpr OptionRow kOptions[] = {
    {"-o", "", "IMAGE", ValueKind::kFile, "",
     [](AsmOptions& options, const OptionValue& value) { options.image = value.text; },
     "binary image to write (default: SOURCE with the extension .bin)"},
    {"--range", "", "FROM-TO", ValueKind::kRange, "",
     [](AsmOptions& options, const OptionValue& value) { options.range = value.range; },
     "addresses the image holds (default: all that is assembled, and the\nbase image)"},
    {"--fill", "", "BYTE", ValueKind::kByte, "",
     [](AsmOptions& options, const OptionValue& value) {
         options.fill = static_cast<std::uint8_t>(value.number);
     },
     "value of the cells that nothing is assembled into (default 0xFF)"},
    {"--listing", "", "FILE", ValueKind::kFile, "",
     [](AsmOptions& options, const OptionValue& value) { options.listing = value.text; },
     "also write a listing"},
    {"--symbols", "", "FILE", ValueKind::kFile, "",
     [](AsmOptions& options, const OptionValue& value) { options.symbols = value.text; },
     "also write every label and EQU with its value, one per line:\n"
     "  NAME HHHH       a label (HHHH: its address, hexadecimal)\n"
     "  NAME HHHH EQU   a value set by EQU (taken modulo 0x10000)\n"
     "';' starts a comment; Tolvan reads these files (*.sym) to show\n"
     "and accept the names"},
    {"--debug-info", "", "FILE", ValueKind::kFile, "",
     [](AsmOptions& options, const OptionValue& value) { options.debug_info = value.text; },
     "also write debug information (JSON): the source file and line of\n"
     "every byte emitted, and where every label is defined"},
    {"--base", "", "IMAGE", ValueKind::kFile, "",
     [](AsmOptions& options, const OptionValue& value) { options.base = value.text; },
     "assemble over this memory image (a ROM being patched): the cells\n"
     "that the source does not define, and the bytes that its '?' lines\n"
     "and one-operand PTJ lines cannot say, come from it"},
    {"--base-at", "", "ADDRESS", ValueKind::kAddress, "--base",
     [](AsmOptions& options, const OptionValue& value) {
         options.base_at = static_cast<std::uint16_t>(value.number);
     },
     "where the base image starts (default 0)"},
    {"-h", "--help", "", ValueKind::kNone, "",
     [](AsmOptions& options, const OptionValue&) { options.help = true; },
     "print this help and exit"},
    {"--version", "", "", ValueKind::kNone, "",
     [](AsmOptions& options, const OptionValue&) { options.version = true; },
     "print the version and exit"},
};

const OptionRow* find_option(std::string_view name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.name || (!row.alias.empty() && name == row.alias)) return &row;
    }
    return nullptr;
}

std::string spellings(const OptionRow& row) {
    std::string text(row.name);
    if (!row.alias.empty()) text += ", " + std::string(row.alias);
    return text;
}

// "[--base IMAGE [--base-at ADDRESS]]": an option that needs another sits inside its brackets.
std::string synopsis_item(const OptionRow& row) {
    std::string item(1, '[');
    item.append(row.name).append(1, ' ').append(row.value_name);
    for (const OptionRow& inner : kOptions) {
        if (inner.needs == row.name) item.append(1, ' ').append(synopsis_item(inner));
    }
    return item.append(1, ']');
}

std::string synopsis() {
    constexpr std::string_view kLead = "Usage: ";
    std::string text;
    text.append(kLead).append(kProgram);
    const std::string indent(text.size(), ' ');
    std::vector<std::string> items;
    for (const OptionRow& row : kOptions) {
        if (row.kind != ValueKind::kNone && row.needs.empty()) items.push_back(synopsis_item(row));
    }
    items.emplace_back(kSourceName);
    std::size_t line_start = 0;
    for (const std::string& item : items) {
        if (text.size() - line_start + 1 + item.size() > kSynopsisWidth) {
            line_start = text.size() + 1;
            text.append(1, '\n').append(indent);
        }
        text.append(1, ' ').append(item);
    }
    text.append(1, '\n').append(kLead.size(), ' ').append(kProgram);
    for (const OptionRow& row : kOptions) {
        if (row.kind != ValueKind::kNone) continue;
        text.append(text.back() == ' ' ? "" : " ").append(row.name);
        if (!row.alias.empty()) text.append(" | ").append(row.alias);
        text.append(" |");
    }
    text.resize(text.size() - 2);
    return text.append(1, '\n');
}

std::string help_text() {
    std::string text = synopsis();
    for (const OptionRow& row : kOptions) {
        std::string head(2, ' ');
        head.append(spellings(row));
        if (!row.value_name.empty()) head.append(1, ' ').append(row.value_name);
        head.resize(std::max(head.size() + 1, kHelpColumn), ' ');
        std::string_view help = row.help;
        for (std::string prefix = head; !help.empty(); prefix = std::string(kHelpColumn, ' ')) {
            const std::size_t end = help.find('\n');
            text.append(prefix).append(help.substr(0, end)).append(1, '\n');
            help = end == std::string_view::npos ? std::string_view{} : help.substr(end + 1);
        }
    }
    return text.append(kHelpFooter);
}

// 'text', in quotes as messages show what was typed.
std::string in_quotes(std::string_view text) {
    std::string result(1, '\'');
    return result.append(text).append(1, '\'');
}

// Reads `text` as a number of at most `maximum`; empty `error` when it is one.
std::uint32_t read_bounded(std::string_view text, std::uint32_t maximum, std::string& error) {
    const NumberReading reading = read_number(text, maximum);
    if (reading.status == NumberStatus::kOutOfRange) {
        error = in_quotes(text) + " is out of range (0-" +
                prefixed_hex("0x", maximum, maximum > kLargestByte ? kWordDigits : kByteDigits) +
                ")";
    } else if (reading.status == NumberStatus::kMalformed) {
        error = in_quotes(text) + " is not a number";
    }
    return reading.value;
}

// FROM-TO: numbers have no '-', so the first one splits.
AddressRange read_range(std::string_view text, std::string& error) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        error = in_quotes(text) + " is not FROM-TO";
        return {};
    }
    const std::uint32_t from = read_bounded(text.substr(0, dash), kLastAddress, error);
    if (!error.empty()) return {};
    const std::uint32_t to = read_bounded(text.substr(dash + 1), kLastAddress, error);
    if (!error.empty()) return {};
    if (from > to) error = in_quotes(text) + " ends before it starts";
    return {static_cast<std::uint16_t>(from), static_cast<std::uint16_t>(to)};
}

// The value of `row` as its kind reads it; `error` says why it is not one.
OptionValue read_value(const OptionRow& row, std::string_view text, std::string& error) {
    OptionValue value{std::string(text), 0, {}};
    switch (row.kind) {
        case ValueKind::kNone:
            break;
        case ValueKind::kFile:
            if (text.empty()) error = "the file name is empty";
            break;
        case ValueKind::kAddress:
            value.number = read_bounded(text, kLastAddress, error);
            break;
        case ValueKind::kByte:
            value.number = read_bounded(text, kLargestByte, error);
            break;
        case ValueKind::kRange:
            value.range = read_range(text, error);
            break;
    }
    if (!error.empty()) error = std::string(row.name) + ": " + error;
    return value;
}

struct ParsedArguments {
    AsmOptions options;
    std::string error;  // wrong usage when not empty
};

std::string default_image_path(const std::string& source) {
    std::filesystem::path image(source);
    image.replace_extension(kImageExtension);
    // Never the source itself, whatever its extension.
    return image == std::filesystem::path(source) ? source + kImageExtension : image.string();
}

// What the options say together, once all are read.
std::string complete_options(const std::vector<const OptionRow*>& given, AsmOptions& options) {
    for (const OptionRow* row : given) {
        if (!row->needs.empty() &&
            std::none_of(given.begin(), given.end(),
                         [row](const OptionRow* other) { return other->name == row->needs; })) {
            return std::string(row->name) + " needs " + std::string(row->needs);
        }
    }
    if (options.source.empty()) return "no source file";
    if (options.image.empty()) options.image = default_image_path(options.source);
    return "";
}

// Takes one argument (and the value that follows an option); the usage error, if any.
std::string take_argument(const std::vector<std::string_view>& args, std::size_t& index,
                          ParsedArguments& parsed, std::vector<const OptionRow*>& given) {
    const std::string_view arg = args[index];
    const OptionRow* row = find_option(arg);
    if (row == nullptr && arg.size() > 1 && arg.front() == '-') {
        return "unknown option " + in_quotes(arg);
    }
    if (row == nullptr) {
        if (!parsed.options.source.empty()) {
            return "more than one source file (" + in_quotes(parsed.options.source) + " and " +
                   in_quotes(arg) + ")";
        }
        parsed.options.source = std::string(arg);
        return "";
    }
    std::string error;
    std::string_view text;
    if (row->kind != ValueKind::kNone) {
        if (index + 1 >= args.size()) {
            return std::string(row->name) + " needs a value (" + std::string(row->value_name) + ")";
        }
        text = args[++index];
    }
    const OptionValue value = read_value(*row, text, error);
    if (!error.empty()) return error;
    row->action(parsed.options, value);
    given.push_back(row);
    return "";
}

bool asks_for_help(const std::vector<std::string_view>& args) {
    return std::any_of(args.begin(), args.end(), [](std::string_view arg) {
        const OptionRow* row = find_option(arg);
        return row != nullptr && row->name == "-h";
    });
}

ParsedArguments parse_arguments(const std::vector<std::string_view>& args) {
    ParsedArguments parsed;
    // Help wins wherever it stands, even among arguments that are wrong.
    if (asks_for_help(args)) {
        parsed.options.help = true;
        return parsed;
    }
    std::vector<const OptionRow*> given;
    for (std::size_t index = 0; index < args.size() && parsed.error.empty(); ++index)
        parsed.error = take_argument(args, index, parsed, given);
    if (parsed.error.empty() && !parsed.options.version)
        parsed.error = complete_options(given, parsed.options);
    return parsed;
}

// Two names of one file, also before either exists: where their symbolic links lead, the same
// folder and name, or the same existing file. A name whose folder cannot be found leads
// nowhere and is written nowhere.
bool same_file(const std::string& a, const std::string& b) {
    const auto first = file_place(a);
    const auto second = file_place(b);
    return first && second && same_place(*first, *second);
}

struct NamedFile {
    std::string role;  // "the image", "the source", ...
    std::string path;
};

std::vector<NamedFile> outputs_of(const AsmOptions& options) {
    std::vector<NamedFile> outputs{{"the image", options.image}};
    if (!options.listing.empty()) outputs.push_back({"the listing", options.listing});
    if (!options.symbols.empty()) outputs.push_back({"the symbol file", options.symbols});
    if (!options.debug_info.empty()) {
        outputs.push_back({"the debug information", options.debug_info});
    }
    return outputs;
}

// Empty when no output is one of the inputs or the other output; otherwise says which.
std::string clash(const std::vector<NamedFile>& outputs, const std::vector<NamedFile>& inputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        std::vector<NamedFile> others = inputs;
        others.insert(others.end(), outputs.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      outputs.end());
        for (const NamedFile& other : others) {
            if (same_file(outputs[i].path, other.path)) {
                return outputs[i].role + " '" + outputs[i].path + "' is the same file as " +
                       other.role + " '" + other.path + "'";
            }
        }
    }
    return "";
}

std::vector<NamedFile> inputs_of(const AsmOptions& options) {
    std::vector<NamedFile> inputs{{"the source", options.source}};
    if (!options.base.empty()) inputs.push_back({"the base image", options.base});
    return inputs;
}

std::vector<NamedFile> included_files(const AssemblyResult& result) {
    std::vector<NamedFile> files;
    for (std::size_t i = 1; i < result.files.size(); ++i)
        files.push_back({"the included file", result.files[i]});
    return files;
}

int refuse(const std::string& reason, std::ostream& err) {
    err << "tolvan-asm: " << reason << "; nothing written\n";
    return kAsmUsageError;
}

std::optional<AddressRange> image_range(const AssemblyResult& result, const AsmOptions& options,
                                        const BaseImage& base) {
    if (options.range) return options.range;
    auto extent = assembled_extent(result);
    if (base.empty()) {
        if (!extent) return std::nullopt;
        return AddressRange{extent->first, extent->second};
    }
    const auto base_last = static_cast<std::uint16_t>(base.end() - 1);
    if (!extent) return AddressRange{base.start, base_last};
    return AddressRange{std::min(extent->first, base.start), std::max(extent->second, base_last)};
}

std::string image_contents(const AssemblyResult& result, const AsmOptions& options,
                           const BaseImage& base) {
    const std::optional<AddressRange> range = image_range(result, options, base);
    if (!range) return "";
    const auto image = assembled_image(result, range->from, range->to, options.fill, base);
    return {image.begin(), image.end()};
}

struct Output {
    const std::string& path;
    std::string contents;
};

// Every output complete in its temporary file before any replaces its file: all or none.
bool write_outputs(const std::vector<Output>& outputs, std::ostream& err) {
    FileTransaction transaction(directory_of(outputs.front().path));
    FilesStatus status;
    for (const Output& output : outputs) {
        if (!output.path.empty() && status) {
            status = stage_file(transaction, output.path, output.contents);
        }
    }
    if (status) status = commit_files(transaction);
    if (!status) err << "tolvan-asm: cannot write " << describe_failure(status) << '\n';
    return status.ok();
}

// Nothing when the base image cannot be read; the reason has then been reported.
std::optional<BaseImage> load_base(const AsmOptions& options, std::ostream& err) {
    if (options.base.empty()) return BaseImage{};
    const LoadedFile file = read_source_file(options.base, kAddressSpaceSize - options.base_at);
    if (!file.text) {
        err << "tolvan-asm: cannot read the base image " << options.base << ": " << file.error
            << '\n';
        return std::nullopt;
    }
    return BaseImage{options.base_at, {file.text->begin(), file.text->end()}};
}

int assemble_and_write(const AsmOptions& options, std::ostream& err) {
    // Outputs left half replaced by an interrupted run are finished or given up first.
    if (const FilesStatus recovered = recover_files(directory_of(options.image)); !recovered) {
        err << "tolvan-asm: cannot finish an earlier write: " << describe_failure(recovered)
            << '\n';
        return kAsmSourceErrors;
    }
    const std::vector<NamedFile> outputs = outputs_of(options);
    if (const std::string reason = clash(outputs, inputs_of(options)); !reason.empty()) {
        return refuse(reason, err);
    }
    const auto base = load_base(options, err);
    if (!base) return kAsmSourceErrors;
    const AssemblyResult result = assemble_file(options.source, *base);
    for (const AssemblyError& error : result.errors)
        err << format_error(error) << '\n';
    if (!result.ok()) {
        err << "tolvan-asm: " << result.error_count
            << (result.error_count == 1 ? " error" : " errors") << "; nothing written\n";
        return kAsmSourceErrors;
    }
    if (const std::string reason = clash(outputs, included_files(result)); !reason.empty()) {
        return refuse(reason, err);
    }
    const std::vector<Output> contents = {
        {options.image, image_contents(result, options, *base)},
        {options.listing, options.listing.empty() ? "" : assembly_listing(result)},
        {options.symbols,
         options.symbols.empty() ? "" : symbol_file_text(assembly_symbols(result))},
        {options.debug_info, options.debug_info.empty()
                                 ? ""
                                 : debug_info_text(assembly_debug_info(result, options.source))},
    };
    if (!write_outputs(contents, err)) return kAsmSourceErrors;
    return kAsmSuccess;
}

}  // namespace

int run_tolvan_asm(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedArguments parsed = parse_arguments(args);
    if (parsed.options.help) {
        out << help_text();
        return kAsmSuccess;
    }
    if (!parsed.error.empty()) {
        err << kProgram << ": " << parsed.error << "\nTry '" << kProgram << " --help'.\n";
        return kAsmUsageError;
    }
    if (parsed.options.version) {
        out << "tolvan-asm " << kTolvanVersion << "\n";
        return kAsmSuccess;
    }
    return assemble_and_write(parsed.options, err);
}

}  // namespace tolvan
