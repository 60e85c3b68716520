// The one description of the machine state: names that scripts and files rely on, and the
// texts built from it.
#include "machine/state_description.h"

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "machine/state_json.h"

namespace tolvan {
namespace {

std::unique_ptr<Emulator> distinctive_emulator() {
    auto emulator = std::make_unique<Emulator>();
    Cpu& cpu = emulator->cpu;
    for (int n = 0; n < kInternalRamSize; ++n)
        cpu.iram[n] = static_cast<std::uint8_t>(0x11 * n + 3);
    cpu.pc = 0xF10F;
    cpu.dp = 0xABCD;
    cpu.p = 0x7F;
    cpu.q = 0x81;
    cpu.r = 0xFE;
    cpu.flags = kFlagC;
    cpu.timer_limit_512ms = 123456;
    cpu.timer_limit_2ms = 33;
    cpu.max_delay = 77;
    emulator->bus.memory.ram_size = -1;
    emulator->bus.ports.port_c = 0x42;
    return emulator;
}

// A name given twice would make state files and --state ambiguous; a merge that adds a field
// twice shows here.
TEST(StateDescription, EveryNameIsGivenOnce) {
    std::set<std::string> names;
    std::set<std::string> old_names;
    const auto add = [&](const FieldInfo& info) {
        EXPECT_TRUE(names.insert(std::string(info.name)).second) << info.name;
        if (!info.old_name.empty()) {
            EXPECT_TRUE(old_names.insert(std::string(info.old_name)).second) << info.old_name;
        }
    };
    Emulator emulator;
    for_each_state_component(emulator, [&](const auto& component, const auto&) {
        for (const auto& field : component.scalars)
            add(field.info);
        for (const auto& field : component.bytes)
            add(field.info);
    });
}

// Scripts written for the earlier printout keep finding its keys, with the values that the new
// English names carry.
TEST(StateDescription, StateJsonKeepsTheEarlierKeys) {
    const auto emulator = distinctive_emulator();
    const nlohmann::json state = nlohmann::json::parse(state_json(*emulator));
    const std::pair<const char*, const char*> renamed[] = {
        {"pc", "program_counter"},
        {"dp", "data_pointer"},
        {"p", "ram_pointer_p"},
        {"q", "ram_pointer_q"},
        {"r", "stack_pointer"},
        {"counter_512ms", "timer_count_512ms"},
        {"counter_2ms", "timer_count_2ms"},
        {"elapsed_512ms", "timer_elapsed_512ms"},
        {"elapsed_2ms", "timer_elapsed_2ms"},
        {"max_horloge512", "timer_limit_512ms"},
        {"max_horloge002", "timer_limit_2ms"},
        {"max_delay", "delay_limit"},
        {"iram", "internal_ram"},
    };
    for (const auto& [old_key, key] : renamed)
        EXPECT_EQ(state.at(old_key), state.at(key)) << old_key;
    for (const char* kept :
         {"flags", "cycle_cost", "case_counter", "ram_size", "power_on_status", "lcd_redraw",
          "key_strobe", "port_a", "port_b", "port_c", "port_f", "refresh_request"}) {
        EXPECT_TRUE(state.contains(kept)) << kept;
    }
    EXPECT_EQ(state.at("pc"), 0xF10F);
    EXPECT_EQ(state.at("ram_size"), -1);
    EXPECT_EQ(state.at("max_horloge512"), 123456);
    EXPECT_EQ(state.at("register_x"), 0x5847);
    EXPECT_EQ(state.at("carry_flag"), 1);
    EXPECT_EQ(state.at("iram").get<std::string>().substr(0, 8), "03142536");
}

TEST(StateDescription, RegisterTextShowsTheRegistersInTheTraceOrder) {
    const auto emulator = distinctive_emulator();
    EXPECT_EQ(registers_text(emulator->cpu),
              "A=25 B=36 I=03 J=14 X=5847 Y=7A69 P=7F Q=81 R=FE DP=ABCD F=10");
}

}  // namespace
}  // namespace tolvan
