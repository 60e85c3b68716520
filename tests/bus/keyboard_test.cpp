// The keyboard matrix as the firmware sees it: a posted key appears at the next TEST 8, INA
// reads the lines that the strobe latch and port A select, and BRK drives the break signal.
#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>

#include "cpu/step.h"
#include "machine/emulator.h"

namespace tolvan {
namespace {

constexpr std::uint16_t kProgram = 0x8000;
constexpr std::uint8_t kTest8[] = {0x6B, 0x08};
constexpr std::uint8_t kIna = 0x4C;

struct KeyboardTest : testing::Test {
    Emulator emulator;
    Keyboard& keyboard = emulator.bus.keyboard;

    void execute(std::initializer_list<std::uint8_t> bytes) {
        std::uint16_t at = kProgram;
        for (std::uint8_t byte : bytes)
            emulator.bus.memory.image[at++] = byte;
        emulator.cpu.pc = kProgram;
        step(emulator.cpu, emulator.bus);
    }
    // TEST 8 and whether it reported the break signal (Z clear).
    bool poll() {
        execute({kTest8[0], kTest8[1]});
        return !zero_flag(emulator.cpu);
    }
    std::uint8_t ina(std::uint8_t strobe, std::uint8_t port_a) {
        emulator.bus.memory.key_strobe = strobe;
        emulator.bus.ports.port_a = port_a;
        execute({kIna});
        return emulator.cpu.iram[kRegisterA];
    }
};

TEST_F(KeyboardTest, GroupALineNeedsASingleBitStrobe) {
    post_key(keyboard, KeyCode::kLetterA);
    poll();
    EXPECT_EQ(ina(0x04, 0x00), 0x40);
    EXPECT_EQ(ina(0x06, 0x00), 0x00);
}

TEST_F(KeyboardTest, GroupBLinesFollowPortAAndEchoIt) {
    post_key(keyboard, KeyCode::kCal);
    poll();
    EXPECT_EQ(ina(0x00, 0x20), 0xA0);
    EXPECT_EQ(ina(0x00, 0x21), 0xA1);
    EXPECT_EQ(ina(0x00, 0x10), 0x10);
}

TEST_F(KeyboardTest, NoKeyReadsThePortAValueAndSetsZeroWhenItIsZero) {
    EXPECT_EQ(ina(0x01, 0x5A), 0x5A);
    EXPECT_FALSE(zero_flag(emulator.cpu));
    EXPECT_EQ(ina(0x01, 0x00), 0x00);
    EXPECT_TRUE(zero_flag(emulator.cpu));
}

TEST_F(KeyboardTest, PostedKeyIsInvisibleUntilTheFirmwarePolls) {
    post_key(keyboard, KeyCode::kLetterA);
    EXPECT_EQ(ina(0x04, 0x00), 0x00);
    EXPECT_FALSE(poll());
    EXPECT_EQ(ina(0x04, 0x00), 0x40);
}

TEST_F(KeyboardTest, BreakIsReportedAtTwoPollsThenEnds) {
    post_key(keyboard, KeyCode::kLetterA);
    poll();
    post_key(keyboard, KeyCode::kBrk);
    EXPECT_TRUE(poll());
    EXPECT_EQ(ina(0x04, 0x00), 0x00) << "BRK clears the key lines";
    EXPECT_TRUE(poll());
    EXPECT_FALSE(poll());
    EXPECT_FALSE(poll());
}

TEST_F(KeyboardTest, AnotherKeyEndsAnActiveBreak) {
    post_key(keyboard, KeyCode::kBrk);
    EXPECT_TRUE(poll());
    post_key(keyboard, KeyCode::kLetterQ);
    EXPECT_FALSE(poll());
}

TEST_F(KeyboardTest, LaterPostReplacesAnUntakenOne) {
    post_key(keyboard, KeyCode::kLetterY);
    post_key(keyboard, KeyCode::kLetterZ);
    poll();
    EXPECT_EQ(ina(0x01 << 2, 0x00), 0x80) << "Z is group A line 2, bit 7";
    EXPECT_EQ(ina(0x00, 0x01), 0x01) << "Y (group B line 0) is not down";
}

TEST(KeyMatrix, EveryKeyHasExactlyOnePlaceAndNoKeyHasNone) {
    for (int code = 0; code <= 90; ++code) {
        Keyboard keyboard;
        set_matrix_key(keyboard, key_code(code));
        int bits = 0;
        for (int line = 0; line < kKeyLines; ++line) {
            bits += __builtin_popcount(keyboard.lines_a[line]) +
                    __builtin_popcount(keyboard.lines_b[line]);
        }
        const bool has_place = code >= 1 && code <= key_number(kHighestKeyCode) &&
                               key_code(code) != KeyCode::kBrk &&
                               key_code(code) != KeyCode::kUnderEnter;
        EXPECT_EQ(bits, has_place ? 1 : 0) << "code " << code;
        EXPECT_EQ(keyboard.key_down, has_place ? 1 : 0) << "code " << code;
    }
}

TEST(KeyMatrix, ReleaseLeavesTheMatrixAsNoKeyDoes) {
    for (int code = 0; code <= 90; ++code) {
        Keyboard released;
        set_matrix_key(released, key_code(code));
        release_matrix_keys(released);
        Keyboard no_key;
        set_matrix_key(no_key, key_code(code));
        set_matrix_key(no_key, KeyCode::kNone);
        EXPECT_EQ(released.lines_a, no_key.lines_a) << "code " << code;
        EXPECT_EQ(released.lines_b, no_key.lines_b) << "code " << code;
        EXPECT_EQ(released.key_down, no_key.key_down) << "code " << code;
    }
}

// Values a command line or a computation may bring: the tables' empty places hold 0xFF, which
// must not light them.
TEST(KeyMatrix, CodesOutsideTheKeysSetNoBit) {
    for (const std::int32_t code : {0, 3, 44, 83, 0xFF, -1, 0x7FFFFFFF, -0x7FFFFFFF - 1}) {
        Keyboard keyboard;
        set_matrix_key(keyboard, key_code(code));
        for (int line = 0; line < kKeyLines; ++line) {
            EXPECT_EQ(keyboard.lines_a[line] | keyboard.lines_b[line], 0) << code;
        }
        EXPECT_EQ(keyboard.key_down, 0) << code;
    }
}

TEST(KeyQueue, KeysWaitInOrderUpToTheBoundAndBreakDropsThem) {
    Keyboard keyboard;
    keyboard.release_address_passed = true;
    ASSERT_TRUE(queue_key(keyboard, KeyCode::kDigit1));
    EXPECT_EQ(keyboard.pending_code, KeyCode::kDigit1) << "an idle keyboard takes it at once";
    for (std::size_t n = 0; n < kKeyQueueCapacity; ++n) {
        ASSERT_TRUE(queue_key(keyboard, n % 2 ? KeyCode::kDigit2 : KeyCode::kDigit3));
    }
    EXPECT_FALSE(queue_key(keyboard, KeyCode::kDigit4));
    deliver_queued_key(keyboard);
    EXPECT_EQ(keyboard.pending_code, KeyCode::kDigit1) << "not before the pending key is taken";
    static_cast<void>(take_pending_key(keyboard));
    deliver_queued_key(keyboard);
    EXPECT_EQ(keyboard.pending_code, KeyCode::kDigit3);
    EXPECT_EQ(keyboard.key_pending, 1);
    EXPECT_TRUE(queue_key(keyboard, KeyCode::kBrk));
    EXPECT_EQ(keyboard.pending_code, KeyCode::kBrk);
    EXPECT_EQ(keyboard.queue.count, 0u);
}

TEST(KeyNames, EveryKeyByItsNameInAnyCase) {
    for (int code = 1; code <= key_number(kHighestKeyCode); ++code) {
        std::string name(key_name(key_code(code)));
        ASSERT_FALSE(name.empty()) << code;
        EXPECT_EQ(key_code_named(name), key_code(code)) << name;
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(key_code_named(name), key_code(code)) << name;
    }
    EXPECT_EQ(key_code_named("Digit"), std::nullopt);
    EXPECT_EQ(key_code_named("None"), std::nullopt);
    EXPECT_EQ(key_name(key_code(83)), "");
}

}  // namespace
}  // namespace tolvan
