// The time machine's promise: the machine after N instructions, taken back by N - K, is the
// machine after K instructions, in every field and every byte, whatever came in between (keys,
// resets, the debugger's edits, a LOAD whose file changed since, a state saved and loaded).
// Checked on random programs with random inputs and on the demo firmware with typed input,
// each against a second machine that runs the same script up to K only.
#include "machine/time_travel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "machine/commands.h"
#include "machine/inputs.h"
#include "resources/artwork.h"
#include "support/files.h"
#include "support/machine_state.h"
#include "support/scratch_directory.h"
#include "tools/assembler.h"

namespace tolvan {
namespace {

using testing::state_differences;

// Something that happens to the machine at a moment of its timeline.
struct Event {
    std::uint64_t at = 0;
    std::function<void(Emulator&)> act;
};

struct Script {
    std::function<void(Emulator&)> start;
    std::vector<Event> events;  // in the order of their moments
    std::uint64_t end = 0;
    // Changes the files that the machine read, before it is taken back: a replay reads none.
    std::function<void()> disturb = [] {};
};

Display make_display() {
    Display display;
    display.case_bitmap = make_case_bitmap();
    display.pixel_bitmap = make_pixel_bitmap();
    return display;
}

// The script up to the moment: every event at or before it, the moment itself included.
std::unique_ptr<Emulator> play(const Script& script, std::uint64_t until) {
    auto emulator = std::make_unique<Emulator>();
    Display display = make_display();
    script.start(*emulator);
    for (const Event& event : script.events) {
        if (event.at > until) break;
        EXPECT_TRUE(testing::run_to_moment(*emulator, display, event.at));
        event.act(*emulator);
    }
    EXPECT_TRUE(testing::run_to_moment(*emulator, display, until));
    return emulator;
}

// The whole script on one machine, then back to moments before its end, each compared with
// a machine that played the script up to there; forwards again to the end at last.
void check_taking_back(const Script& script, std::mt19937& random, int count,
                       std::vector<std::uint64_t> moments = {}) {
    auto machine = play(script, script.end);
    const auto at_end = play(script, script.end);
    for (int n = 0; n < count; ++n)
        moments.push_back(std::uniform_int_distribution<std::uint64_t>(0, script.end - 1)(random));
    for (const std::uint64_t moment : moments) {
        const auto expected = play(script, moment);
        EXPECT_NE(state_differences(*machine, *expected), "") << "the machine moved on since";
        script.disturb();
        ASSERT_TRUE(travel_to(*machine, moment)) << moment;
        EXPECT_EQ(machine->history.now.instructions, moment);
        EXPECT_EQ(state_differences(*machine, *expected), "") << "at " << moment;
    }
    ASSERT_TRUE(travel_to(*machine, script.end));
    EXPECT_EQ(state_differences(*machine, *at_end), "") << "back at the end";
}

// Random bytes everywhere, run as code: every instruction, port and memory area in turn.
Script random_program(std::uint32_t seed, const std::string& state_file) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(0x10000);
    for (std::uint8_t& byte : image)
        byte = static_cast<std::uint8_t>(random());
    Script script;
    script.start = [image, seed](Emulator& emulator) {
        std::ranges::copy(image, emulator.bus.memory.image.begin());
        emulator.bus.memory.ram_size = kRamSize16K;
        emulator.cpu.pc = static_cast<std::uint16_t>(0x8000 + seed % 0x100);
        emulator.cpu.timer_limit_512ms = 1000 + static_cast<std::int32_t>(seed % 5000);
        emulator.cpu.timer_limit_2ms = 20;
    };
    const std::vector<std::function<void(Emulator&)>> inputs = {
        [](Emulator& e) { static_cast<void>(press_key(e, KeyCode::kLetterA)); },
        [](Emulator& e) { static_cast<void>(press_key(e, KeyCode::kEnter)); },
        [](Emulator& e) { press_break(e); },
        [](Emulator& e) { simple_reset(e); },
        [](Emulator& e) { all_reset(e); },
        [](Emulator& e) { change_ram_size(e, kRamSize8K); },
        [](Emulator& e) { change_speed(e, 0, 2000, 7); },
        [](Emulator& e) { poke(e, 0x2345, 0x5A); },
        [](Emulator& e) { poke(e, 0x7010, 0xFF); },
        [](Emulator& e) { static_cast<void>(edit_field(e, "register_x", 0x2800)); },
        [](Emulator& e) { static_cast<void>(edit_field(e, "stack_pointer", 0x40)); },
        [](Emulator& e) { request_lcd_redraw(e); },
        [state_file](Emulator& e) { EXPECT_TRUE(save_state(e, state_file)); },
        [state_file](Emulator& e) { EXPECT_TRUE(load_state(e, state_file)); },
    };
    const std::size_t save = inputs.size() - 2;
    const std::size_t load = inputs.size() - 1;
    std::uint64_t at = 0;
    bool saved = false;
    for (int n = 0; n < 40; ++n) {
        at += std::uniform_int_distribution<std::uint64_t>(0, 30'000)(random);
        std::size_t kind = random() % inputs.size();
        // A state is loaded only once one was saved.
        if (kind == load && !saved) kind = save;
        saved = saved || kind == save;
        script.events.push_back({at, inputs[kind]});
    }
    script.end = at + 20'000;
    return script;
}

class TimeTravel : public testing::ScratchDirectoryTest {};

TEST_F(TimeTravel, RandomProgramsTakenBackAreTheMachineOfThatMoment) {
    std::mt19937 random(2024);
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        check_taking_back(random_program(seed, "random.sta"), random, 8);
    }
}

// The demo firmware, typed at: a sum, a LOAD whose file is changed once the LOAD is over, a
// state saved, a Simple Reset, the state loaded again, and more typing.
Script demo_session() {
    const auto copy_images = [] {
        for (const char* image : {"TOLVANL.ROM", "TOLVANH.ROM"}) {
            std::filesystem::copy_file(std::filesystem::path(TOLVAN_FIRMWARE_DIR) / image, image,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        testing::write_file("Tolvan.ini", "[Fichiers]\nFileLOAD=lines.txt\n");
        testing::write_file("lines.txt", "1+2\r\n30-4\r\n");
    };
    copy_images();
    Script script;
    script.start = [copy_images](Emulator& emulator) {
        copy_images();
        EXPECT_EQ(start_machine(emulator).roms, PowerOnStatus::kOk);
    };
    const auto type = [](const std::string& text) {
        return [text](Emulator& e) {
            for (const char c : text) {
                const KeyCode key = c == '\n'  ? KeyCode::kEnter
                                    : c == '+' ? KeyCode::kPlus
                                    : c == '-' ? KeyCode::kMinus
                                    : c >= 'A' ? key_code_named(std::string("Letter") + c).value()
                                               : key_code_named(std::string("Digit") + c).value();
                ASSERT_TRUE(press_key(e, key));
            }
        };
    };
    constexpr std::uint64_t kSecond = 25'000;
    script.events = {
        {2 * kSecond, type("12+34\n")},
        {6 * kSecond, type("LOAD\n")},
        {14 * kSecond, [](Emulator&) { testing::write_file("lines.txt", "99-98\r\n"); }},
        {15 * kSecond, [](Emulator& e) { EXPECT_TRUE(save_state(e, "demo.sta")); }},
        {16 * kSecond, type("5-3\n")},
        {20 * kSecond, [](Emulator& e) { simple_reset(e); }},
        {22 * kSecond, [](Emulator& e) { EXPECT_TRUE(load_state(e, "demo.sta")); }},
        {23 * kSecond, type("7+8\n")},
    };
    script.end = 28 * kSecond;
    script.disturb = [] { testing::write_file("lines.txt", "77+1\r\n"); };
    return script;
}

TEST_F(TimeTravel, DemoFirmwareTakenBackIsTheMachineOfThatMoment) {
    const Script script = demo_session();
    // The session LOADs the file: the log holds its lines at the instruction that opened it.
    const auto machine = play(script, script.end);
    const std::deque<LoggedInput>& log = machine->history.inputs;
    const auto load = std::ranges::find(log, InputKind::kLoadFile,
                                        [](const LoggedInput& l) { return l.input.kind; });
    ASSERT_NE(load, log.end());
    EXPECT_EQ(std::string(load->input.bytes.begin(), load->input.bytes.end()), "1+2\r\n30-4\r\n");
    // Moments on both sides of the open and while the lines come in, and anywhere else.
    const std::uint64_t open = load->at.instructions;
    std::mt19937 random(7);
    check_taking_back(script, random, 10, {open - 1, open, open + 1, open + 3000, open + 20000});
}

// A loop that calls a routine; both store A, and the loop counts it up.
constexpr const char* kCallingLoop = R"(
        ORG &8000
start:  LIDP &2800
loop:   INCA
        CALL routine
after:  LIDP &2800
        STD
        JRM loop
routine: PUSH
        LIDP &2810
        STD
        POP
        RTN
)";

// The loop run forwards for a while, with the address of each instruction that ran, by moment.
struct Recorded {
    std::unique_ptr<Emulator> emulator = std::make_unique<Emulator>();
    Symbols symbols;
    std::vector<std::uint16_t> pcs;  // pcs[m]: the instruction run from moment m

    explicit Recorded(std::uint64_t moments) {
        const AssemblyResult result =
            assemble_source(kCallingLoop, "loop.asm",
                            [](const std::string&) { return std::optional<std::string>(); });
        for (const auto& [address, byte] : result.bytes)
            emulator->bus.memory.image[address] = byte;
        symbols = assembly_symbols(result);
        emulator->bus.memory.ram_size = kRamSize16K;
        emulator->cpu.pc = at("start");
        emulator->cpu.r = 0x5C;
        emulator->cpu.timer_limit_512ms = 50000;
        emulator->cpu.timer_limit_2ms = 20;
        Display display = make_display();
        const StepObserver observer{
            [](void* context, const Emulator&, std::uint16_t address, std::uint8_t) {
                static_cast<std::vector<std::uint16_t>*>(context)->push_back(address);
            },
            &pcs};
        while (pcs.size() < moments) {
            const int limit =
                static_cast<int>(std::min<std::uint64_t>(moments - pcs.size(), 10000));
            static_cast<void>(
                run_slice(*emulator, display, {observer, {}, DelayLoop::kRun, limit}));
        }
    }
    std::uint16_t at(const std::string& label) const { return *find_symbol(symbols, label); }
    // The latest moment before `before` at which the instruction at the address ran next.
    std::uint64_t latest(std::uint16_t address, std::uint64_t before) const {
        while (pcs[--before] != address) {
        }
        return before;
    }
    std::uint64_t now() const { return emulator->history.now.instructions; }
};

TEST(ReverseDebugging, EachCommandLandsWhereTheRunForwardsWas) {
    constexpr std::uint64_t kEnd = 300'000;  // some checkpoints, two whole ones
    Recorded run(kEnd);
    Emulator& emulator = *run.emulator;
    const Debugger& debugger = emulator.debugger;

    ASSERT_TRUE(step_back(emulator));
    EXPECT_EQ(run.now(), kEnd - 1);
    EXPECT_EQ(debugger.last_stop.reason, StopReason::kStepBack);

    // Back over a call: from just after its return to just before the call.
    const std::uint64_t returned = run.latest(run.at("after"), kEnd - 1);
    ASSERT_TRUE(travel_to(emulator, returned));
    ASSERT_TRUE(step_back_over(emulator));
    EXPECT_EQ(run.now(), returned - 6);
    EXPECT_EQ(emulator.cpu.pc, run.at("loop") + 1);
    // An instruction that returned nothing is stepped back alone.
    ASSERT_TRUE(step_back_over(emulator));
    EXPECT_EQ(run.now(), returned - 7);

    set_breakpoint(emulator.debugger, run.at("routine"), true);
    ASSERT_TRUE(travel_to(emulator, kEnd));
    ASSERT_TRUE(reverse_continue(emulator));
    const std::uint64_t hit = run.latest(run.at("routine"), kEnd);
    EXPECT_EQ(run.now(), hit);
    EXPECT_EQ(debugger.last_stop.reason, StopReason::kBreakpoint);
    ASSERT_TRUE(reverse_continue(emulator));
    EXPECT_EQ(run.now(), run.latest(run.at("routine"), hit)) << "the one before";

    // A watched write stops after the instruction that made it, as it does going forwards.
    clear_breakpoints(emulator.debugger);
    add_watchpoint(emulator.debugger, {0x2810, 0x2810, false, true});
    ASSERT_TRUE(travel_to(emulator, kEnd));
    ASSERT_TRUE(reverse_continue(emulator));
    const std::uint64_t store = run.latest(run.at("routine") + 4, kEnd);
    EXPECT_EQ(run.now(), store + 1);
    EXPECT_EQ(debugger.last_stop.reason, StopReason::kWatchpoint);
    EXPECT_EQ(debugger.last_stop.instruction_address, run.at("routine") + 4);

    const auto last = find_last_write(emulator, 0x2800);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->moment, run.latest(run.at("after") + 3, run.now()));
    EXPECT_EQ(last->pc, run.at("after") + 3);
    EXPECT_EQ(last->instructions, last->moment + 1);
    ASSERT_TRUE(go_to_last_write(emulator, 0x2800));
    EXPECT_EQ(last->value, emulator.cpu.iram[kRegisterA]) << "STD writes A";

    // The debugger's history shows the instructions that led here, each at its moment.
    const std::vector<HistoryEntry> entries = history(debugger);
    ASSERT_EQ(entries.size(), kHistorySize);
    for (const HistoryEntry& entry : entries)
        EXPECT_EQ(entry.pc, run.pcs[entry.moment]);
    EXPECT_EQ(entries.back().moment, run.now() - 1);

    const std::uint64_t unmoved = run.now();
    EXPECT_FALSE(reverse_run_to(emulator, 0x9000)) << "never there";
    EXPECT_EQ(run.now(), unmoved);
    clear_watchpoints(emulator.debugger);
    ASSERT_TRUE(reverse_continue(emulator));
    EXPECT_EQ(debugger.last_stop.reason, StopReason::kHistoryStart);
    EXPECT_EQ(run.now(), 0u);
    EXPECT_FALSE(step_back(emulator));
}

// The oldest checkpoints go once the rest still covers the length kept, and never so many that
// less is left; what is gone cannot be gone back to.
TEST(History, KeepsItsLengthAndNoMore) {
    constexpr std::uint64_t kLength = 20 * kCyclesPerSecond;
    Recorded run(0);
    run.emulator->history.settings.length_cycles = kLength;
    Display display = make_display();
    ASSERT_TRUE(testing::run_to_moment(*run.emulator, display, 6'000'000));
    const History& history = run.emulator->history;
    EXPECT_GE(history.end.cycles - history_start(history).cycles, kLength);
    // Without its oldest group of checkpoints (a whole one and those coded against it), the
    // history would be too short.
    const auto second_group =
        std::find_if(history.checkpoints.begin() + 1, history.checkpoints.end(),
                     [](const Checkpoint& c) { return c.keyframe_distance == 0; });
    ASSERT_NE(second_group, history.checkpoints.end());
    EXPECT_LT(history.end.cycles - second_group->at.cycles, kLength);
    EXPECT_GT(history_start(history).instructions, 0u) << "the oldest went";
    EXPECT_FALSE(travel_to(*run.emulator, history_start(history).instructions - 1));
    EXPECT_TRUE(travel_to(*run.emulator, history_start(history).instructions));
}

}  // namespace
}  // namespace tolvan
