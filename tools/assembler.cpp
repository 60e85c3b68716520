#include "tools/assembler.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "cpu/opcode_table.h"
#include "tools/asm_encoder.h"
#include "tools/asm_expression.h"
#include "tools/asm_source.h"
#include "tools/hex_text.h"
#include "tools/unassembler.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kAddressSpaceSize = 0x10000;
constexpr std::int64_t kLastAddress = 0xFFFF;
constexpr int kMaxIncludeDepth = 16;
constexpr std::size_t kDataBytesPerLine = 3;
// The unassembler writes references into its range as "L_" and four hexadecimal digits even
// where no line starts; such a name stands for its address unless a line defines it.
constexpr std::string_view kAddressLabelPrefix = "L_";
constexpr std::size_t kAddressLabelDigits = 4;
constexpr int kHexadecimal = 16;
constexpr int kAddressDigits = 4;

constexpr std::string_view kOrg = "ORG";
constexpr std::string_view kEqu = "EQU";
constexpr std::string_view kReserve = "DS";
constexpr std::string_view kInclude = "INCLUDE";

struct PlacedStatement {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    bool encode = true;
};

struct SymbolDefinition {
    std::int64_t value = 0;
    std::optional<std::string> expression;  // EQU: worked out when first needed
    std::uint32_t address = 0;              // "$" within that expression
    SourceLocation location;
};

struct NumberedError {
    std::size_t order = 0;  // the statement it belongs to, so that errors come in source order
    AssemblyError error;
};

struct Assembly {
    const IncludeLoader& loader;
    std::vector<Statement> statements;
    std::vector<PlacedStatement> placed;
    std::map<std::string, SymbolDefinition> symbols;
    std::map<std::string, std::int64_t> equ_values;
    std::set<std::string> resolving;
    std::vector<NumberedError> errors;
    AssemblyResult result;
};

void add_error(Assembly& assembly, std::size_t order, const SourceLocation& location,
               std::string message) {
    assembly.errors.push_back({order, {location.file, location.line, std::move(message)}});
}

std::string address_text(std::uint32_t address) {
    return prefixed_hex("&", address, kAddressDigits);
}

std::string where(const SourceLocation& location) {
    return location.file + ":" + std::to_string(location.line);
}

// ---- Reading: lines into statements, INCLUDE files in place ----

void read_source(Assembly& assembly, std::string_view text, const std::string& name, int depth);

std::string include_path(const std::string& including_file, const std::string& included) {
    const std::filesystem::path path(included);
    if (path.is_absolute()) return included;
    return (std::filesystem::path(including_file).parent_path() / path).string();
}

void include_file(Assembly& assembly, const Statement& statement, int depth) {
    const std::size_t order = assembly.statements.size();
    if (!statement.label.empty())
        assembly.statements.push_back({statement.location, statement.label, "", {}});
    std::string error;
    const auto name = statement.operands.size() == 1 && is_string_literal(statement.operands[0])
                          ? decode_string_literal(statement.operands[0], error)
                          : std::nullopt;
    if (!name) {
        add_error(assembly, order, statement.location, "INCLUDE needs one file name in quotes");
        return;
    }
    if (depth >= kMaxIncludeDepth) {
        add_error(assembly, order, statement.location,
                  "INCLUDE nested too deeply (does a file include itself?)");
        return;
    }
    const std::string path = include_path(statement.location.file, *name);
    const auto text = assembly.loader(path);
    if (!text) {
        add_error(assembly, order, statement.location, "cannot read include file '" + path + "'");
        return;
    }
    read_source(assembly, *text, path, depth + 1);
}

void read_source(Assembly& assembly, std::string_view text, const std::string& name, int depth) {
    int line_number = 0;
    while (!text.empty() || line_number == 0) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ParsedLine parsed = parse_line(line, {name, ++line_number});
        if (!parsed.error.empty()) {
            add_error(assembly, assembly.statements.size(), {name, line_number}, parsed.error);
        } else if (parsed.statement && parsed.statement->operation == kInclude) {
            include_file(assembly, *parsed.statement, depth);
        } else if (parsed.statement) {
            assembly.statements.push_back(std::move(*parsed.statement));
        }
    }
}

// ---- Symbols ----

