#include "tools/symbols.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <system_error>

#include "base/number_text.h"
#include "base/regular_file.h"
#include "tools/asm_source.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

// Far more than any program for this machine defines; a bound on what a stray file costs.
constexpr std::size_t kMaxSymbolFileBytes = 16 * 1024 * 1024;
constexpr std::uint32_t kMaxAddress = 0xFFFF;
constexpr std::string_view kEquMark = "EQU";
constexpr std::string_view kSymbolFileExtension = ".sym";
// An EQU below this is taken for a constant (a register index, a character code), not for an
// address.
constexpr std::uint16_t kFirstEquateAddress = 0x100;

std::string_view trimmed(std::string_view text) {
    const auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One line without its comment: nothing for a blank line, false for a bad one.
bool parse_symbol_line(std::string_view line, Symbols& symbols) {
    if (const auto comment = line.find(';'); comment != std::string_view::npos) {
        line = line.substr(0, comment);
    }
    line = trimmed(line);
    if (line.empty()) return true;
    const auto gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos) return false;
    const std::string_view name = line.substr(0, gap);
    std::string_view digits = trimmed(line.substr(gap));
    SymbolKind kind = SymbolKind::kLabel;
    if (const auto kind_gap = digits.find_first_of(" \t"); kind_gap != std::string_view::npos) {
        if (trimmed(digits.substr(kind_gap)) != kEquMark) return false;
        digits = digits.substr(0, kind_gap);
        kind = SymbolKind::kEqu;
    }
    const auto value = parse_digits(digits, kHexadecimal, kMaxAddress);
    if (!is_identifier(name) || !value) return false;
    add_symbol(symbols, name, static_cast<std::uint16_t>(*value), kind);
    return true;
}

std::optional<std::uint32_t> parse_plain(std::string_view text, PlainDigits plain) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return parse_digits(text.substr(2), kHexadecimal, kMaxAddress);
    }
    if (!text.empty() && text[0] == '&')
        return parse_digits(text.substr(1), kHexadecimal, kMaxAddress);
    return parse_digits(text, plain == PlainDigits::kAsHexadecimal ? kHexadecimal : kDecimal,
                        kMaxAddress);
}

// A symbol or a number.
std::optional<std::uint32_t> parse_term(const Symbols& symbols, std::string_view text,
                                        PlainDigits plain) {
    if (const auto value = find_symbol(symbols, text)) return *value;
    return parse_plain(text, plain);
}

using NamesByValue = std::multimap<std::uint16_t, std::string>;

void remove_name(NamesByValue& names, std::uint16_t value, std::string_view name) {
    const auto [first, last] = names.equal_range(value);
    for (auto it = first; it != last; ++it) {
        if (it->second == name) {
            names.erase(it);
            return;
        }
    }
}

void insert_in_name_order(NamesByValue& names, std::uint16_t value, std::string_view name) {
    auto [position, last] = names.equal_range(value);
    while (position != last && std::string_view(position->second) < name)
        ++position;
    names.emplace_hint(position, value, std::string(name));
}

bool is_symbol_file(const std::filesystem::directory_entry& entry) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::error_code error;
    return extension == kSymbolFileExtension && entry.is_regular_file(error);
}

}  // namespace

void add_symbol(Symbols& symbols, std::string_view name, std::uint16_t value, SymbolKind kind) {
    if (const auto found = symbols.by_name.find(name); found != symbols.by_name.end()) {
        remove_name(symbols.labels, found->second, name);
        remove_name(symbols.equates, found->second, name);
        found->second = value;
    } else {
        symbols.by_name.emplace(std::string(name), value);
    }
    insert_in_name_order(kind == SymbolKind::kLabel ? symbols.labels : symbols.equates, value,
                         name);
}

void merge_symbols(Symbols& symbols, const Symbols& other) {
    for (const auto& [value, name] : other.labels)
        add_symbol(symbols, name, value, SymbolKind::kLabel);
    for (const auto& [value, name] : other.equates)
        add_symbol(symbols, name, value, SymbolKind::kEqu);
}

bool has_symbols(const Symbols& symbols) {
    return !symbols.by_name.empty();
}

