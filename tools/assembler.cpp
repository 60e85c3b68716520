#include "tools/assembler.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <numeric>
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
// Errors kept of one assembly: a source that repeats an error on every line of a large INCLUDE
// tree would otherwise fill memory with them; nobody reads past the first screens.
constexpr std::size_t kMaxErrors = 1000;
constexpr std::size_t kDataBytesPerLine = 3;
constexpr std::size_t kBytesColumnWidth = 18;
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
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kQuestionMark = "?";
constexpr std::size_t kPtjLength = 4;
constexpr int kByteDigits = 2;

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

// What reading has used of the bounds, and whether it had to stop.
struct ReadBudget {
    std::size_t bytes = 0;
    std::size_t lines = 0;
    bool exhausted = false;
};

struct Assembly {
    const IncludeLoader& loader;
    const BaseImage& base;
    std::vector<Statement> statements;
    std::vector<PlacedStatement> placed;
    std::map<std::string, SymbolDefinition> symbols;
    std::map<std::string, std::int64_t> equ_values;
    // EQUs that could not be worked out, with the reason; forgotten after layout, where labels
    // defined further on are not known yet.
    std::map<std::string, std::string> equ_failures;
    std::vector<NumberedError> errors;
    std::size_t errors_not_kept = 0;
    ReadBudget budget;
    std::vector<std::string> include_chain;  // the files being read, outermost first
    std::map<std::string, LoadedFile> loaded;
    std::set<std::string> files_listed;  // those of result.files, to find them fast
    AssemblyResult result;
};

void add_error(Assembly& assembly, std::size_t order, const SourceLocation& location,
               std::string message) {
    if (assembly.errors.size() == kMaxErrors) {
        ++assembly.errors_not_kept;
        return;
    }
    assembly.errors.push_back({order, {location.file, location.line, std::move(message)}});
}