std::optional<std::int64_t> address_label_value(std::string_view name) {
    if (name.size() != kAddressLabelPrefix.size() + kAddressLabelDigits ||
        name.substr(0, kAddressLabelPrefix.size()) != kAddressLabelPrefix) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kAddressLabelPrefix.size());
    std::uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, kHexadecimal);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

Evaluation resolve_symbol(Assembly& assembly, std::string_view name);

Evaluation evaluate_in(Assembly& assembly, std::string_view expression, std::int64_t here) {
    return evaluate_expression(expression, here, [&assembly](std::string_view name) {
        return resolve_symbol(assembly, name);
    });
}

Evaluation resolve_equ(Assembly& assembly, const std::string& name,
                       const SymbolDefinition& definition) {
    if (const auto cached = assembly.equ_values.find(name); cached != assembly.equ_values.end()) {
        return {cached->second, ""};
    }
    if (assembly.resolving.contains(name))
        return {std::nullopt, "EQU '" + name + "' refers to itself"};
    assembly.resolving.insert(name);
    Evaluation value = evaluate_in(assembly, *definition.expression, definition.address);
    assembly.resolving.erase(name);
    if (value.value) assembly.equ_values[name] = *value.value;
    return value;
}

Evaluation resolve_symbol(Assembly& assembly, std::string_view name) {
    const std::string key(name);
    const auto found = assembly.symbols.find(key);
    if (found == assembly.symbols.end()) {
        if (const auto address = address_label_value(name)) return {address, ""};
        return {std::nullopt, "undefined label '" + key + "'"};
    }
    if (found->second.expression) return resolve_equ(assembly, key, found->second);
    return {found->second.value, ""};
}

void define_symbol(Assembly& assembly, std::size_t order, const Statement& statement,
                   SymbolDefinition definition) {
    const auto [existing, inserted] = assembly.symbols.try_emplace(statement.label, definition);
    if (!inserted) {
        add_error(assembly, order, statement.location,
                  "duplicate label '" + statement.label + "' (first defined at " +
                      where(existing->second.location) + ")");
    }
}

// ---- Layout: addresses and sizes of every statement, and the ORG ranges ----

struct Section {
    std::uint32_t start = 0;
    SourceLocation location;
};

void close_section(Assembly& assembly, const Section& section, std::uint32_t end) {
    if (end <= section.start) return;
    assembly.result.ranges.push_back({static_cast<std::uint16_t>(section.start), end,
                                      section.location.file, section.location.line});
}

std::optional<std::int64_t> value_now(Assembly& assembly, std::size_t index, std::int64_t here,
                                      std::int64_t high) {
    const Statement& statement = assembly.statements[index];
    if (statement.operands.size() != 1) {
        add_error(assembly, index, statement.location, statement.operation + " takes one operand");
        return std::nullopt;
    }
    const Evaluation value = evaluate_in(assembly, statement.operands[0], here);
    if (!value.value) {
        add_error(assembly, index, statement.location, value.error);
        return std::nullopt;
    }
    if (*value.value < 0 || *value.value > high) {
        add_error(assembly, index, statement.location,
                  out_of_range_message(*value.value, 0, high, kAddressDigits));
        return std::nullopt;
    }
    return value.value;
}

// The size of an instruction or data statement; false when it cannot be encoded at all.
bool statement_size(Assembly& assembly, std::size_t index, std::uint32_t address,
                    std::uint32_t& size) {
    const Statement& statement = assembly.statements[index];
    const std::string& operation = statement.operation;
    size = 0;
    if (operation.empty()) return false;
    if (operation == kDefineBytes || operation == kDefineWords) {
        size = data_size(operation, statement.operands);
        return true;
    }
    if (operation == kReserve) {
        size = static_cast<std::uint32_t>(
            value_now(assembly, index, address, kAddressSpaceSize - address).value_or(0));
        return false;
    }
    if (const auto opcode = find_opcode(operation)) {
        size = static_cast<std::uint32_t>(instruction_length(*opcode));
        return true;
    }
    add_error(assembly, index, statement.location,
              names_undefined_opcode(operation)
                  ? "'" + operation + "' marks an undefined opcode and cannot be assembled (use DB)"
                  : "unknown mnemonic '" + operation + "'");
    return false;
}

// Where layout has got to: the next address and the ORG range it belongs to.
struct LayoutCursor {
    std::uint32_t address = 0;
    Section section;
};

