// State files: every field of the machine comes back, a file from the first version still
// loads, and every file that cannot be the machine's is refused without touching it.
#include "machine/state_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/deflate.h"
#include "machine/commands.h"
#include "machine/state_codec.h"
#include "support/files.h"
#include "support/machine_state.h"
#include "support/scratch_directory.h"
#include "tools/assembler.h"

namespace tolvan {
namespace {

using testing::state_differences;

const std::string kDataDir = std::string(TOLVAN_TEST_DATA_DIR) + "/state/";

// The ROM images of tests/data/state/program.asm, as tolvan-asm makes them (--range of each
// image, the cells outside the program 0xFF).
void write_kept_rom_images() {
    const AssemblyResult result =
        assemble_source(testing::read_file(kDataDir + "program.asm"), "program.asm",
                        [](const std::string&) { return std::optional<std::string>(); });
    ASSERT_TRUE(result.ok());
    std::string low(0x2000, '\xFF');
    std::string high(0x8000, '\xFF');
    for (const auto& [address, byte] : result.bytes) {
        (address < 0x8000 ? low[address] : high[address - 0x8000]) = static_cast<char>(byte);
    }
    testing::write_file("TOLVANL.ROM", low);
    testing::write_file("TOLVANH.ROM", high);
}

class StateFile : public testing::ScratchDirectoryTest {};

// Made once by this version: tolvan --headless --steps 3000 --press LetterA --steps 500
// --save-state state-v1.sta, beside the images of program.asm. Later versions must load it.
TEST_F(StateFile, TheFirstVersionsFileStillLoads) {
    write_kept_rom_images();
    auto emulator = std::make_unique<Emulator>();
    ASSERT_EQ(start_machine(*emulator).roms, PowerOnStatus::kOk);
    ASSERT_TRUE(load_state(*emulator, kDataDir + "state-v1.sta"));
    EXPECT_EQ(emulator->executed.instructions, 3500u);
    EXPECT_EQ(emulator->executed.cycles, 16000u);
    EXPECT_EQ(emulator->cpu.pc, 0);
    EXPECT_EQ(emulator->cpu.iram[kRegisterA], 0xFA);
    EXPECT_EQ(emulator->bus.memory.image[0x2000], 0xFA);
    EXPECT_EQ(emulator->screen.cells[0x10], 0xFA);
    EXPECT_EQ(emulator->bus.keyboard.pending_code, KeyCode::kLetterA);
    // And the machine goes on from there: one more pass of the loop counts on.
    Display display;
    ASSERT_TRUE(
        testing::run_to_moment(*emulator, display, emulator->history.now.instructions + 12));
    EXPECT_EQ(emulator->bus.memory.image[0x2000], 0xFB);
}

// A value for every field of the machine, none of them a new machine's.
void scramble(Emulator& emulator, std::mt19937_64& random) {
    for_each_machine_field(emulator, [&random](const auto& field, auto& owner) {
        if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
            field.set(owner, static_cast<std::int64_t>(random()));
        } else {
            std::vector<std::uint8_t> bytes;
            field.get(owner, bytes);
            // The blocks of varying length get one: whole key codes for the queue.
            if (bytes.empty()) bytes.resize(4 * (1 + random() % 100));
            for (std::uint8_t& byte : bytes)
                byte = static_cast<std::uint8_t>(random());
            ASSERT_TRUE(field.set(owner, bytes)) << field.info.name;
        }
    });
}

TEST_F(StateFile, EveryFieldComesBack) {
    std::mt19937_64 random(99);
    for (int trial = 0; trial < 5; ++trial) {
        auto saved = std::make_unique<Emulator>();
        scramble(*saved, random);
        saved->control.low_rom_sha256 = "low";
        saved->control.high_rom_sha256 = "high";
        ASSERT_TRUE(save_state_file(*saved, "machine.sta"));
        auto loaded = std::make_unique<Emulator>();
        loaded->control.low_rom_sha256 = "low";
        loaded->control.high_rom_sha256 = "high";
        loaded->cpu.max_delay = 1234;
        ASSERT_TRUE(load_state_file(*loaded, "machine.sta"));
        EXPECT_EQ(state_differences(*loaded, *saved), "");
        EXPECT_EQ(loaded->cpu.max_delay, 1234) << "the speed is the emulator's, not the machine's";
    }
}

// The records of a file, compressed again with another record added.
std::string with_record(const std::string& file, const std::string& name) {
    constexpr std::size_t kHead = 16;
    const std::string_view body(file.data() + kHead, file.size() - kHead);
    auto records =
        inflate_bytes({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()}, 1 << 26);
    records->push_back(static_cast<std::uint8_t>(name.size()));
    records->insert(records->end(), name.begin(), name.end());
    records->insert(records->end(), {1, 0, 0, 0, 7});
    const std::vector<std::uint8_t> packed = deflate_bytes(*records);
    return file.substr(0, kHead) + std::string(packed.begin(), packed.end());
}

TEST_F(StateFile, FilesThatCannotBeTheMachinesAreRefusedAndChangeNothing) {
    auto machine = std::make_unique<Emulator>();
    machine->control.low_rom_sha256 = "low";
    machine->control.high_rom_sha256 = "high";
    const std::string good = state_file_bytes(*machine);
    auto other = std::make_unique<Emulator>();
    other->control.low_rom_sha256 = "another low";
    other->control.high_rom_sha256 = "high";
    std::string later = good;
    later[12] = 2;
    const struct {
        std::string bytes;
        StateFileProblem problem;
        const char* text;
    } cases[] = {
        {state_file_bytes(*other), StateFileProblem::kOtherRomImages,
         "f.sta: saved from a machine with other ROM images than TOLVANL.ROM and TOLVANH.ROM "
         "here"},
        {"10 PRINT 1\r\n", StateFileProblem::kNotAStateFile, "f.sta: not a state file"},
        {good.substr(0, good.size() - 9), StateFileProblem::kDamaged, "f.sta: damaged"},
        {later, StateFileProblem::kLaterVersion, "f.sta: made by a later version of Tolvan"},
        {with_record(good, "future_field"), StateFileProblem::kLaterVersion,
         "f.sta: made by a later version of Tolvan (future_field)"},
        {with_record(good, "program_counter"), StateFileProblem::kDamaged,
         "f.sta: damaged (program_counter)"},
    };
    std::mt19937_64 random(5);
    scramble(*machine, random);
    const std::vector<std::uint8_t> before = encode_state(*machine);
    for (const auto& c : cases) {
        testing::write_file("f.sta", c.bytes);
        const StateFileStatus status = load_state_file(*machine, "f.sta");
        EXPECT_EQ(status.problem, c.problem) << c.text;
        EXPECT_EQ(describe_state_file_status("f.sta", status), c.text);
        EXPECT_EQ(encode_state(*machine), before) << c.text;
    }
    const StateFileStatus missing = load_state_file(*machine, "missing.sta");
    EXPECT_EQ(describe_state_file_status("missing.sta", missing),
              "missing.sta: No such file or directory");
}

}  // namespace
}  // namespace tolvan
