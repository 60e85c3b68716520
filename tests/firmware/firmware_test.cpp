// The demo firmware from end to end, through the headless binary on the built ROM images:
// the greeting, typing and editing, the calculator, the cursor blink, SHIFT, the stored
// lines and their recall, BRK, the resets, the tape SAVE and LOAD, Save RAM and Load RAM, and
// the keyboard scan that lets held keys go.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/headless.h"
#include "bus/keyboard.h"
#include "support/command_output.h"
#include "support/files.h"
#include "support/lcd_text.h"
#include "support/scratch_directory.h"
#include "tools/hex_text.h"
#include "tools/symbols.h"

namespace tolvan {
namespace {

constexpr const char* kFirmwareDir = TOLVAN_FIRMWARE_DIR;
constexpr const char* kLowRom = "TOLVANL.ROM";
constexpr const char* kHighRom = "TOLVANH.ROM";
constexpr const char* kSymbolFile = "TOLVAN.sym";
constexpr const char* kTapeFile = "exemple.bas";  // the emulator's default SAVE and LOAD file

using testing::kCursor;
using testing::kFirstChar;
using testing::kFontOffset;
using testing::kGlyphStride;
using testing::Screen;
constexpr int kColumns = testing::kGlyphColumns;
constexpr int kCells = testing::kLcdCells;

// Slices that let a posted key be taken, acted on and released before the next one.
constexpr int kSlicesPerKey = 4;

struct RunResult {
    int status = 0;
    std::vector<Screen> screens;  // one per --lcd, in order
};

std::string press(KeyCode code, int times = 1) {
    std::string actions;
    for (int n = 0; n < times; ++n)
        actions += " --press " + std::to_string(key_number(code)) + " --slices " +
                   std::to_string(kSlicesPerKey);
    return actions;
}

// Types a line and enters it.
std::string enter(const std::string& line) {
    return " --type \"" + line + "\"" + press(KeyCode::kEnter);
}

std::string right_aligned(const std::string& text) {
    return std::string(kCells - text.size(), ' ') + text;
}

std::string left_aligned(const std::string& text) {
    return text + std::string(kCells - text.size(), ' ');
}

class FirmwareTest : public testing::ScratchDirectoryTest {
  protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        for (const char* rom : {kLowRom, kHighRom}) {
            std::filesystem::copy_file(std::filesystem::path(kFirmwareDir) / rom, rom);
        }
        reader_.emplace(testing::read_file(kHighRom));
    }

    RunResult run(const std::string& actions) {
        const testing::CommandOutput output =
            testing::run_command(std::string(TOLVAN_BINARY) + " --headless" + actions);
        EXPECT_EQ(output.err, "");
        return {output.status, reader_->screens_of(output.out)};
    }

    // The text of the one --lcd at the end of the actions.
    std::string shown(const std::string& actions) {
        const RunResult result = run(actions + " --lcd");
        EXPECT_EQ(result.status, 0);
        return result.screens.empty() ? "" : result.screens.back().text;
    }