// EQU defines its name with the expression, worked out when first needed.
PlacedStatement layout_equ(Assembly& assembly, std::size_t index, std::uint32_t address) {
    const Statement& statement = assembly.statements[index];
    if (statement.label.empty() || statement.operands.size() != 1) {
        add_error(assembly, index, statement.location, "EQU needs a name and one value");
        return {address, 0, false};
    }
    define_symbol(assembly, index, statement,
                  {0, statement.operands[0], address, statement.location});
    return {address, 0, true};
}

void layout_org(Assembly& assembly, std::size_t index, LayoutCursor& cursor) {
    const auto origin = value_now(assembly, index, cursor.address, kLastAddress);
    if (!origin) return;
    close_section(assembly, cursor.section, cursor.address);
    cursor.section = {static_cast<std::uint32_t>(*origin), assembly.statements[index].location};
    cursor.address = cursor.section.start;
}

PlacedStatement layout_statement(Assembly& assembly, std::size_t index, LayoutCursor& cursor) {
    const Statement& statement = assembly.statements[index];
    if (statement.operation == kEqu) return layout_equ(assembly, index, cursor.address);
    PlacedStatement placed{cursor.address, 0, false};
    if (statement.operation == kOrg) {
        layout_org(assembly, index, cursor);
        placed.address = cursor.address;
    } else {
        placed.encode = statement_size(assembly, index, cursor.address, placed.size);
    }
    // A label names the statement's own address; on an ORG line, the new origin.
    if (!statement.label.empty()) {
        define_symbol(assembly, index, statement,
                      {placed.address, std::nullopt, placed.address, statement.location});
    }
    if (placed.address + placed.size > kAddressSpaceSize) {
        add_error(assembly, index, statement.location,
                  "code runs past the end of the address space");
        placed.size = kAddressSpaceSize - placed.address;
        placed.encode = false;
    }
    return placed;
}

void layout(Assembly& assembly) {
    LayoutCursor cursor;
    if (!assembly.statements.empty())
        cursor.section.location = assembly.statements.front().location;
    for (std::size_t index = 0; index < assembly.statements.size(); ++index) {
        const PlacedStatement placed = layout_statement(assembly, index, cursor);
        assembly.placed.push_back(placed);
        cursor.address += placed.size;
    }
    close_section(assembly, cursor.section, cursor.address);
}

void check_overlaps(Assembly& assembly) {
    const auto& ranges = assembly.result.ranges;
    for (std::size_t later = 1; later < ranges.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            const OrgRange& a = ranges[earlier];
            const OrgRange& b = ranges[later];
            if (b.start >= a.end || a.start >= b.end) continue;
            // Filed with the last statement so that it follows the errors of the lines.
            add_error(assembly, assembly.statements.size(), {b.file, b.line},
                      "overlapping ORG ranges: " + address_text(b.start) + "-" +
                          address_text(b.end - 1) + " overlaps " + address_text(a.start) + "-" +
                          address_text(a.end - 1) + " (" + where({a.file, a.line}) + ")");
        }
    }
}

// ---- Encoding: the bytes of every statement ----

void store(Assembly& assembly, const PlacedStatement& placed, const Encoding& encoding,
           bool instruction) {
    const auto address = static_cast<std::uint16_t>(placed.address);
    for (std::size_t i = 0; i < encoding.bytes.size() && i < placed.size; ++i) {
        assembly.result.bytes[static_cast<std::uint16_t>(address + i)] = encoding.bytes[i];
    }
    assembly.result.listing.push_back({address, encoding.bytes, instruction});
}

void encode_statement(Assembly& assembly, std::size_t index) {
    const Statement& statement = assembly.statements[index];
    const PlacedStatement& placed = assembly.placed[index];
    const Evaluate evaluate = [&assembly, &placed](std::string_view expression) {
        return evaluate_in(assembly, expression, placed.address);
    };
    if (statement.operation == kEqu) {
        const Evaluation value = resolve_symbol(assembly, statement.label);
        if (!value.value) add_error(assembly, index, statement.location, value.error);
        return;
    }
    const bool instruction =
        statement.operation != kDefineBytes && statement.operation != kDefineWords;
    const Encoding encoding =
        instruction ? encode_instruction(*find_opcode(statement.operation), statement.operands,
                                         static_cast<std::uint16_t>(placed.address), evaluate)
                    : encode_data(statement.operation, statement.operands, evaluate);
    for (const std::string& error : encoding.errors)
        add_error(assembly, index, statement.location, error);
    store(assembly, placed, encoding, instruction);
}

