#include "tools/tolvan_asm_cli.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/number_text.h"
#include "base/version.h"
#include "tools/assembler.h"
#include "tools/source_file.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kLastAddress = 0xFFFF;
constexpr std::size_t kAddressSpaceSize = 0x10000;
constexpr std::uint32_t kLargestByte = 0xFF;
constexpr std::uint8_t kDefaultFill = 0xFF;
constexpr const char* kImageExtension = ".bin";
constexpr const char* kUsage =
    "usage: tolvan-asm [-o IMAGE] [--range FROM-TO] [--fill BYTE] [--listing FILE]\n"
    "                  [--symbols FILE] [--base IMAGE [--base-at ADDRESS]] SOURCE\n"
    "       tolvan-asm -h | --help | --version\n"
    "  -o IMAGE          binary image to write (default: SOURCE with the extension .bin)\n"
    "  --range FROM-TO   addresses the image holds (default: all that is assembled, and the\n"
    "                    base image)\n"
    "  --fill BYTE       value of the cells that nothing is assembled into (default 0xFF)\n"
    "  --listing FILE    also write a listing\n"
    "  --symbols FILE    also write every label and EQU with its value, one per line:\n"
    "                      NAME HHHH       a label (HHHH: its address, hexadecimal)\n"
    "                      NAME HHHH EQU   a value set by EQU (taken modulo 0x10000)\n"
    "                    ';' starts a comment; Tolvan reads these files (*.sym) to show\n"
    "                    and accept the names\n"
    "  --base IMAGE      assemble over this memory image (a ROM being patched): the cells\n"
    "                    that the source does not define, and the bytes that its '?' lines\n"
    "                    and one-operand PTJ lines cannot say, come from it\n"
    "  --base-at ADDRESS where the base image starts (default 0)\n"
    "Numbers are decimal or 0x hexadecimal. No output may be the source, an included file,\n"
    "the base image or another output.\n";

struct AddressRange {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
};

struct AsmOptions {
    std::string source;
    std::string image;
    std::string listing;
    std::string symbols;
    std::string base;
    std::uint16_t base_at = 0;
    std::optional<AddressRange> range;
    std::uint8_t fill = kDefaultFill;
    bool help = false;
    bool version = false;
};

struct ParsedArguments {
    AsmOptions options;
    std::string error;  // wrong usage when not empty
};

std::optional<AddressRange> parse_range(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto from = parse_unsigned(text.substr(0, dash), kLastAddress);
    const auto to = parse_unsigned(text.substr(dash + 1), kLastAddress);
    if (!from || !to || *from > *to) return std::nullopt;
    return AddressRange{static_cast<std::uint16_t>(*from), static_cast<std::uint16_t>(*to)};
}

// Takes the value of the option at `index`; false when the option is the last argument.
bool option_value(const std::vector<std::string_view>& args, std::size_t& index,
                  std::string_view& value) {
    if (index + 1 >= args.size()) return false;
    value = args[++index];
    return true;
}

std::string apply_option(const std::vector<std::string_view>& args, std::size_t& index,
                         AsmOptions& options) {
    const std::string_view option = args[index];
    std::string_view value;
    if (!option_value(args, index, value)) return std::string(option) + " needs a value";
    if (option == "-o") {
        options.image = std::string(value);
    } else if (option == "--listing") {
        options.listing = std::string(value);
    } else if (option == "--symbols") {
        options.symbols = std::string(value);
    } else if (option == "--base") {
        options.base = std::string(value);
    } else if (option == "--base-at") {
        const auto address = parse_unsigned(value, kLastAddress);
        if (!address) return "bad base address '" + std::string(value) + "'";
        options.base_at = static_cast<std::uint16_t>(*address);
    } else if (option == "--range") {
        options.range = parse_range(value);
        if (!options.range) return "bad range '" + std::string(value) + "' (want FROM-TO)";
    } else {
        const auto fill = parse_unsigned(value, kLargestByte);
        if (!fill) return "bad fill byte '" + std::string(value) + "'";
        options.fill = static_cast<std::uint8_t>(*fill);
    }
    return "";
}