  private:
    std::optional<testing::LcdReader> reader_;
};

TEST_F(FirmwareTest, FontHasADistinctGlyphForEveryCharacter) {
    const std::string high = testing::read_file(kHighRom);
    std::set<std::string> seen;
    for (int c = kFirstChar; c <= kCursor; ++c) {
        const std::string glyph = high.substr(kFontOffset + kGlyphStride * c, kColumns);
        for (unsigned char column : glyph)
            EXPECT_EQ(column & 0x80, 0) << "character " << c << " uses the eighth dot row";
        EXPECT_TRUE(seen.insert(glyph).second) << "character " << c << " looks like another";
    }
    EXPECT_EQ(seen.count(std::string(kColumns, '\0')), 1u) << "only the space is blank";
}

TEST_F(FirmwareTest, ColdStartGreetsAndTypingShowsTheLineWithItsCursor) {
    const RunResult result = run(" --slices 3 --lcd --type 12+34 --lcd");
    ASSERT_EQ(result.status, 0);
    ASSERT_EQ(result.screens.size(), 2u);
    EXPECT_EQ(result.screens[0].text, right_aligned("TOLVAN READY"));
    EXPECT_EQ(result.screens[0].annunciators, "");
    EXPECT_EQ(result.screens[1].text, left_aligned(std::string("12+34") + kCursor));
}

TEST_F(FirmwareTest, EnterShowsTheSumWithBusyLitWhileItWorks) {
    const RunResult result = run(" --type 12+34 --press 43 --slices 1 --lcd --slices 1 --lcd");
    ASSERT_EQ(result.screens.size(), 2u);
    EXPECT_EQ(result.screens[0].annunciators, "BUSY");
    EXPECT_EQ(result.screens[1].text, right_aligned("46"));
    EXPECT_EQ(result.screens[1].annunciators, "");
}

// Typed text as a script holds it: each line end (CR LF or CR) is ENTER, and repeated keys all
// arrive.
TEST_F(FirmwareTest, TypedLinesAreEnteredOneAfterTheOther) {
    const RunResult result = run(" --type \"$(printf '11+22\\r\\n300-4\\r')\" --slices 2 --lcd" +
                                 press(KeyCode::kUp) + " --lcd" + press(KeyCode::kUp) + " --lcd");
    ASSERT_EQ(result.status, 0);
    ASSERT_EQ(result.screens.size(), 3u);
    EXPECT_EQ(result.screens[0].text, right_aligned("296"));
    EXPECT_EQ(result.screens[1].text.substr(0, 5), "300-4");
    EXPECT_EQ(result.screens[2].text.substr(0, 5), "11+22");
}

TEST_F(FirmwareTest, TwentyDigitSumsCarryIntoATwentyFirstDigit) {
    // 12345678901234567890 + 98765432109876543210 = 111111111011111111100: 21 digits, seen
    // 16 at a time; the right arrow moves the view and stops at the last digit.
    const RunResult result = run(enter("12345678901234567890+98765432109876543210") + " --lcd" +
                                 press(KeyCode::kRight, 5) + " --lcd" + press(KeyCode::kRight, 2) +
                                 " --lcd" + press(KeyCode::kLeft, 2) + " --lcd");
    ASSERT_EQ(result.screens.size(), 4u);
    EXPECT_EQ(result.screens[0].text, "1111111110111111");
    EXPECT_EQ(result.screens[1].text, "1111011111111100");
    EXPECT_EQ(result.screens[2].text, "1111011111111100");
    EXPECT_EQ(result.screens[3].text, "1111110111111111");
    EXPECT_EQ(shown(enter("99999999999999999999+1") + press(KeyCode::kRight, 5)),
              "0000000000000000");
    EXPECT_EQ(shown(enter("99999999999999999999+1")), "1000000000000000");
}

TEST_F(FirmwareTest, SubtractionsBorrowAndNegativeResultsShowTheirSign) {
    EXPECT_EQ(shown(enter("20000000000000000000-1")), "1999999999999999");
    EXPECT_EQ(shown(enter("20000000000000000000-1") + press(KeyCode::kRight, 4)),
              "9999999999999999");
    EXPECT_EQ(shown(enter("5-12")), right_aligned("-7"));
    EXPECT_EQ(shown(enter(" -3 + 1 - 99 ")), right_aligned("-101"));
    EXPECT_EQ(shown(enter("1-99999999999999999999") + press(KeyCode::kRight, 5)),
              "9999999999999998");
    EXPECT_EQ(shown(enter("1-99999999999999999999")), "-999999999999999");
    EXPECT_EQ(shown(enter("7-7")), right_aligned("0"));
}

TEST_F(FirmwareTest, InvalidExpressionsSayWhy) {
    EXPECT_EQ(shown(enter("1+")), right_aligned("SYNTAX ERROR"));
    EXPECT_EQ(shown(enter("2++3")), right_aligned("SYNTAX ERROR"));
    EXPECT_EQ(shown(enter("abc")), right_aligned("SYNTAX ERROR"));
    EXPECT_EQ(shown(enter("12 34")), right_aligned("SYNTAX ERROR"));
    EXPECT_EQ(shown(enter("123456789012345678901")), right_aligned("TOO MANY DIGITS"));
    // The calculator is ready again at once.
    EXPECT_EQ(shown(enter("1+") + enter("1+2")), right_aligned("3"));
}

TEST_F(FirmwareTest, TheCursorShowsAndHidesEveryHalfSecond) {
    // One slice is one pass of the main loop, 10 ms of real time in the window.
    constexpr int kSample = 5;
    constexpr int kSamples = 60;
    std::string actions = " --type 7";
    for (int n = 0; n < kSamples; ++n)
        actions += " --slices " + std::to_string(kSample) + " --lcd";
    const RunResult result = run(actions);
    ASSERT_EQ(result.screens.size(), static_cast<std::size_t>(kSamples));
    const std::string on = left_aligned(std::string("7") + kCursor);
    const std::string off = left_aligned("7");
    std::vector<int> changes;
    for (int n = 0; n < kSamples; ++n) {
        const std::string& text = result.screens[n].text;
        ASSERT_TRUE(text == on || text == off) << text;
        if (n > 0 && text != result.screens[n - 1].text) changes.push_back(n);
    }
    ASSERT_GE(changes.size(), 3u) << "the cursor blinks";
    for (std::size_t n = 1; n < changes.size(); ++n) {
        const int slices = (changes[n] - changes[n - 1]) * kSample;
        EXPECT_GE(slices, 30) << "not a flicker";
        EXPECT_LE(slices, 80) << "not a crawl";
    }
}

TEST_F(FirmwareTest, ShiftLightsItsAnnunciatorAndGivesTheSecondFunction) {
    const RunResult result =
        run(" --type ab" + press(KeyCode::kShift) + " --lcd --type c --lcd" +
            press(KeyCode::kShift) + press(KeyCode::kShift) + " --type d --lcd");
    ASSERT_EQ(result.screens.size(), 3u);
    EXPECT_EQ(result.screens[0].annunciators, "SHIFT");
    EXPECT_EQ(result.screens[1].text, left_aligned(std::string("ABc") + kCursor));
    EXPECT_EQ(result.screens[1].annunciators, "");
    EXPECT_EQ(result.screens[2].text, left_aligned(std::string("ABcD") + kCursor))
        << "a second SHIFT cancels the first";
    EXPECT_EQ(shown(" --type 1" + press(KeyCode::kShift) + " --type 2"),
              left_aligned(std::string("1@") + kCursor));
}

TEST_F(FirmwareTest, ArrowsMoveTheCursorAndTypingInsertsThere) {
    EXPECT_EQ(shown(" --type abcd" + press(KeyCode::kLeft, 2) + " --type x"),
              left_aligned(std::string("ABX") + kCursor + "D"));
    // SHIFT with the left arrow deletes before the cursor, with the right arrow under it.
    EXPECT_EQ(shown(" --type abcd" + press(KeyCode::kLeft, 2) + press(KeyCode::kShift) +
                    press(KeyCode::kLeft)),
              left_aligned(std::string("A") + kCursor + "D"));
    EXPECT_EQ(shown(" --type abcd" + press(KeyCode::kLeft, 2) + press(KeyCode::kShift) +
                    press(KeyCode::kRight)),
              left_aligned(std::string("AB") + kCursor));
    EXPECT_EQ(shown(" --type ab" + press(KeyCode::kLeft, 5) + " --type x"),
              left_aligned(std::string("X") + kCursor + "B"));
    EXPECT_EQ(shown(" --type ab" + press(KeyCode::kRight, 3) + " --type x"),
              left_aligned(std::string("ABX") + kCursor));
}

TEST_F(FirmwareTest, CceClearsTheLine) {
    EXPECT_EQ(shown(" --type 123" + press(KeyCode::kCce)), left_aligned(std::string(1, kCursor)));
    EXPECT_EQ(shown(" --type 123" + press(KeyCode::kCce) + " --type 4"),
              left_aligned(std::string("4") + kCursor));
}

TEST_F(FirmwareTest, LongLinesScrollToKeepTheCursorInView) {
    const std::string line = "1234567890ABCDEFGHIJ";
    EXPECT_EQ(shown(" --type " + line), std::string("67890ABCDEFGHIJ") + kCursor);
    EXPECT_EQ(shown(" --type " + line + press(KeyCode::kLeft, 20)),
              std::string(1, kCursor) + "234567890ABCDEF");
    EXPECT_EQ(shown(enter(line)), right_aligned("SYNTAX ERROR"));
}

TEST_F(FirmwareTest, UpAndDownRecallTheStoredLines) {
    const RunResult result =
        run(enter("1+1") + enter("2+2") + enter("3+3") + press(KeyCode::kUp) + " --lcd" +
            press(KeyCode::kUp, 2) + " --lcd" + press(KeyCode::kUp) + " --lcd" +
            press(KeyCode::kDown) + " --lcd" + press(KeyCode::kDown, 2) + " --lcd" +
            press(KeyCode::kUp) + press(KeyCode::kEnter) + " --lcd");
    ASSERT_EQ(result.screens.size(), 6u);
    EXPECT_EQ(result.screens[0].text, left_aligned(std::string("3+3") + kCursor));
    EXPECT_EQ(result.screens[1].text, left_aligned(std::string("1+1") + kCursor));
    EXPECT_EQ(result.screens[2].text, left_aligned(std::string("1+1") + kCursor))
        << "the oldest line stays";
    EXPECT_EQ(result.screens[3].text, left_aligned(std::string("2+2") + kCursor));
    EXPECT_EQ(result.screens[4].text, left_aligned(std::string(1, kCursor)))
        << "past the newest line comes an empty one";
    EXPECT_EQ(result.screens[5].text, right_aligned("6"));
}

TEST_F(FirmwareTest, SixteenLinesAreKeptTheOldestGoingFirst) {
    std::string actions;
    for (int n = 1; n <= 17; ++n)
        actions += enter(std::to_string(n));
    EXPECT_EQ(shown(actions + press(KeyCode::kUp, 16)), left_aligned(std::string("2") + kCursor));
    EXPECT_EQ(shown(actions + press(KeyCode::kUp, 20)), left_aligned(std::string("2") + kCursor));
    EXPECT_EQ(shown(actions + press(KeyCode::kUp)), left_aligned(std::string("17") + kCursor));
}

TEST_F(FirmwareTest, BrkShowsBreak) {
    EXPECT_EQ(shown(" --type 12" + press(KeyCode::kBrk)), right_aligned("BREAK"));
    EXPECT_EQ(shown(" --type 12 --break --slices 4"), right_aligned("BREAK"));
    // The line is still there for the arrows, and typing starts a new one.
    EXPECT_EQ(shown(" --type 12" + press(KeyCode::kBrk) + press(KeyCode::kLeft)),
              left_aligned(std::string("1") + kCursor));
    EXPECT_EQ(shown(" --type 12" + press(KeyCode::kBrk) + " --type 3"),
              left_aligned(std::string("3") + kCursor));
}

TEST_F(FirmwareTest, BrkStopsASaveAndClosesTheFile) {
    // Sixteen lines of 80 characters take some ten slices to send.
    const std::string line(80, 'W');
    std::string lines = enter(line);
    for (int n = 1; n < 16; ++n)
        lines += press(KeyCode::kUp) + press(KeyCode::kEnter);
    std::string full;
    for (int n = 0; n < 16; ++n)
        full += line + "\r\n";
    EXPECT_EQ(shown(lines + " --type save --press 43 --slices 3 --break --slices 4"),
              right_aligned("BREAK"));
    const std::string cut = testing::read_file(kTapeFile);
    EXPECT_GT(cut.size(), 0u);
    EXPECT_LT(cut.size(), full.size());
    EXPECT_EQ(cut, full.substr(0, cut.size()));
    // The next SAVE starts a new file rather than adding to the broken one.
    EXPECT_EQ(shown(lines + enter("save") + " --slices 20"), right_aligned("SAVE OK"));
    EXPECT_EQ(testing::read_file(kTapeFile), full);
}

TEST_F(FirmwareTest, SimpleResetKeepsTheStoredLinesAndAColdStartClearsThem) {
    const std::string lines = enter("4+5") + enter("6+7");
    const RunResult warm =
        run(lines + " --simple-reset --slices 4 --lcd" + press(KeyCode::kUp) + " --lcd");
    ASSERT_EQ(warm.screens.size(), 2u);
    EXPECT_EQ(warm.screens[0].text, right_aligned("TOLVAN READY"));
    EXPECT_EQ(warm.screens[1].text, left_aligned(std::string("6+7") + kCursor));
    EXPECT_EQ(shown(lines + " --all-reset --slices 4" + press(KeyCode::kUp)),
              left_aligned(std::string(1, kCursor)));
}

TEST_F(FirmwareTest, SaveRamThenLoadRamKeepsTheStoredLines) {
    ASSERT_EQ(run(enter("8+9") + enter("10-4") + " --save-ram").status, 0);
    EXPECT_EQ(shown(" --slices 2" + press(KeyCode::kUp) + press(KeyCode::kUp)),
              left_aligned(std::string("8+9") + kCursor));
    // And Load RAM in the same run goes back to what was saved.
    EXPECT_EQ(shown(enter("8+9") + " --save-ram" + enter("1") + " --load-ram --slices 2" +
                    press(KeyCode::kUp)),
              left_aligned(std::string("8+9") + kCursor));
}

TEST_F(FirmwareTest, SaveWritesTheStoredLinesToTheTape) {
    EXPECT_EQ(shown(enter("12+34") + enter("5 - 2") + enter("save")), right_aligned("SAVE OK"));
    EXPECT_EQ(testing::read_file(kTapeFile), "12+34\r\n5 - 2\r\n");
    // The command itself is not stored, and a SAVE replaces the file.
    EXPECT_EQ(shown(enter("1") + enter("SAVE") + press(KeyCode::kUp)),
              left_aligned(std::string("1") + kCursor));
    EXPECT_EQ(testing::read_file(kTapeFile), "1\r\n");
}

TEST_F(FirmwareTest, SaveThatCannotBeWrittenIsReported) {
    testing::write_file("Tolvan.ini", "[Fichiers]\nFileSAVE=missing/prog.bas\n");
    const testing::CommandOutput output = testing::run_command(
        std::string(TOLVAN_BINARY) + " --headless" + enter("12+34") + enter("save") + " --lcd");
    EXPECT_EQ(output.status, 1);
    const std::string failure =
        "Erreur pendant l'écriture du fichier SAVE\nmissing/prog.bas: No such file or directory\n";
    EXPECT_EQ(output.err, failure);
    EXPECT_FALSE(std::filesystem::exists("missing"));
    // Two SAVEs within one action: each failure is told, and the run ends after that action.
    const testing::CommandOutput twice = testing::run_command(
        std::string(TOLVAN_BINARY) + " --headless --type '12+34\nsave\nsave\n' --lcd");
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err, failure + failure);
    EXPECT_EQ(twice.out, "");
}

