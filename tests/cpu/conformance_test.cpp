// Runs every case of the processor conformance vectors: one instruction step from a complete
// initial state, compared field by field with the expected final state.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cpu/opcode_table.h"
#include "cpu/step.h"
#include "machine/emulator.h"

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

std::string iram_hex(const Cpu& cpu) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : cpu.iram) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

void apply_state(Emulator& emulator, const json& state) {
    Cpu& cpu = emulator.cpu;
    Bus& bus = emulator.bus;
    cpu.pc = state.at("pc");
    cpu.dp = state.at("dp");
    cpu.p = state.at("p");
    cpu.q = state.at("q");
    cpu.r = state.at("r");
    cpu.flags = state.at("flags");
    cpu.cycle_cost = state.at("cycle_cost");
    cpu.case_counter = state.at("case_counter");
    cpu.counter_512ms = state.at("counter_512ms");
    cpu.counter_2ms = state.at("counter_2ms");
    cpu.elapsed_512ms = state.at("elapsed_512ms");
    cpu.elapsed_2ms = state.at("elapsed_2ms");
    cpu.timer_limit_512ms = state.at("max_horloge512");
    cpu.timer_limit_2ms = state.at("max_horloge002");
    cpu.max_delay = state.at("max_delay");
    const std::string iram = state.at("iram");
    for (int index = 0; index < kInternalRamSize; ++index) {
        cpu.iram[index] =
            static_cast<std::uint8_t>(std::stoi(iram.substr(2 * index, 2), nullptr, 16));
    }
    bus.memory.ram_size = static_cast<std::int8_t>(state.at("ram_size").get<int>());
    bus.memory.lcd_redraw = state.at("lcd_redraw").get<int>() != 0;
    bus.memory.key_strobe = state.at("key_strobe");
    bus.ports.port_a = state.at("port_a");
    bus.ports.port_b = state.at("port_b");
    bus.ports.port_c = state.at("port_c");
    bus.ports.port_f = state.at("port_f");
    bus.ports.refresh_request = state.at("refresh_request").get<int>() != 0;
    // The image is filled directly, not through the decoder: no side effects, ROM included.
    for (const json& cell : state.at("mem"))
        bus.memory.image[cell.at(0).get<int>()] = cell.at(1);
}

// Every field as one text, so that a failure shows all differences at once.
std::string describe(const Emulator& emulator, const json& expected_mem) {
    const Cpu& cpu = emulator.cpu;
    const Bus& bus = emulator.bus;
    std::ostringstream out;
    out << "pc=" << cpu.pc << " dp=" << cpu.dp << " p=" << +cpu.p << " q=" << +cpu.q
        << " r=" << +cpu.r << " flags=" << +cpu.flags << " cycle_cost=" << cpu.cycle_cost
        << " case_counter=" << +cpu.case_counter << " counter_512ms=" << cpu.counter_512ms
        << " counter_2ms=" << cpu.counter_2ms << " elapsed_512ms=" << cpu.elapsed_512ms
        << " elapsed_2ms=" << cpu.elapsed_2ms << " max_horloge512=" << cpu.timer_limit_512ms
        << " max_horloge002=" << cpu.timer_limit_2ms << " max_delay=" << cpu.max_delay
        << " ram_size=" << +bus.memory.ram_size << " lcd_redraw=" << bus.memory.lcd_redraw
        << " key_strobe=" << +bus.memory.key_strobe << " port_a=" << +bus.ports.port_a
        << " port_b=" << +bus.ports.port_b << " port_c=" << +bus.ports.port_c
        << " port_f=" << +bus.ports.port_f << " refresh_request=" << bus.ports.refresh_request
        << "\niram=" << iram_hex(cpu) << "\nmem:";
    std::vector<bool> listed(0x10000);
    for (const json& cell : expected_mem) {
        const int address = cell.at(0);
        listed[address] = true;
        out << " " << address << "=" << +bus.memory.image[address];
    }
    for (int address = 0; address < 0x10000; ++address) {
        if (!listed[address] && bus.memory.image[address] != 0) {
            out << " unexpected " << address << "=" << +bus.memory.image[address];
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
