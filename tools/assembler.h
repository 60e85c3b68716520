// The assembler: reads the unassembler's source format and the directives for writing
// programs (ORG, EQU, DB, DW, DS, INCLUDE), and yields the bytes by address.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvan {

struct AssemblyError {
    std::string file;
    int line = 0;
    std::string message;
};

// Addresses from `start` up to, not including, `end` (at most 0x10000), assembled after one
// ORG (or from the start of the source, at address 0).
struct OrgRange {
    std::uint16_t start = 0;
    std::uint32_t end = 0;
    std::string file;
    int line = 0;
};

// What the listing shows: an instruction, or data bytes from DB and DW.
struct ListingItem {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
    bool instruction = false;
};

struct AssemblyResult {
    std::map<std::uint16_t, std::uint8_t> bytes;
    std::vector<OrgRange> ranges;
    std::map<std::string, std::int64_t> symbols;
    std::vector<AssemblyError> errors;
    std::vector<ListingItem> listing;

    bool ok() const { return errors.empty(); }
};

// Returns the contents of an included file, or nothing when it cannot be read.
using IncludeLoader = std::function<std::optional<std::string>(const std::string& path)>;

// INCLUDE names files relative to the directory of the file that includes them.
AssemblyResult assemble_source(std::string_view text, std::string_view name,
                               const IncludeLoader& loader);
AssemblyResult assemble_file(const std::string& path);

std::optional<std::string> read_text_file(const std::string& path);

// "file:line: message"
std::string format_error(const AssemblyError& error);

// The instructions in the unassembler's listing format; DB and DW data shows up to three
// bytes per line.
std::string assembly_listing(const AssemblyResult& result);

// Lowest and highest address of all ORG ranges; nothing when nothing was assembled.
std::optional<std::pair<std::uint16_t, std::uint16_t>> assembled_extent(
    const AssemblyResult& result);

// The cells from..to (inclusive); cells that nothing was assembled into hold `fill`.
std::vector<std::uint8_t> assembled_image(const AssemblyResult& result, std::uint16_t from,
                                          std::uint16_t to, std::uint8_t fill);

}  // namespace tolvan