TEST_F(FirmwareTest, LoadStoresTheLinesOfTheTape) {
    testing::write_file(kTapeFile, "10+5\r\n7-9\r\nabc def\r\n");
    const RunResult result =
        run(enter("99") + enter("load") + " --lcd" + press(KeyCode::kUp) + " --lcd" +
            press(KeyCode::kUp) + " --lcd" + press(KeyCode::kUp) + press(KeyCode::kUp) + " --lcd" +
            press(KeyCode::kEnter) + " --lcd");
    ASSERT_EQ(result.screens.size(), 5u);
    EXPECT_EQ(result.screens[0].text, right_aligned("LOAD OK"));
    EXPECT_EQ(result.screens[1].text, left_aligned(std::string("abc def") + kCursor));
    EXPECT_EQ(result.screens[2].text, left_aligned(std::string("7-9") + kCursor));
    EXPECT_EQ(result.screens[3].text, left_aligned(std::string("10+5") + kCursor))
        << "the loaded lines replace the stored ones";
    EXPECT_EQ(result.screens[4].text, right_aligned("15"));
    // Loaded and saved again, the lines come out as they went in.
    std::filesystem::remove(kTapeFile);
    testing::write_file(kTapeFile, "1+2\r\n\r\n3\r\n");
    EXPECT_EQ(shown(enter("load") + enter("save")), right_aligned("SAVE OK"));
    EXPECT_EQ(testing::read_file(kTapeFile), "1+2\r\n3\r\n");
}