void collect_symbols(Assembly& assembly) {
    for (const auto& [name, definition] : assembly.symbols) {
        const Evaluation value = resolve_symbol(assembly, name);
        if (value.value) assembly.result.symbols[name] = *value.value;
    }
}

AssemblyResult finish(Assembly& assembly) {
    std::stable_sort(
        assembly.errors.begin(), assembly.errors.end(),
        [](const NumberedError& a, const NumberedError& b) { return a.order < b.order; });
    for (auto& numbered : assembly.errors)
        assembly.result.errors.push_back(std::move(numbered.error));
    return std::move(assembly.result);
}

}  // namespace

AssemblyResult assemble_source(std::string_view text, std::string_view name,
                               const IncludeLoader& loader) {
    Assembly assembly{loader, {}, {}, {}, {}, {}, {}, {}};
    read_source(assembly, text, std::string(name), 0);
    layout(assembly);
    check_overlaps(assembly);
    for (std::size_t index = 0; index < assembly.statements.size(); ++index) {
        if (assembly.placed[index].encode) encode_statement(assembly, index);
    }
    collect_symbols(assembly);
    return finish(assembly);
}

std::optional<std::string> read_text_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return std::nullopt;
    return text;
}

AssemblyResult assemble_file(const std::string& path) {
    const IncludeLoader loader = read_text_file;
    const auto text = read_text_file(path);
    if (!text) {
        AssemblyResult result;
        result.errors.push_back({path, 0, "cannot read the source file"});
        return result;
    }
    return assemble_source(*text, path, loader);
}

std::string format_error(const AssemblyError& error) {
    return error.file + ":" + std::to_string(error.line) + ": " + error.message;
}

// Data shows like instructions of up to three bytes, with a DB of those bytes as its text.
std::string data_listing(const ListingItem& item) {
    std::string text;
    for (std::size_t start = 0; start < item.bytes.size(); start += kDataBytesPerLine) {
        const std::size_t count = std::min(kDataBytesPerLine, item.bytes.size() - start);
        const auto byte_at = [&](std::size_t i) -> std::uint8_t {
            return i < count ? item.bytes[start + i] : 0;
        };
        std::string operands;
        for (std::size_t i = 0; i < count; ++i)
            operands += (i == 0 ? "&" : ",&") + hex2(byte_at(i));
        text += bytes_column(static_cast<std::uint16_t>(item.address + start),
                             static_cast<int>(count), byte_at(0), byte_at(1), byte_at(2)) +
                " DB    " + operands + "\n";
    }
    return text;
}

std::string assembly_listing(const AssemblyResult& result) {
    std::string text;
    for (const ListingItem& item : result.listing) {
        if (!item.instruction) {
            text += data_listing(item);
            continue;
        }
        const auto byte_at = [&item](std::size_t i) -> std::uint8_t {
            return i < item.bytes.size() ? item.bytes[i] : 0;
        };
        text += listing_line(item.address, byte_at(0), byte_at(1), byte_at(2));
    }
    return text;
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> assembled_extent(
    const AssemblyResult& result) {
    if (result.ranges.empty()) return std::nullopt;
    std::uint32_t low = kAddressSpaceSize;
    std::uint32_t high = 0;
    for (const OrgRange& range : result.ranges) {
        low = std::min<std::uint32_t>(low, range.start);
        high = std::max(high, range.end - 1);
    }
    return std::pair{static_cast<std::uint16_t>(low), static_cast<std::uint16_t>(high)};
}

std::vector<std::uint8_t> assembled_image(const AssemblyResult& result, std::uint16_t from,
                                          std::uint16_t to, std::uint8_t fill) {
    if (from > to) return {};
    std::vector<std::uint8_t> image(static_cast<std::size_t>(to - from) + 1, fill);
    for (auto it = result.bytes.lower_bound(from); it != result.bytes.end() && it->first <= to;
         ++it) {
        image[it->first - from] = it->second;
    }
    return image;
}

}  // namespace tolvan