std::string describe_symbol_file_status(const std::filesystem::path& path,
                                        SymbolFileStatus status) {
    std::string text = path.string();
    switch (status.error) {
        case SymbolFileError::kNone:
            break;
        case SymbolFileError::kCannotRead:
            text += ": ";
            text += status.error_number == kNotRegularFile ? "not a regular file"
                                                           : std::strerror(status.error_number);
            break;
        case SymbolFileError::kBadLine:
            text += ':';
            text += std::to_string(status.line);
            text += ": not a symbol line (NAME HHHH)";
            break;
        case SymbolFileError::kTooLarge:
            text += ": too large for a symbol file";
            break;
    }
    return text;
}

SymbolFileStatus parse_symbol_text(std::string_view text, Symbols& symbols) {
    Symbols read;
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!parse_symbol_line(line, read)) return {SymbolFileError::kBadLine, line_number, 0};
    }
    merge_symbols(symbols, read);
    return {};
}

SymbolFileStatus read_symbol_file(const std::filesystem::path& path, Symbols& symbols) {
    const ReadFile file = read_regular_file(path.string(), kMaxSymbolFileBytes + 1);
    if (file.error_number != 0) return {SymbolFileError::kCannotRead, 0, file.error_number};
    if (file.bytes.size() > kMaxSymbolFileBytes) return {SymbolFileError::kTooLarge, 0, 0};
    return parse_symbol_text(file.bytes, symbols);
}

SymbolFolderStatus read_symbol_folder(const std::filesystem::path& folder, Symbols& symbols) {
    SymbolFolderStatus status;
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (is_symbol_file(*it)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        const SymbolFileStatus read = read_symbol_file(file, symbols);
        if (read) {
            ++status.loaded;
        } else {
            status.failures.push_back(describe_symbol_file_status(file, read));
        }
    }
    return status;
}

bool is_equate(const Symbols& symbols, std::string_view name, std::uint16_t value) {
    const auto [first, last] = symbols.equates.equal_range(value);
    for (auto it = first; it != last; ++it) {
        if (it->second == name) return true;
    }
    return false;
}

std::string symbol_file_text(const Symbols& symbols) {
    std::string text = "; symbols: NAME HHHH (hexadecimal value)\n";
    for (const auto& [name, value] : symbols.by_name) {
        text += name;
        text += ' ';
        text += hex4(value);
        if (is_equate(symbols, name, value)) {
            text += ' ';
            text += kEquMark;
        }
        text += '\n';
    }
    return text;
}

WriteStatus write_symbol_file(const std::filesystem::path& path, const Symbols& symbols) {
    return write_file_atomically(path.string(), symbol_file_text(symbols));
}

std::optional<std::uint16_t> find_symbol(const Symbols& symbols, std::string_view name) {
    const auto found = symbols.by_name.find(name);
    if (found == symbols.by_name.end()) return std::nullopt;
    return found->second;
}

std::string describe_address(const Symbols& symbols, std::uint16_t address) {
    const auto above = symbols.labels.upper_bound(address);
    const bool labelled = above != symbols.labels.begin() && std::prev(above)->first == address;
    if (!labelled && address >= kFirstEquateAddress) {
        if (const auto equate = symbols.equates.find(address); equate != symbols.equates.end()) {
            return equate->second;
        }
    }
    if (above == symbols.labels.begin()) return {};
    const std::uint16_t value = std::prev(above)->first;
    const auto offset = static_cast<std::uint16_t>(address - value);
    if (offset > kMaxSymbolOffset) return {};
    std::string text = symbols.labels.find(value)->second;
    if (offset == 0) return text;
    text += '+';
    text += std::to_string(offset);
    return text;
}

std::optional<std::uint16_t> parse_address(const Symbols& symbols, std::string_view text,
                                           PlainDigits plain) {
    text = trimmed(text);
    if (const auto whole = parse_term(symbols, text, plain)) {
        return static_cast<std::uint16_t>(*whole);
    }
    const auto sign = text.find_last_of("+-");
    if (sign == std::string_view::npos || sign == 0) return std::nullopt;
    const auto base = parse_term(symbols, trimmed(text.substr(0, sign)), plain);
    const auto offset = parse_plain(trimmed(text.substr(sign + 1)), plain);
    if (!base || !offset) return std::nullopt;
    const std::int64_t value =
        text[sign] == '+' ? std::int64_t{*base} + *offset : std::int64_t{*base} - *offset;
    if (value < 0 || value > kMaxAddress) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace tolvan