TEST_F(FirmwareTest, LoadWithoutLinesKeepsTheStoredOnes) {
    EXPECT_EQ(shown(enter("5") + enter("load")), right_aligned("NOTHING LOADED"));
    EXPECT_EQ(shown(enter("5") + enter("load") + press(KeyCode::kUp)),
              left_aligned(std::string("5") + kCursor));
    testing::write_file(kTapeFile, "\r\n\r\n");
    EXPECT_EQ(shown(enter("5") + enter("load") + press(KeyCode::kUp)),
              left_aligned(std::string("5") + kCursor));
}

TEST_F(FirmwareTest, TheScanPassesTheKeyReleasePointOncePerPass) {
    const RunResult result = run(" --slices 3 --trace trace.txt --slices 10");
    ASSERT_EQ(result.status, 0);
    std::istringstream trace(testing::read_file("trace.txt"));
    int passes = 0;
    for (std::string line; std::getline(trace, line);)
        passes += line.rfind("1330 ", 0) == 0;
    EXPECT_EQ(passes, 10);
    // A held key goes, so that the same key pressed again types again.
    EXPECT_EQ(shown(press(KeyCode::kLetterA) + press(KeyCode::kLetterA) + press(KeyCode::kLetterA)),
              left_aligned(std::string("AAA") + kCursor));
}

