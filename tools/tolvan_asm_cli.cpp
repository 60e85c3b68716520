#include "tools/tolvan_asm_cli.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/number_text.h"
#include "tools/assembler.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kLastAddress = 0xFFFF;
constexpr std::uint32_t kLargestByte = 0xFF;
constexpr std::uint8_t kDefaultFill = 0xFF;
constexpr const char* kImageExtension = ".bin";
constexpr const char* kUsage =
    "usage: tolvan-asm [-o IMAGE] [--range FROM-TO] [--fill BYTE] [--listing FILE] SOURCE\n"
    "  -o IMAGE        binary image to write (default: SOURCE with the extension .bin)\n"
    "  --range FROM-TO addresses the image holds (default: all that is assembled)\n"
    "  --fill BYTE     value of the cells that nothing is assembled into (default 0xFF)\n"
    "  --listing FILE  also write a listing\n"
    "Numbers are decimal or 0x hexadecimal.\n";

struct AddressRange {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
};

struct AsmOptions {
    std::string source;
    std::string image;
    std::string listing;
    std::optional<AddressRange> range;
    std::uint8_t fill = kDefaultFill;
    bool help = false;
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

ParsedArguments parse_arguments(const std::vector<std::string_view>& args) {
    ParsedArguments parsed;
    for (std::size_t index = 0; index < args.size() && parsed.error.empty(); ++index) {
        const std::string_view arg = args[index];
        if (arg == "-h" || arg == "--help") {
            parsed.options.help = true;
        } else if (arg == "-o" || arg == "--listing" || arg == "--range" || arg == "--fill") {
            parsed.error = apply_option(args, index, parsed.options);
        } else if (arg.size() > 1 && arg.front() == '-') {
            parsed.error = "unknown option '" + std::string(arg) + "'";
        } else if (!parsed.options.source.empty()) {
            parsed.error = "more than one source file";
        } else {
            parsed.options.source = std::string(arg);
        }
    }
    if (parsed.error.empty() && !parsed.options.help && parsed.options.source.empty()) {
        parsed.error = "no source file";
    }
    return parsed;
}

std::string default_image_path(const std::string& source) {
    std::filesystem::path image(source);
    image.replace_extension(kImageExtension);
    // Never the source itself, whatever its extension.
    return image == std::filesystem::path(source) ? source + kImageExtension : image.string();
}

bool write_file(const std::string& path, std::string_view contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    file.close();
    return static_cast<bool>(file);
}

std::string image_contents(const AssemblyResult& result, const AsmOptions& options) {
    std::optional<AddressRange> range = options.range;
    if (!range) {
        if (const auto extent = assembled_extent(result)) range = {extent->first, extent->second};
    }
    if (!range) return "";
    const auto image = assembled_image(result, range->from, range->to, options.fill);
    return {image.begin(), image.end()};
}

int assemble_and_write(const AsmOptions& options, std::ostream& err) {
    const AssemblyResult result = assemble_file(options.source);
    for (const AssemblyError& error : result.errors)
        err << format_error(error) << '\n';
    if (!result.ok()) {
        err << "tolvan-asm: " << result.errors.size() << " error(s); nothing written\n";
        return kAsmSourceErrors;
    }
    const std::string image_path =
        options.image.empty() ? default_image_path(options.source) : options.image;
    if (!write_file(image_path, image_contents(result, options))) {
        err << "tolvan-asm: cannot write " << image_path << '\n';
        return kAsmSourceErrors;
    }
    if (!options.listing.empty() && !write_file(options.listing, assembly_listing(result))) {
        err << "tolvan-asm: cannot write " << options.listing << '\n';
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
    return assemble_and_write(parsed.options, err);
}

}  // namespace tolvan