// False, and the error counted, once the errors kept are full: where errors can come by the
// thousand, their messages are then not even built.
bool keeps_error(Assembly& assembly) {
    if (assembly.errors.size() < kMaxErrors) return true;
    ++assembly.errors_not_kept;
    return false;
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

std::string normal_path(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

// A file included again is read from memory; every inclusion counts against the bounds.
const LoadedFile& load(Assembly& assembly, const std::string& path) {
    const auto found = assembly.loaded.find(path);
    if (found != assembly.loaded.end()) return found->second;
    return assembly.loaded.emplace(path, assembly.loader(path)).first->second;
}

bool within_byte_budget(Assembly& assembly, std::size_t size, const SourceLocation& location) {
    assembly.budget.bytes += size;
    if (assembly.budget.bytes <= kMaxSourceBytes) return true;
    assembly.budget.exhausted = true;
    add_error(assembly, assembly.statements.size(), location,
              "the source is larger than " + std::to_string(kMaxSourceBytes) +
                  " bytes (all INCLUDEs together); assembly stopped");
    return false;
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
    const std::string path = normal_path(include_path(statement.location.file, *name));
    const auto& chain = assembly.include_chain;
    if (std::find(chain.begin(), chain.end(), path) != chain.end()) {
        add_error(assembly, order, statement.location, "INCLUDE of '" + path + "' within itself");
        return;
    }
    if (depth >= kMaxIncludeDepth) {
        add_error(assembly, order, statement.location, "INCLUDE nested too deeply");
        return;
    }
    const LoadedFile& file = load(assembly, path);
    if (!file.text) {
        add_error(assembly, order, statement.location,
                  "cannot read include file '" + path + "'" +
                      (file.error.empty() ? "" : ": " + file.error));
        return;
    }
    if (!within_byte_budget(assembly, file.text->size(), statement.location)) return;
    if (assembly.files_listed.insert(path).second) assembly.result.files.push_back(path);
    read_source(assembly, *file.text, path, depth + 1);
}

bool within_line_budget(Assembly& assembly, const SourceLocation& location) {
    if (++assembly.budget.lines <= kMaxSourceLines) return true;
    assembly.budget.exhausted = true;
    add_error(assembly, assembly.statements.size(), location,
              "the source has more than " + std::to_string(kMaxSourceLines) +
                  " lines (all INCLUDEs together); assembly stopped");
    return false;
}

void read_source(Assembly& assembly, std::string_view text, const std::string& name, int depth) {
    assembly.include_chain.push_back(normal_path(name));
    // Editors that save UTF-8 may start the file with a byte-order mark; it is no text.
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    int line_number = 0;
    while ((!text.empty() || line_number == 0) && !assembly.budget.exhausted) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const SourceLocation location{name, ++line_number};
        if (!within_line_budget(assembly, location)) break;
        ParsedLine parsed = parse_line(line, location);
        if (!parsed.error.empty()) {
            add_error(assembly, assembly.statements.size(), location, parsed.error);
        } else if (parsed.statement && parsed.statement->operation == kInclude) {
            include_file(assembly, *parsed.statement, depth);
        } else if (parsed.statement) {
            assembly.statements.push_back(std::move(*parsed.statement));
        }
    }
    assembly.include_chain.pop_back();
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

// A symbol's value where it is already known. An EQU not yet worked out is added to `pending`
// instead (and stands for 0), so that no EQU is worked out inside another one's evaluation.
Evaluation known_symbol(const Assembly& assembly, std::string_view name,
                        std::vector<std::string>& pending) {
    const std::string key(name);
    const auto found = assembly.symbols.find(key);
    if (found == assembly.symbols.end()) {
        if (const auto address = address_label_value(name)) return {address, ""};
        return {std::nullopt, "undefined label " + quoted_excerpt(key)};
    }
    if (!found->second.expression) return {found->second.value, ""};
    if (const auto value = assembly.equ_values.find(key); value != assembly.equ_values.end()) {
        return {value->second, ""};
    }
    if (const auto failure = assembly.equ_failures.find(key);
        failure != assembly.equ_failures.end()) {
        return {std::nullopt, failure->second};
    }
    pending.push_back(key);
    return {0, ""};
}

std::string refers_to_itself(const std::string& name) {
    return "EQU " + quoted_excerpt(name) + " refers to itself";
}

bool worked_out(const Assembly& assembly, const std::string& name) {
    return assembly.equ_values.contains(name) || assembly.equ_failures.contains(name);
}

// Every EQU of the path fails: those on the loop refer to themselves, those that lead to it
// refer to where the loop was entered.
void fail_loop(Assembly& assembly, const std::vector<std::string>& path, const std::string& entry) {
    bool on_loop = false;
    for (const std::string& name : path) {
        on_loop = on_loop || name == entry;
        assembly.equ_failures[name] = refers_to_itself(on_loop ? name : entry);
    }
}

// An EQU on the way to being worked out: `opened` once the EQUs it needs have been found.
struct EquFrame {
    std::string name;
    bool opened = false;
};

// Works an EQU out depth first with a stack of its own instead of recursion, so that a chain
// of any length (limited only by the number of lines) needs no deeper stack than a single EQU.
// Each EQU's expression is evaluated twice at most: once to find all the EQUs it needs, once
// they are known; evaluating it again for each of them was quadratic in its length.
Evaluation resolve_equ(Assembly& assembly, const std::string& root) {
    std::vector<EquFrame> stack{{root, false}};
    std::vector<std::string> path;  // the opened EQUs, outermost first
    std::set<std::string> on_path;
    while (!stack.empty()) {
        EquFrame& frame = stack.back();
        if (!frame.opened && worked_out(assembly, frame.name)) {
            stack.pop_back();
            continue;
        }
        const SymbolDefinition& definition = assembly.symbols.at(frame.name);
        std::vector<std::string> pending;
        const Evaluation value = evaluate_expression(
            *definition.expression, definition.address,
            [&](std::string_view symbol) { return known_symbol(assembly, symbol, pending); });
        if (!pending.empty() && !worked_out(assembly, frame.name)) {
            if (!frame.opened) {
                frame.opened = true;
                path.push_back(frame.name);
                on_path.insert(frame.name);
            }
            for (const std::string& needed : pending) {
                if (on_path.contains(needed)) {
                    fail_loop(assembly, path, needed);
                    break;
                }
                stack.push_back({needed, false});  // `frame` is no longer valid
            }
            continue;
        }
        if (!worked_out(assembly, frame.name)) {
            if (value.value) {
                assembly.equ_values[frame.name] = *value.value;
            } else {
                assembly.equ_failures[frame.name] = value.error;
            }
        }
        if (frame.opened) {
            on_path.erase(frame.name);
            path.pop_back();
        }
        stack.pop_back();
    }
    std::vector<std::string> none;
    return known_symbol(assembly, root, none);
}

Evaluation resolve_symbol(Assembly& assembly, std::string_view name) {
    std::vector<std::string> pending;
    const Evaluation known = known_symbol(assembly, name, pending);
    return pending.empty() ? known : resolve_equ(assembly, pending.front());
}

Evaluation evaluate_in(Assembly& assembly, std::string_view expression, std::int64_t here) {
    return evaluate_expression(expression, here, [&assembly](std::string_view name) {
        return resolve_symbol(assembly, name);
    });
}

void define_symbol(Assembly& assembly, std::size_t order, const Statement& statement,
                   SymbolDefinition definition) {
    const auto [existing, inserted] = assembly.symbols.try_emplace(statement.label, definition);
    if (!inserted) {
        add_error(assembly, order, statement.location,
                  "duplicate label " + quoted_excerpt(statement.label) + " (first defined at " +
                      where(existing->second.location) + ")");
    }
}

// ---- Layout: addresses and sizes of every statement, and the ORG ranges ----

struct Section {
    std::uint32_t start = 0;
    SourceLocation location;
};

// An instruction that runs past 0xFFFF has its last bytes at 0x0000 on, where the processor
// fetches them: the range then goes on from 0x0000.
void close_section(Assembly& assembly, const Section& section, std::uint32_t end) {
    if (end <= section.start) return;
    const auto& location = section.location;
    assembly.result.ranges.push_back({static_cast<std::uint16_t>(section.start),
                                      std::min(end, kAddressSpaceSize), location.file,
                                      location.line});
    if (end > kAddressSpaceSize) {
        assembly.result.ranges.push_back(
            {0, end - kAddressSpaceSize, location.file, location.line});
    }
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

// The size of an instruction or data statement; false when it cannot be encoded at all. A
// line that names an undefined opcode keeps the opcode's one byte, so that the addresses after
// it stay right even when it is in error.
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
        const auto cells = value_now(assembly, index, address,
                                     std::int64_t{kAddressSpaceSize} - std::int64_t{address});
        size = static_cast<std::uint32_t>(cells.value_or(0));
        return cells.has_value();
    }
    if (const auto opcode = find_opcode(operation)) {
        size = static_cast<std::uint32_t>(instruction_length(*opcode));
        return true;
    }
    if (operation == kQuestionMark && statement.operands.empty()) {
        size = 1;
        return true;
    }
    if (const auto opcode = find_marked_undefined(operation, statement.operands)) {
        size = static_cast<std::uint32_t>(instruction_length(*opcode));
        return true;
    }
    if (names_undefined_opcode(operation)) {
        size = 1;
        add_error(assembly, index, statement.location,
                  quoted_excerpt(operation) +
                      " marks an undefined opcode but not as the unassembler writes it (use DB)");
        return false;
    }
    add_error(assembly, index, statement.location, "unknown mnemonic " + quoted_excerpt(operation));
    return false;
}

bool is_instruction(const Statement& statement) {
    return statement.operation != kDefineBytes && statement.operation != kDefineWords &&
           statement.operation != kReserve;
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
    // The last instruction may run past 0xFFFF (its bytes wrap as the processor fetches them),
    // but nothing may start beyond it.
    const bool wraps = placed.address < kAddressSpaceSize && is_instruction(statement);
    if (placed.address + placed.size > kAddressSpaceSize && !wraps) {
        add_error(assembly, index, statement.location,
                  "code runs past the end of the address space");
        placed.size = placed.address < kAddressSpaceSize ? kAddressSpaceSize - placed.address : 0;
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

// In address order, each range that begins before the furthest end so far overlaps the range
// that reaches there: one error for each such range, found after sorting. Comparing every pair
// of ranges took hours on sources of thousands of ORGs.
void check_overlaps(Assembly& assembly) {
    const auto& ranges = assembly.result.ranges;
    std::vector<std::size_t> by_start(ranges.size());
    std::iota(by_start.begin(), by_start.end(), std::size_t{0});
    std::stable_sort(by_start.begin(), by_start.end(), [&ranges](std::size_t a, std::size_t b) {
        return ranges[a].start < ranges[b].start;
    });
    std::optional<std::size_t> furthest;
    for (const std::size_t index : by_start) {
        if (furthest && ranges[*furthest].end > ranges[index].start) {
            // Filed with the last statement so that it follows the errors of the lines; the
            // range later in the source is the one that overlaps.
            const OrgRange& a = ranges[std::min(index, *furthest)];
            const OrgRange& b = ranges[std::max(index, *furthest)];
            if (keeps_error(assembly)) {
                add_error(assembly, assembly.statements.size(), {b.file, b.line},
                          "overlapping ORG ranges: " + address_text(b.start) + "-" +
                              address_text(b.end - 1) + " overlaps " + address_text(a.start) + "-" +
                              address_text(a.end - 1) + " (" + where({a.file, a.line}) + ")");
            }
        }
        if (!furthest || ranges[index].end > ranges[*furthest].end) furthest = index;
    }
}

// ---- Encoding: the bytes of every statement ----

void store(Assembly& assembly, std::size_t index, const Encoding& encoding, ListingKind kind) {
    const PlacedStatement& placed = assembly.placed[index];
    const auto address = static_cast<std::uint16_t>(placed.address);
    for (std::size_t i = 0; i < encoding.bytes.size() && i < placed.size; ++i) {
        assembly.result.bytes[static_cast<std::uint16_t>(address + i)] = encoding.bytes[i];
    }
    assembly.result.listing.push_back(
        {address, encoding.bytes, kind, 0, assembly.statements[index].location});
}

std::string base_missing(const Statement& statement) {
    if (statement.operation == kQuestionMark) {
        return "'?' does not say which undefined opcode it stands for: assemble over the memory "
               "image with --base, or write the byte with DB";
    }
    return "PTJ with its entry count only does not give the return address: assemble over the "
           "memory image with --base, or give the address as second operand";
}

// The last `count` bytes of the statement come from the base image.
void take_from_base(Assembly& assembly, std::size_t index, std::size_t count, Encoding& encoding) {
    const Statement& statement = assembly.statements[index];
    const std::size_t first = encoding.bytes.size() - count;
    for (std::size_t i = first; i < encoding.bytes.size(); ++i) {
        const auto address = static_cast<std::uint16_t>(assembly.placed[index].address + i);
        const auto byte = assembly.base.at(address);
        if (!byte) {
            encoding.errors.push_back(assembly.base.empty()
                                          ? base_missing(statement)
                                          : "the base image has no byte at " +
                                                address_text(address) + " for this line");
            return;
        }
        encoding.bytes[i] = *byte;
    }
}

// A "?" line: the base image's byte, which must be an opcode that shows as "?".
Encoding encode_question_mark(Assembly& assembly, std::size_t index) {
    Encoding encoding;
    encoding.bytes.push_back(0);
    take_from_base(assembly, index, 1, encoding);
    if (encoding.errors.empty() && !shows_as_question_mark(encoding.bytes[0])) {
        encoding.errors.push_back(
            "the base image holds " + hex_value(encoding.bytes[0], kByteDigits) + " at " +
            address_text(assembly.placed[index].address) + ", which does not show as '?'");
    }
    return encoding;
}

Encoding encode_instruction_at(Assembly& assembly, std::size_t index, const Evaluate& evaluate) {
    const Statement& statement = assembly.statements[index];
    const auto address = static_cast<std::uint16_t>(assembly.placed[index].address);
    if (statement.operation == kQuestionMark) return encode_question_mark(assembly, index);
    if (const auto marked = find_marked_undefined(statement.operation, statement.operands)) {
        return encode_instruction(*marked, {}, address, evaluate);
    }
    Encoding encoding = encode_instruction(*find_opcode(statement.operation), statement.operands,
                                           address, evaluate);
    if (encoding.from_base > 0) take_from_base(assembly, index, encoding.from_base, encoding);
    return encoding;
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
    if (statement.operation == kReserve) {
        assembly.result.listing.push_back({static_cast<std::uint16_t>(placed.address),
                                           {},
                                           ListingKind::kReserved,
                                           placed.size,
                                           statement.location});
        return;
    }
    const bool instruction = is_instruction(statement);
    const Encoding encoding = instruction
                                  ? encode_instruction_at(assembly, index, evaluate)
                                  : encode_data(statement.operation, statement.operands, evaluate);
    for (const std::string& error : encoding.errors)
        add_error(assembly, index, statement.location, error);
    store(assembly, index, encoding, instruction ? ListingKind::kInstruction : ListingKind::kData);
}

void collect_symbols(Assembly& assembly) {
    for (const auto& [name, definition] : assembly.symbols) {
        const Evaluation value = resolve_symbol(assembly, name);
        if (!value.value) continue;
        assembly.result.symbols[name] = *value.value;
        assembly.result.definitions[name] = definition.location;
        if (definition.expression) assembly.result.equates.insert(name);
    }
}

AssemblyResult finish(Assembly& assembly) {
    std::stable_sort(
        assembly.errors.begin(), assembly.errors.end(),
        [](const NumberedError& a, const NumberedError& b) { return a.order < b.order; });
    for (auto& numbered : assembly.errors)
        assembly.result.errors.push_back(std::move(numbered.error));
    assembly.result.error_count = assembly.errors.size() + assembly.errors_not_kept;
    if (assembly.errors_not_kept != 0) {
        const AssemblyError& last = assembly.result.errors.back();
        assembly.result.errors.push_back(
            {last.file, last.line,
             "and " + std::to_string(assembly.errors_not_kept) + " more errors, not listed"});
    }
    return std::move(assembly.result);
}

}  // namespace

AssemblyResult assemble_source(std::string_view text, std::string_view name,
                               const IncludeLoader& loader, const BaseImage& base) {
    Assembly assembly{loader, base, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    const std::string main_name(name);
    assembly.result.files.push_back(main_name);
    assembly.files_listed.insert(normal_path(main_name));
    if (within_byte_budget(assembly, text.size(), {main_name, 0})) {
        read_source(assembly, text, main_name, 0);
    }
    layout(assembly);
    assembly.equ_failures.clear();
    check_overlaps(assembly);
    for (std::size_t index = 0; index < assembly.statements.size(); ++index) {
        if (assembly.placed[index].encode) encode_statement(assembly, index);
    }
    collect_symbols(assembly);
    return finish(assembly);
}

Symbols assembly_symbols(const AssemblyResult& result) {
    Symbols symbols;
    for (const auto& [name, value] : result.symbols) {
        const SymbolKind kind =
            result.equates.contains(name) ? SymbolKind::kEqu : SymbolKind::kLabel;
        add_symbol(symbols, name, static_cast<std::uint16_t>(value), kind);
    }
    return symbols;
}

AssemblyResult assemble_file(const std::string& path, const BaseImage& base) {
    const IncludeLoader loader = [](const std::string& included) {
        return read_source_file(included, kMaxSourceBytes);
    };
    const LoadedFile file = read_source_file(path, kMaxSourceBytes);
    if (!file.text) {
        AssemblyResult result;
        result.errors.push_back({path, 0, "cannot read the source file: " + file.error});
        result.error_count = 1;
        return result;
    }
    return assemble_source(*file.text, path, loader, base);
}

std::string format_error(const AssemblyError& error) {
    if (error.line == 0) return error.file + ": " + error.message;
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

// The unassembler's listing has no bytes column for PTJ's four bytes; this one has.
std::string instruction_listing(const ListingItem& item) {
    const auto byte_at = [&item](std::size_t i) -> std::uint8_t {
        return i < item.bytes.size() ? item.bytes[i] : 0;
    };
    std::string prefix;
    if (item.bytes.size() == kPtjLength) {
        prefix = hex4(item.address) + ":";
        for (const std::uint8_t byte : item.bytes) {
            prefix += ' ';
            prefix += hex2(byte);
        }
        prefix += ' ';
    }
    return prefix + listing_line(item.address, byte_at(0), byte_at(1), byte_at(2));
}

std::string reserved_listing(const ListingItem& item) {
    std::string line = hex4(item.address) + ":";
    line.resize(kBytesColumnWidth, ' ');
    return line + " DS    " + prefixed_hex("&", item.reserved, kAddressDigits) + "\n";
}

std::string assembly_listing(const AssemblyResult& result) {
    std::string text;
    for (const ListingItem& item : result.listing) {
        switch (item.kind) {
            case ListingKind::kInstruction:
                text += instruction_listing(item);
                break;
            case ListingKind::kData:
                text += data_listing(item);
                break;
            case ListingKind::kReserved:
                text += reserved_listing(item);
                break;
        }
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
                                          std::uint16_t to, std::uint8_t fill,
                                          const BaseImage& base) {
    if (from > to) return {};
    std::vector<std::uint8_t> image(static_cast<std::size_t>(to - from) + 1, fill);
    for (std::uint32_t address = std::max<std::uint32_t>(from, base.start);
         address <= to && address < base.end(); ++address) {
        image[address - from] = base.bytes[address - base.start];
    }
    for (auto it = result.bytes.lower_bound(from); it != result.bytes.end() && it->first <= to;
         ++it) {
        image[it->first - from] = it->second;
    }
    return image;
}

}  // namespace tolvan