std::string default_image_path(const std::string& source) {
    std::filesystem::path image(source);
    image.replace_extension(kImageExtension);
    // Never the source itself, whatever its extension.
    return image == std::filesystem::path(source) ? source + kImageExtension : image.string();
}

// What the options say together, once all are read.
void complete_options(const std::vector<std::string_view>& args, ParsedArguments& parsed) {
    AsmOptions& options = parsed.options;
    if (options.source.empty()) {
        parsed.error = "no source file";
    } else if (options.base.empty() &&
               std::find(args.begin(), args.end(), "--base-at") != args.end()) {
        parsed.error = "--base-at needs --base";
    } else if (options.image.empty()) {
        options.image = default_image_path(options.source);
    }
}

ParsedArguments parse_arguments(const std::vector<std::string_view>& args) {
    ParsedArguments parsed;
    for (std::size_t index = 0; index < args.size() && parsed.error.empty(); ++index) {
        const std::string_view arg = args[index];
        if (arg == "-h" || arg == "--help") {
            parsed.options.help = true;
        } else if (arg == "--version") {
            parsed.options.version = true;
        } else if (arg == "-o" || arg == "--listing" || arg == "--symbols" || arg == "--range" ||
                   arg == "--fill" || arg == "--base" || arg == "--base-at") {
            parsed.error = apply_option(args, index, parsed.options);
        } else if (arg.size() > 1 && arg.front() == '-') {
            parsed.error = "unknown option '" + std::string(arg) + "'";
        } else if (!parsed.options.source.empty()) {
            parsed.error = "more than one source file";
        } else {
            parsed.options.source = std::string(arg);
        }
    }
    if (parsed.error.empty() && !parsed.options.help && !parsed.options.version)
        complete_options(args, parsed);
    return parsed;
}

// Two names of one file: the same device and inode, or, for files that do not exist yet, the
// same path once "." and ".." and symbolic links of the directories are resolved.
bool same_file(const std::string& a, const std::string& b) {
    const auto first = file_identity(a);
    const auto second = file_identity(b);
    if (first || second) return first == second;
    std::error_code ignored;
    return std::filesystem::weakly_canonical(a, ignored) ==
           std::filesystem::weakly_canonical(b, ignored);
}

struct NamedFile {
    std::string role;  // "the image", "the source", ...
    std::string path;
};

std::vector<NamedFile> outputs_of(const AsmOptions& options) {
    std::vector<NamedFile> outputs{{"the image", options.image}};
    if (!options.listing.empty()) outputs.push_back({"the listing", options.listing});
    if (!options.symbols.empty()) outputs.push_back({"the symbol file", options.symbols});
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

bool write_output(const std::string& path, std::string_view contents, std::ostream& err) {
    const WriteStatus status = write_file_atomically(path, contents);
    if (!status.ok()) err << "tolvan-asm: cannot write " << describe_failure(path, status) << '\n';
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
        err << "tolvan-asm: " << result.errors.size() << " error(s); nothing written\n";
        return kAsmSourceErrors;
    }
    if (const std::string reason = clash(outputs, included_files(result)); !reason.empty()) {
        return refuse(reason, err);
    }
    if (!write_output(options.image, image_contents(result, options, *base), err)) {
        return kAsmSourceErrors;
    }
    if (!options.listing.empty() && !write_output(options.listing, assembly_listing(result), err)) {
        return kAsmSourceErrors;
    }
    if (!options.symbols.empty() &&
        !write_output(options.symbols, symbol_file_text(assembly_symbols(result)), err)) {
        return kAsmSourceErrors;
    }
    return kAsmSuccess;
}

}  // namespace

int run_tolvan_asm(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedArguments parsed = parse_arguments(args);
    if (!parsed.error.empty()) {
        err << "tolvan-asm: " << parsed.error << '\n' << kUsage;
        return kAsmUsageError;
    }
    if (parsed.options.help) {
        out << kUsage;
        return kAsmSuccess;
    }
    if (parsed.options.version) {
        out << "tolvan-asm " << kTolvanVersion << "\n";
        return kAsmSuccess;
    }
    return assemble_and_write(parsed.options, err);
}

}  // namespace tolvan
