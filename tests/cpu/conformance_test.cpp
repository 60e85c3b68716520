// Runs every case of the processor conformance vectors: one instruction step from a complete
// initial state, compared field by field with the expected final state.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cpu/opcode_table.h"
#include "cpu/step.h"
#include "machine/emulator.h"
#include "machine/state_description.h"

namespace tolvan {
namespace {

using nlohmann::json;

struct ConformanceCase {
    std::string name;
    json initial;
    json expected;
};

std::vector<ConformanceCase> load_all_cases() {
    std::vector<ConformanceCase> cases;
    for (int opcode = 0; opcode < 256; ++opcode) {
        char file_name[32];
        std::snprintf(file_name, sizeof file_name, "/conformance/op_%02x.json", opcode);
        std::ifstream file(std::string(TOLVAN_TEST_DATA_DIR) + file_name);
        if (!file) throw std::runtime_error(std::string("missing conformance file ") + file_name);
        for (const json& item : json::parse(file)) {
            cases.push_back({item.at("name"), item.at("initial"), item.at("final")});
        }
    }
    return cases;
}

// The vectors name the fields of the processor, the address space and the ports by the keys of
// the older --state printout.
template <class Visit>
void for_each_vector_component(Emulator& emulator, Visit&& visit) {
    visit(kCpuState, emulator.cpu);
    visit(kMemoryState, emulator.bus.memory);
    visit(kPortState, emulator.bus.ports);
}

void apply_state(Emulator& emulator, const json& state) {
    for_each_vector_component(emulator, [&state](const auto& component, auto& owner) {
        for (const auto& field : component.scalars) {
            if (!field.info.old_name.empty()) {
                field.set(owner, state.at(std::string(field.info.old_name)).get<std::int64_t>());
            }
        }
        for (const auto& field : component.bytes) {
            if (field.info.old_name.empty()) continue;
            const std::string hex = state.at(std::string(field.info.old_name));
            std::vector<std::uint8_t> bytes;
            for (std::size_t n = 0; n + 1 < hex.size(); n += 2)
                bytes.push_back(
                    static_cast<std::uint8_t>(std::stoi(hex.substr(n, 2), nullptr, 16)));
            if (!field.set(owner, bytes)) throw std::runtime_error("bad " + hex);
        }
    });
    // The image is filled directly, not through the decoder: no side effects, ROM included.
    for (const json& cell : state.at("mem"))
        emulator.bus.memory.image[cell.at(0).get<int>()] = cell.at(1);
}

// Every field that the vectors give, as one text, so that a failure shows all differences at
// once; then the memory cells.
std::string describe(Emulator& emulator, const json& expected_mem) {
    std::ostringstream out;
    for_each_vector_component(emulator, [&out](const auto& component, const auto& owner) {
        for (const auto& field : component.scalars) {
            if (!field.info.old_name.empty())
                out << field.info.old_name << "=" << field.get(owner) << " ";
        }
        for (const auto& field : component.bytes) {
            if (field.info.old_name.empty()) continue;
            std::vector<std::uint8_t> bytes;
            field.get(owner, bytes);
            out << "\n" << field.info.old_name << "=";
            for (const std::uint8_t byte : bytes)
                out << std::hex << std::setw(2) << std::setfill('0') << +byte << std::dec;
        }
    });
    const AddressSpace& memory = emulator.bus.memory;
    out << "\nmem:";
    std::vector<bool> listed(0x10000);
    for (const json& cell : expected_mem) {
        const int address = cell.at(0);
        listed[address] = true;
        out << " " << address << "=" << +memory.image[address];
    }
    for (int address = 0; address < 0x10000; ++address) {
        if (!listed[address] && memory.image[address] != 0) {
            out << " unexpected " << address << "=" << +memory.image[address];
        }
    }
    return out.str();
}

std::unique_ptr<Emulator> expected_emulator(const json& state) {
    auto emulator = std::make_unique<Emulator>();
    apply_state(*emulator, state);
    return emulator;
}

class Conformance : public testing::TestWithParam<ConformanceCase> {};

TEST_P(Conformance, OneStepReachesTheFinalState) {
    const ConformanceCase& test_case = GetParam();
    auto emulator = std::make_unique<Emulator>();
    apply_state(*emulator, test_case.initial);
    step(emulator->cpu, emulator->bus);
    const auto expected = expected_emulator(test_case.expected);
    const json& expected_mem = test_case.expected.at("mem");
    EXPECT_EQ(describe(*emulator, expected_mem), describe(*expected, expected_mem));
}

// A debugger watching every address sends every data access down the paths that report it;
// they must read and store exactly as the direct ones do.
TEST_P(Conformance, OneStepWhileEveryAccessIsWatchedReachesTheSameState) {
    const ConformanceCase& test_case = GetParam();
    auto emulator = std::make_unique<Emulator>();
    apply_state(*emulator, test_case.initial);
    const std::vector<Watchpoint> everything = {{0x0000, 0xFFFF, true, true}};
    DataWatch watch;
    watch.watchpoints = &everything;
    watch_data_accesses(emulator->bus.memory, &watch);
    step(emulator->cpu, emulator->bus);
    watch_data_accesses(emulator->bus.memory, nullptr);
    const auto expected = expected_emulator(test_case.expected);
    const json& expected_mem = test_case.expected.at("mem");
    EXPECT_EQ(describe(*emulator, expected_mem), describe(*expected, expected_mem));
}

INSTANTIATE_TEST_SUITE_P(AllOpcodes, Conformance, testing::ValuesIn(load_all_cases()),
                         [](const testing::TestParamInfo<ConformanceCase>& case_info) {
                             std::string name = "op_" + case_info.param.name;
                             for (char& c : name) {
                                 if (c == ' ') c = '_';
                             }
                             return name;
                         });

// Outside jumps, every routine moves PC by the length that the opcode table gives; the
// vectors exercise every opcode, so this holds the table and the routines together.
TEST(OpcodeTable, NonJumpingRoutinesAdvanceByTheTableLength) {
    for (const ConformanceCase& test_case : load_all_cases()) {
        const int pc = test_case.initial.at("pc");
        const int opcode = std::stoi(test_case.name.substr(0, 2), nullptr, 16);
        const Operand operand = kOpcodeTable[opcode].operand;
        const bool may_jump = operand == Operand::kForward || operand == Operand::kBackward ||
                              operand == Operand::kWord || operand == Operand::kCallInOpcode ||
                              opcode == 0x37 || opcode == 0x69 || opcode == 0x54 || opcode == 0x56;
        if (may_jump || !is_defined(static_cast<std::uint8_t>(opcode))) continue;
        const int final_pc = test_case.expected.at("pc");
        EXPECT_EQ((final_pc - pc) & 0xFFFF, instruction_length(static_cast<std::uint8_t>(opcode)))
            << test_case.name;
    }
}

}  // namespace
}  // namespace tolvan
