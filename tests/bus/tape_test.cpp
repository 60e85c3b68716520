// Tape transfer through the port instructions: OUTF bits assembled into the SAVE file, and the
// LOAD file handed to the firmware at its two INB hooks.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cpu/step.h"
#include "machine/emulator.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

constexpr std::uint8_t kOutf = 0x5F;
constexpr std::uint8_t kOutb = 0xDD;
constexpr std::uint8_t kInb = 0xCC;
constexpr std::uint16_t kLoadStart = 0xF10F;
constexpr std::uint16_t kLoadByte = 0xEC3B;

class TapeTest : public testing::ScratchDirectoryTest {
  protected:
    Emulator emulator;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        emulator.bus.tape.save_file_name = "out.bas";
        emulator.bus.tape.load_file_name = "in.bas";
        emulator.bus.memory.image[0x8000] = kOutf;
        emulator.bus.memory.image[0x8001] = kOutb;
        emulator.bus.memory.image[kLoadStart] = kInb;
        emulator.bus.memory.image[kLoadByte] = kInb;
        set_port_b(0x10);
    }
    void execute_at(std::uint16_t address) {
        emulator.cpu.pc = address;
        step(emulator.cpu, emulator.bus);
    }
    void set_port_b(std::uint8_t value) {
        emulator.cpu.iram[kPortBByte] = value;
        execute_at(0x8001);
    }
    void send_bit(int bit) {
        emulator.cpu.iram[kPortFByte] = bit ? 0x08 : 0x00;
        execute_at(0x8000);
    }
    // A start bit, then eight data bits, least significant first, each inverted.
    void send_byte(std::uint8_t value) {
        send_bit(1);
        for (int n = 0; n < 8; ++n)
            send_bit(((value >> n) & 1) ? 0 : 1);
    }
    // One character from the LOAD file: B and the status bits of cell 0x0E.
    std::pair<std::uint8_t, std::uint8_t> load_byte() {
        emulator.cpu.iram[0x0E] = 0;
        execute_at(kLoadByte);
        EXPECT_EQ(emulator.cpu.pc, 0xED12);
        EXPECT_EQ(emulator.cpu.p, 0x0E);
        return {emulator.cpu.iram[kRegisterB], emulator.cpu.iram[0x0E]};
    }
};

TEST_F(TapeTest, BitsAssembleIntoSavedBytes) {
    send_byte(0x41);
    send_byte(0x0D);
    send_byte(0x42);
    send_byte(0x1A);
    EXPECT_EQ(testing::read_file("out.bas"), "A\r\nB");
}

TEST_F(TapeTest, EndMarkClosesAndTheNextByteStartsAnEmptyFile) {
    send_byte(0x41);
    send_byte(0x1A);
    send_byte(0x43);
    EXPECT_EQ(testing::read_file("out.bas"), "A") << "a SAVE counts once it has ended";
    send_byte(0x1A);
    EXPECT_EQ(testing::read_file("out.bas"), "C");
}

TEST_F(TapeTest, ZeroBitWhileWaitingForAStartWritesNothing) {
    send_bit(0);
    send_bit(0);
    EXPECT_FALSE(std::filesystem::exists("out.bas"));
    EXPECT_EQ(emulator.bus.tape.bit_counter, 0);
}

TEST_F(TapeTest, DisablingOutputMidByteFlushesWhatArrived) {
    send_bit(1);
    send_bit(0);  // data bit 1
    send_bit(1);  // data bit 0
    send_bit(0);  // data bit 1
    set_port_b(0x00);
    send_bit(0);
    tape_emit_byte(emulator.bus.tape, kTapeEndOfFile);
    // Three bits shifted in from the top: 1, 0, 1 -> 0b10100000.
    EXPECT_EQ(testing::read_file("out.bas"), std::string(1, '\xA0'));
}

