// Symbols: the names that an assembly gave to addresses and values, as tolvan-asm writes them
// and Tolvan reads them, so that the unassembly and every address field can use them.
//
// The symbol file is plain text, one symbol per line:
//     NAME HHHH        a label: an address
//     NAME HHHH EQU    a value set by EQU
// NAME is an assembler identifier (letters, digits, "_" and ".", not starting with a digit),
// HHHH its value as one to four hexadecimal digits; the rest of a line after ";" is a comment,
// and blank lines are allowed. Values are 16-bit: an EQU outside 0-FFFF is written modulo
// 0x10000.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"

namespace tolvan {

enum class SymbolKind : std::uint8_t { kLabel, kEqu };

struct Symbols {
    std::map<std::string, std::uint16_t, std::less<>> by_name;
    // The names of each value, in name order (the first is the one shown), labels apart from
    // EQUs: only labels stand for the addresses after them ("label+3"); an EQU is often a
    // small constant, not an address.
    std::multimap<std::uint16_t, std::string> labels;
    std::multimap<std::uint16_t, std::string> equates;
};

// Adds a symbol; a name defined again takes its new value and kind.
void add_symbol(Symbols& symbols, std::string_view name, std::uint16_t value,
                SymbolKind kind = SymbolKind::kLabel);
// Adds every symbol of `other`.
void merge_symbols(Symbols& symbols, const Symbols& other);
bool has_symbols(const Symbols& symbols);
bool is_equate(const Symbols& symbols, std::string_view name, std::uint16_t value);

enum class SymbolFileError : std::uint8_t {
    kNone,
    kCannotRead,  // error_number says why
    kBadLine,     // line says where
    kTooLarge,
};

struct [[nodiscard]] SymbolFileStatus {
    SymbolFileError error = SymbolFileError::kNone;
    int line = 0;
    int error_number = 0;

    bool ok() const { return error == SymbolFileError::kNone; }
    explicit operator bool() const { return ok(); }
};

// "fw.sym:12: not a symbol line", "fw.sym: No such file or directory".
std::string describe_symbol_file_status(const std::filesystem::path& path, SymbolFileStatus status);

// The symbols of a symbol file's text; on a bad line nothing is added.
SymbolFileStatus parse_symbol_text(std::string_view text, Symbols& symbols);
// Reads a symbol file and adds its symbols; on any failure nothing is added.
SymbolFileStatus read_symbol_file(const std::filesystem::path& path, Symbols& symbols);

// What reading a folder's symbol files found: how many were read, and what went wrong with the
// others (describe_symbol_file_status texts).
struct [[nodiscard]] SymbolFolderStatus {
    int loaded = 0;
    std::vector<std::string> failures;

    bool ok() const { return failures.empty(); }
};

// Reads every *.sym file of the folder (any case of the extension), in name order; a file that
// cannot be read adds nothing and is named in the status.
SymbolFolderStatus read_symbol_folder(const std::filesystem::path& folder, Symbols& symbols);

// The text of a symbol file, in name order.
std::string symbol_file_text(const Symbols& symbols);
// Replaces the file only once the whole text is written.
WriteStatus write_symbol_file(const std::filesystem::path& path, const Symbols& symbols);

std::optional<std::uint16_t> find_symbol(const Symbols& symbols, std::string_view name);

// "LABEL" at a label's value (or an EQU's of 0x100 or more, when no label has it: a smaller
// EQU is most likely a constant), "LABEL+3" a few bytes after the nearest label below; empty
// when no label lies at or within kMaxSymbolOffset bytes below the address.
inline constexpr std::uint16_t kMaxSymbolOffset = 0x100;
std::string describe_address(const Symbols& symbols, std::uint16_t address);

// How digits without a prefix read: hexadecimal where addresses are typed (the debugger's
// fields), decimal on the command line, as its other numbers are.
enum class PlainDigits : std::uint8_t { kAsHexadecimal, kAsDecimal };

// An address as users type it: "1A2F" (or decimal, see PlainDigits), "0x1A2F", "&1A2F", a
// symbol, "symbol+N", "symbol-N" (N read the same way). A symbol takes precedence over plain
// digits that spell the same text. Nothing when the text is none of these or leaves 0-FFFF.
std::optional<std::uint16_t> parse_address(const Symbols& symbols, std::string_view text,
                                           PlainDigits plain = PlainDigits::kAsHexadecimal);

}  // namespace tolvan
