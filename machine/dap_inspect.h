// What the debug adapter shows of the machine and lets the client change: scopes and variables,
// expressions, memory and disassembly. Each function answers one request with its body, or the
// reason it cannot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "machine/emulator.h"

namespace tolvan {

struct [[nodiscard]] DapResult {
    nlohmann::json body;
    std::string error;  // empty on success

    bool ok() const { return error.empty(); }
};

// The variablesReference of each scope; every frame shows the machine's one state.
enum class VariableScope : std::uint8_t {
    kRegisters = 1,
    kFlags,
    kTimers,
    kPorts,
    kInternalRam,
};

// "0x8123", the memory references that the adapter hands out.
std::string memory_reference(std::uint16_t address);
// A memory reference (or any address as the debugger reads one) plus a byte offset; the result
// may lie outside 0-FFFF.
std::optional<std::int64_t> referenced_address(const Emulator& emulator,
                                               const nlohmann::json& arguments);

nlohmann::json scopes_body();
DapResult variables_body(const Emulator& emulator, const nlohmann::json& arguments);
DapResult set_variable_body(Emulator& emulator, const nlohmann::json& arguments);
// A register or flag by name, a label, label+N or an address (its value), or [ADDRESS] and
// [X] (the byte there).
DapResult evaluate_body(const Emulator& emulator, const nlohmann::json& arguments);
DapResult read_memory_body(const Emulator& emulator, const nlohmann::json& arguments);
DapResult write_memory_body(Emulator& emulator, const nlohmann::json& arguments);
// The instructions without source locations; the session adds those it knows.
DapResult disassemble_body(const Emulator& emulator, const nlohmann::json& arguments);

}  // namespace tolvan