TEST_F(TapeTest, OutbBitOneAlsoEnablesOutput) {
    set_port_b(0x02);
    EXPECT_EQ(emulator.bus.ports.port_b, 0x12);
    emulator.bus.memory.image[0x8002] = kInb;
    execute_at(0x8002);
    EXPECT_EQ(emulator.cpu.iram[kRegisterA], 0x12);
    EXPECT_FALSE(zero_flag(emulator.cpu));
}

TEST_F(TapeTest, LoadDeliversLinesWithTheirStatusBits) {
    testing::write_file("in.bas", "10 A=1\r\n20 END\r\n");
    execute_at(kLoadStart);
    EXPECT_EQ(emulator.bus.ports.port_b & 0x30, 0x30);
    std::string text;
    std::vector<std::uint8_t> statuses;
    for (int n = 0; n < 15; ++n) {
        const auto [byte, status] = load_byte();
        text += static_cast<char>(byte);
        statuses.push_back(status);
    }
    EXPECT_EQ(text, "10 A=1\r20 END\r\x1A");
    EXPECT_EQ(statuses[6], 0x40);
    EXPECT_EQ(statuses[13], 0x40);
    EXPECT_EQ(statuses[14], 0x80);
    EXPECT_FALSE(emulator.bus.tape.load_open);
    EXPECT_EQ(load_byte().first, 0x1A) << "after the end, every byte is the end mark";
    execute_at(kLoadStart);
    EXPECT_EQ(load_byte().first, '1') << "a new LOAD starts again from the beginning";
}

TEST_F(TapeTest, BareLineFeedsAreSkippedAndAnEndMarkStopsTheLoad) {
    testing::write_file("in.bas", "1\n\n2\x1Atail");
    execute_at(kLoadStart);
    EXPECT_EQ(load_byte().first, '1');
    EXPECT_EQ(load_byte().first, '\n') << "only one line feed in a row is skipped";
    EXPECT_EQ(load_byte().first, '2');
    EXPECT_EQ(load_byte(), std::make_pair(std::uint8_t{0x1A}, std::uint8_t{0x80}));
    EXPECT_EQ(load_byte().first, 0x1A);
}

TEST_F(TapeTest, MissingLoadFileEndsAtOnce) {
    execute_at(kLoadStart);
    EXPECT_EQ(load_byte(), std::make_pair(std::uint8_t{0x1A}, std::uint8_t{0x80}));
}

TEST_F(TapeTest, SaveIntoAMissingFolderFailsOncePerSave) {
    Tape& tape = emulator.bus.tape;
    tape.save_file_name = "missing/out.bas";
    for (int save = 0; save < 2; ++save) {
        send_byte('A');
        EXPECT_EQ(tape.save_error, ENOENT) << "save " << save;
        tape.save_error = 0;  // taken by the machine's error report
        send_byte('B');
        send_byte(kCarriageReturn);
        EXPECT_EQ(tape.save_error, 0) << "the rest of the SAVE is dropped quietly";
        send_byte(kTapeEndOfFile);
        EXPECT_EQ(tape.save_error, 0);
    }
    EXPECT_TRUE(testing::entries_of(directory()).empty());
}

// A SAVE that fails (a full disk, or one cut short by the program's end) leaves the file that
// was there whole, and no temporary file beside it.
TEST_F(TapeTest, SaveThatFailsLeavesThePreviousFile) {
    Tape& tape = emulator.bus.tape;
    testing::write_file("out.bas", "10 OLD\r\n");
    const bool failed = testing::with_file_size_limit(4, [&] {
        for (char c : std::string("10 A=1\r20 END\r\x1A"))
            send_byte(static_cast<std::uint8_t>(c));
        return tape.save_error == EFBIG;
    });
    EXPECT_TRUE(failed);
    send_byte('X');
    tape = Tape{};
    EXPECT_EQ(testing::read_file("out.bas"), "10 OLD\r\n");
    EXPECT_EQ(testing::entries_of(directory()), std::vector<std::string>{"out.bas"});
}

}  // namespace
}  // namespace tolvan
