#include "machine/dap_inspect.h"

#include <vector>

#include "base/base64.h"
#include "machine/dap_arguments.h"
#include "machine/debugger.h"
#include "machine/inputs.h"
#include "machine/register_fields.h"
#include "tools/hex_text.h"
#include "tools/labelled_instruction.h"

namespace tolvan {

namespace {

using nlohmann::json;

constexpr std::int64_t kAddressCount = 0x10000;
// An instruction is at most this long, so that a run of them started this far back has found
// its alignment by the time it reaches the address asked for.
constexpr std::int64_t kLongestInstruction = 3;
// Disassembly and memory requests beyond this are a client's mistake, not a view.
constexpr std::int64_t kMaxInstructions = 4096;

struct Scope {
    VariableScope scope;
    const char* name;
    const char* hint;
    FieldGroup group;
};

constexpr Scope kScopes[] = {
    {VariableScope::kRegisters, "Registers", "registers", FieldGroup::kRegister},
    {VariableScope::kFlags, "Flags", "registers", FieldGroup::kFlag},
    {VariableScope::kTimers, "Timers", "registers", FieldGroup::kTimer},
    {VariableScope::kPorts, "Ports", "registers", FieldGroup::kPort},
};

std::string field_text(const RegisterField& field, std::uint32_t value) {
    const std::string digits = format_field_value(field.format, value);
    if (field.format == FieldFormat::kHex2 || field.format == FieldFormat::kHex4) {
        std::string text = "0x";
        return text += digits;
    }
    return digits;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Hexadecimal as it is shown ("0x05"), or as the debugger's fields take it ("05", "&05").
std::string_view without_hex_prefix(std::string_view text) {
    text = trimmed(text);
    if (text.starts_with("0x") || text.starts_with("0X")) return text.substr(2);
    if (text.starts_with("&")) return text.substr(1);
    return text;
}

std::optional<std::uint32_t> typed_value(const RegisterField& field, std::string_view text) {
    if (field.format == FieldFormat::kHex2 || field.format == FieldFormat::kHex4) {
        return parse_field_value(field.format, without_hex_prefix(text));
    }
    return parse_field_value(field.format, trimmed(text));
}

json variable(const std::string& name, const std::string& value) {
    return {{"name", name}, {"value", value}, {"variablesReference", 0}};
}

json field_variable(const Emulator& emulator, const RegisterField& field) {
    const std::uint32_t value = field.read(emulator);
    json entry = variable(field.name, field_text(field, value));
    if (field.format == FieldFormat::kHex4) {
        entry["memoryReference"] = memory_reference(static_cast<std::uint16_t>(value));
    }
    return entry;
}

// "[2A]", the name of an internal RAM cell.
std::string cell_name(unsigned index) {
    std::string name = "[";
    name += hex2(index);
    return name += ']';
}

std::optional<unsigned> cell_index(std::string_view name) {
    if (name.size() != 4 || name.front() != '[' || name.back() != ']') return std::nullopt;
    const auto index = parse_field_value(FieldFormat::kHex2, name.substr(1, 2));
    if (!index || *index >= kInternalRamSize) return std::nullopt;
    return *index;
}

const Scope* scope_of(std::int64_t reference) {
    for (const Scope& scope : kScopes) {
        if (static_cast<std::int64_t>(scope.scope) == reference) return &scope;
    }
    return nullptr;
}

// An address as the debugger's fields take it, or a 16-bit register's value.
std::optional<std::uint16_t> address_of(const Emulator& emulator, std::string_view text) {
    text = trimmed(text);
    if (const RegisterField* field = find_register_field(text);
        field && field->format == FieldFormat::kHex4) {
        return static_cast<std::uint16_t>(field->read(emulator));
    }
    return parse_address(emulator.symbols, text, PlainDigits::kAsHexadecimal);
}

std::string described(const Emulator& emulator, std::uint16_t address) {
    std::string text = prefixed_hex("0x", address, 4);
    const std::string label = describe_address(emulator.symbols, address);
    if (!label.empty()) text += " (" + label + ")";
    return text;
}

// Where instructions start, from `from` up to (not including) `to`, read as a run from `from`.
std::vector<std::uint16_t> instruction_starts(const Emulator& emulator, std::int64_t from,
                                              std::int64_t to) {
    std::vector<std::uint16_t> starts;
    for (std::int64_t address = from; address < to;) {
        const auto at = static_cast<std::uint16_t>(address);
        starts.push_back(at);
        address += labelled_instruction(emulator.bus.memory, emulator.symbols, at).length;
    }
    return starts;
}

json instruction_entry(const Emulator& emulator, std::int64_t address, bool symbols) {
    if (address < 0 || address >= kAddressCount) {
        // Outside the address space: a placeholder keeps the count the client asked for.
        return {{"address", prefixed_hex("0x", static_cast<std::uint32_t>(address & 0xFFFFF), 5)},
                {"instruction", "??"},
                {"presentationHint", "invalid"}};
    }
    const auto at = static_cast<std::uint16_t>(address);
    static const Symbols kNoSymbols;
    const LabelledInstruction instruction =
        labelled_instruction(emulator.bus.memory, symbols ? emulator.symbols : kNoSymbols, at);
    json entry = {{"address", memory_reference(at)},
                  {"instructionBytes", instruction.bytes},
                  {"instruction", instruction.text}};
    if (const std::string label = label_at(emulator.symbols, at); !label.empty()) {
        entry["symbol"] = label;
    }
    return entry;
}

}  // namespace

std::string memory_reference(std::uint16_t address) {
    return prefixed_hex("0x", address, 4);
}

std::optional<std::int64_t> referenced_address(const Emulator& emulator, const json& arguments) {
    const auto reference = string_argument(arguments, "memoryReference");
    if (!reference) return std::nullopt;
    const auto base = parse_address(emulator.symbols, *reference, PlainDigits::kAsDecimal);
    if (!base) return std::nullopt;
    const auto offset = integer_argument(arguments, "offset").value_or(0);
    if (offset < -kAddressCount || offset > kAddressCount) return std::nullopt;
    return std::int64_t{*base} + offset;
}

json scopes_body() {
    json scopes = json::array();
    for (const Scope& scope : kScopes) {
        scopes.push_back({{"name", scope.name},
                          {"presentationHint", scope.hint},
                          {"variablesReference", static_cast<int>(scope.scope)},
                          {"expensive", false}});
    }
    scopes.push_back({{"name", "Internal RAM"},
                      {"variablesReference", static_cast<int>(VariableScope::kInternalRam)},
                      {"indexedVariables", kInternalRamSize},
                      {"expensive", false}});
    return {{"scopes", scopes}};
}

DapResult variables_body(const Emulator& emulator, const json& arguments) {
    const std::int64_t reference = integer_argument(arguments, "variablesReference").value_or(0);
    json list = json::array();
    if (reference == static_cast<std::int64_t>(VariableScope::kInternalRam)) {
        const std::int64_t start = std::clamp<std::int64_t>(
            integer_argument(arguments, "start").value_or(0), 0, kInternalRamSize);
        const std::int64_t count = integer_argument(arguments, "count").value_or(kInternalRamSize);
        const std::int64_t end = std::clamp<std::int64_t>(start + std::max<std::int64_t>(count, 0),
                                                          start, kInternalRamSize);
        for (std::int64_t index = start; index < end; ++index) {
            const auto cell = static_cast<unsigned>(index);
            list.push_back(
                variable(cell_name(cell), prefixed_hex("0x", emulator.cpu.iram[cell] & 0xFFu, 2)));
        }
        return {{{"variables", list}}, {}};
    }
    const Scope* scope = scope_of(reference);
    if (!scope) return {nullptr, "no such variables reference"};
    for (const RegisterField& field : register_fields()) {
        if (field.group == scope->group) list.push_back(field_variable(emulator, field));
    }
    return {{{"variables", list}}, {}};
}

DapResult set_variable_body(Emulator& emulator, const json& arguments) {
    const std::int64_t reference = integer_argument(arguments, "variablesReference").value_or(0);
    const std::string name = string_argument(arguments, "name").value_or("");
    const std::string value = string_argument(arguments, "value").value_or("");
    if (reference == static_cast<std::int64_t>(VariableScope::kInternalRam)) {
        const auto index = cell_index(name);
        if (!index) return {nullptr, "no internal RAM cell " + name};
        const auto byte = parse_field_value(FieldFormat::kHex2, without_hex_prefix(value));
        if (!byte) return {nullptr, "not a byte in hexadecimal: " + value};
        poke_internal(emulator, static_cast<std::uint8_t>(*index),
                      static_cast<std::uint8_t>(*byte));
        return {{{"value", prefixed_hex("0x", *byte & 0xFFu, 2)}}, {}};
    }
    const Scope* scope = scope_of(reference);
    const RegisterField* field = find_register_field(name);
    if (!scope || !field || field->group != scope->group) return {nullptr, "no variable " + name};
    const auto typed = typed_value(*field, value);
    if (!typed) return {nullptr, "not a value for " + name + ": " + value};
    field->write(emulator, *typed);
    const json entry = field_variable(emulator, *field);
    json body = {{"value", entry["value"]}};
    if (entry.contains("memoryReference")) body["memoryReference"] = entry["memoryReference"];
    return {body, {}};
}

DapResult evaluate_body(const Emulator& emulator, const json& arguments) {
    const std::string expression = string_argument(arguments, "expression").value_or("");
    const std::string_view text = trimmed(expression);
    if (const RegisterField* field = find_register_field(text)) {
        json entry = field_variable(emulator, *field);
        json body = {{"result", entry["value"]}, {"variablesReference", 0}};
        if (entry.contains("memoryReference")) body["memoryReference"] = entry["memoryReference"];
        return {body, {}};
    }
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
        const auto address = address_of(emulator, text.substr(1, text.size() - 2));
        if (!address) return {nullptr, "not an address: " + std::string(text)};
        return {{{"result", prefixed_hex("0x", debug_read_byte(emulator, *address) & 0xFFu, 2)},
                 {"variablesReference", 0},
                 {"memoryReference", memory_reference(*address)}},
                {}};
    }
    if (const auto address = address_of(emulator, text)) {
        return {{{"result", described(emulator, *address)},
                 {"variablesReference", 0},
                 {"memoryReference", memory_reference(*address)}},
                {}};
    }
    return {nullptr, "not a register, label, address or [address]: " + expression};
}

DapResult read_memory_body(const Emulator& emulator, const json& arguments) {
    const auto address = referenced_address(emulator, arguments);
    if (!address) return {nullptr, "not a memory reference"};
    const std::int64_t count = integer_argument(arguments, "count").value_or(-1);
    if (count < 0 || count > kAddressCount) return {nullptr, "a count from 0 to 65536 is needed"};
    // Only the addresses 0-FFFF can be read; what the range asks beyond is unreadable.
    const std::int64_t first = std::clamp<std::int64_t>(*address, 0, kAddressCount);
    const std::int64_t last = std::clamp<std::int64_t>(*address + count, 0, kAddressCount);
    std::vector<std::uint8_t> bytes;
    for (std::int64_t at = first; at < last; ++at) {
        bytes.push_back(debug_read_byte(emulator, static_cast<std::uint16_t>(at)));
    }
    json body = {{"address", prefixed_hex("0x", static_cast<std::uint32_t>(first), 4)},
                 {"data", base64_encode(bytes)}};
    if (const std::int64_t unreadable = count - static_cast<std::int64_t>(bytes.size());
        unreadable > 0) {
        body["unreadableBytes"] = unreadable;
    }
    return {body, {}};
}

DapResult write_memory_body(Emulator& emulator, const json& arguments) {
    const auto address = referenced_address(emulator, arguments);
    if (!address || *address < 0 || *address >= kAddressCount) {
        return {nullptr, "not a memory reference"};
    }
    const auto data = base64_decode(string_argument(arguments, "data").value_or(""));
    if (!data) return {nullptr, "the data are not base64"};
    const bool partial = bool_argument(arguments, "allowPartial", false);
    const auto room = static_cast<std::size_t>(kAddressCount - *address);
    if (data->size() > room && !partial) {
        return {nullptr, "the data run past the end of the address space"};
    }
    const std::size_t count = std::min(room, data->size());
    for (std::size_t n = 0; n < count; ++n) {
        // Through the inputs, so that the history logs it and going back passes it again.
        poke(emulator, static_cast<std::uint16_t>(*address + std::int64_t(n)), (*data)[n]);
    }
    return {{{"bytesWritten", count}}, {}};
}

DapResult disassemble_body(const Emulator& emulator, const json& arguments) {
    const auto address = referenced_address(emulator, arguments);
    if (!address) return {nullptr, "not a memory reference"};
    const std::int64_t offset = integer_argument(arguments, "instructionOffset").value_or(0);
    const std::int64_t count = integer_argument(arguments, "instructionCount").value_or(0);
    if (count < 0 || count > kMaxInstructions || offset < -kMaxInstructions ||
        offset > kMaxInstructions) {
        return {nullptr, "at most 4096 instructions, at most 4096 away"};
    }
    const bool symbols = bool_argument(arguments, "resolveSymbols", true);
    // The instructions before the address: a run started far enough back falls into step with
    // the instructions by the time it arrives, as the processor's own fetches would.
    std::vector<std::int64_t> addresses;
    if (offset < 0) {
        const std::int64_t from = std::max<std::int64_t>(
            0, std::min(*address, kAddressCount) + offset * kLongestInstruction - 8);
        for (const std::uint16_t start :
             instruction_starts(emulator, from, std::min(*address, kAddressCount))) {
            addresses.push_back(start);
        }
        const auto wanted = static_cast<std::size_t>(-offset);
        if (addresses.size() > wanted) {
            addresses.erase(addresses.begin(),
                            addresses.end() - static_cast<std::ptrdiff_t>(wanted));
        }
        // Before the address space's start: placeholders.
        while (addresses.size() < wanted) {
            addresses.insert(addresses.begin(),
                             (addresses.empty() ? *address : addresses.front()) - 1);
        }
    }
    std::int64_t at = *address;
    for (std::int64_t skipped = 0; skipped < offset && at < kAddressCount; ++skipped) {
        at += labelled_instruction(emulator.bus.memory, emulator.symbols,
                                   static_cast<std::uint16_t>(at))
                  .length;
    }
    json instructions = json::array();
    for (const std::int64_t before : addresses) {
        if (static_cast<std::int64_t>(instructions.size()) == count) break;
        instructions.push_back(instruction_entry(emulator, before, symbols));
    }
    while (static_cast<std::int64_t>(instructions.size()) < count) {
        instructions.push_back(instruction_entry(emulator, at, symbols));
        at += at >= 0 && at < kAddressCount
                  ? labelled_instruction(emulator.bus.memory, emulator.symbols,
                                         static_cast<std::uint16_t>(at))
                        .length
                  : 1;
    }
    return {{{"instructions", instructions}}, {}};
}

}  // namespace tolvan
