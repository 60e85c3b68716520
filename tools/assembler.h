// The assembler: reads the unassembler's source format and the directives for writing
// programs (ORG, EQU, DB, DW, DS, INCLUDE), and yields the bytes by address.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/asm_source.h"
#include "tools/source_file.h"
#include "tools/symbols.h"

namespace tolvan {

// Bounds on the work one assembly does, whatever its input: all files together, INCLUDEs
// counted each time they are included.
inline constexpr std::size_t kMaxSourceBytes = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxSourceLines = 1'000'000;

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

enum class ListingKind : std::uint8_t { kInstruction, kData, kReserved };

// What the listing shows: an instruction, data bytes from DB and DW, or cells that DS reserves.
struct ListingItem {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
    ListingKind kind = ListingKind::kInstruction;
    std::uint32_t reserved = 0;  // DS: the number of cells
    SourceLocation source;       // the line that gave it
};

// The memory image that a source is assembled over, such as a ROM being patched: it gives the
// bytes that a line shows but cannot say ("?", the return address of a one-operand PTJ).
struct BaseImage {
    std::uint16_t start = 0;
    std::vector<std::uint8_t> bytes;

    bool empty() const { return bytes.empty(); }
    std::uint32_t end() const { return start + static_cast<std::uint32_t>(bytes.size()); }
    std::optional<std::uint8_t> at(std::uint16_t address) const {
        if (address < start || address >= end()) return std::nullopt;
        return bytes[address - start];
    }
};

struct AssemblyResult {
    std::map<std::uint16_t, std::uint8_t> bytes;
    std::vector<OrgRange> ranges;
    std::map<std::string, std::int64_t> symbols;
    std::set<std::string> equates;  // the symbols that EQU defined; the others are labels
    std::map<std::string, SourceLocation> definitions;  // where each symbol is defined
    std::vector<AssemblyError> errors;  // the first ones, then a line that counts the others
    std::size_t error_count = 0;        // all errors found, listed or not
    std::vector<ListingItem> listing;
    std::vector<std::string> files;  // every file read, the source first

    bool ok() const { return errors.empty(); }
};

// Returns the contents of an included file, or why it cannot be read.
using IncludeLoader = std::function<LoadedFile(const std::string& path)>;

// INCLUDE names files relative to the directory of the file that includes them.
AssemblyResult assemble_source(std::string_view text, std::string_view name,
                               const IncludeLoader& loader, const BaseImage& base = {});
AssemblyResult assemble_file(const std::string& path, const BaseImage& base = {});

// Every label and EQU of the assembly, as the symbol file holds them (16-bit values).
Symbols assembly_symbols(const AssemblyResult& result);

// "file:line: message", or "file: message" for what concerns the whole file.
std::string format_error(const AssemblyError& error);

// The instructions in the unassembler's listing format, each with its address and bytes; DB and
// DW data shows up to three bytes per line, and DS its number of cells.
std::string assembly_listing(const AssemblyResult& result);

// Lowest and highest address of all ORG ranges; nothing when nothing was assembled.
std::optional<std::pair<std::uint16_t, std::uint16_t>> assembled_extent(
    const AssemblyResult& result);

// The cells from..to (inclusive); cells that nothing was assembled into hold the base image's
// bytes, or `fill` where the base has none.
std::vector<std::uint8_t> assembled_image(const AssemblyResult& result, std::uint16_t from,
                                          std::uint16_t to, std::uint8_t fill,
                                          const BaseImage& base = {});

}  // namespace tolvan