// The symbol file that the firmware build writes, found in the machine folder or named on the
// command line: --until stops at a label, before its instruction, with the way there printed;
// a label that the run does not reach within its limit sets the exit status.
TEST_F(FirmwareTest, UntilStopsAtALabelOfTheSymbolFile) {
    const std::filesystem::path symbols_file = std::filesystem::path(kFirmwareDir) / kSymbolFile;
    Symbols symbols;
    ASSERT_TRUE(read_symbol_file(symbols_file, symbols));
    const std::uint16_t main_loop = *find_symbol(symbols, "main_loop");
    std::filesystem::copy_file(symbols_file, kSymbolFile);

    const testing::CommandOutput reached = testing::run_command(
        std::string(TOLVAN_BINARY) + " --headless --until main_loop --slices 50 --state");
    EXPECT_EQ(reached.status, 0) << reached.err;
    EXPECT_EQ(
        reached.out.rfind(
            "stopped before " + hex4(main_loop) + " (main_loop): reached the --until address\n", 0),
        0u)
        << reached.out;
    EXPECT_NE(reached.out.find("\"pc\": " + std::to_string(main_loop) + ","), std::string::npos);
    // The way there, from the first instruction after power-on.
    EXPECT_NE(reached.out.find("\n0000: 79 01 00     JP    cold_start "), std::string::npos);

    std::filesystem::remove(kSymbolFile);
    const testing::CommandOutput missed =
        testing::run_command(std::string(TOLVAN_BINARY) + " --headless --symbols " +
                             symbols_file.string() + " --until enter_line --slices 5");
    EXPECT_EQ(missed.status, kExitNotReached);
    EXPECT_NE(missed.err.find("--until " + hex4(*find_symbol(symbols, "enter_line")) +
                              " (enter_line): not reached"),
              std::string::npos)
        << missed.err;
}

}  // namespace
}  // namespace tolvan
