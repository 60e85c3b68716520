// The headless front end through the real binary: actions in command-line order, the state and
// LCD printouts, screenshots, traces, errors and usage, and the key press from end to end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/headless.h"
#include "base/png.h"
#include "machine/control.h"
#include "machine/display.h"
#include "support/command_output.h"
#include "support/files.h"
#include "support/rom_images.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using RunResult = testing::CommandOutput;

class HeadlessTest : public testing::ScratchDirectoryTest {
  protected:
    testing::RomImages roms;

    RunResult run(const std::string& arguments) {
        return testing::run_command(std::string(TOLVAN_BINARY) + " --headless " + arguments);
    }
    // The warning of a run whose ROM images cannot run, one line per image.
    std::string rom_warning(const std::vector<std::string>& images) const {
        std::string text = "tolvan: warning: no instruction runs: ROM images missing or short in ";
        text += std::filesystem::current_path().string();
        text += "\n";
        for (const std::string& image : images) {
            text += "  ";
            text += image;
            text += "\n";
        }
        text += "  Put your own ROM images there, or run the demo firmware: tolvan --demo\n";
        return text;
    }
    // The line of --lcd output for one dot row.
    static std::string lcd_row(const std::string& lcd, int row) {
        std::istringstream lines(lcd);
        std::string line;
        for (int n = 0; n <= row; ++n)
            std::getline(lines, line);
        return line;
    }
};

// Reads one key at 0x0000: TEST 8 takes a posted key into the matrix, a write to 0x7E00
// strobes group A line 2, INA reads it, the value goes to the first LCD column; then a jump.
void place_matrix_reader(testing::RomImages& roms, std::uint8_t jump_high, std::uint8_t jump_low) {
    roms.place(0x0000, {0x6B, 0x08,                   // TEST 8
                        0x10, 0x7E, 0x00,             // LIDP 7E00
                        0x02, 0x04,                   // LIA  04
                        0x52,                         // STD        strobe line 2
                        0x4C,                         // INA
                        0x10, 0x70, 0x00,             // LIDP 7000
                        0x52,                         // STD        first LCD column
                        0x79, jump_high, jump_low});  // JP
}

// Firmware that scans one key the way the machine's own does: the matrix reader, then the scan
// passes 0x1330 before switching the display on.
void place_key_scanner(testing::RomImages& roms) {
    place_matrix_reader(roms, 0x13, 0x30);
    roms.place(0x1330, {0x12, 0x5F,          // LIP  5F
                        0x61, 0x01,          // ORIM 01
                        0xDF,                // OUTC       display on: the slice ends
                        0x79, 0x00, 0x00});  // JP   0000
}

TEST_F(HeadlessTest, WithoutRomsTheMachineStandsStill) {
    const RunResult result = run("--slices 3 --steps 10 --state");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\"power_on_status\": 6"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"pc\": 0,"), std::string::npos);
    EXPECT_TRUE(testing::entries_of(directory()).empty()) << "nothing written unasked";
}

TEST_F(HeadlessTest, KeyPressFromEndToEnd) {
    place_key_scanner(roms);
    roms.write();
    const RunResult result = run("--press 24 --slices 1 --lcd --slices 2 --lcd --slices 1 --lcd");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string pressed = "#...." + std::string(90, ' ');
    std::istringstream outputs(result.out);
    std::string lcd[3];
    for (auto& one : lcd) {
        for (int line = 0; line < 8; ++line) {
            std::string text;
            std::getline(outputs, text);
            one += text + "\n";
        }
    }
    // INA read 0x40 (bit 6: the bottom dot row) while the key was held.
    EXPECT_EQ(lcd_row(lcd[0], 6).substr(0, 5), "#....");
    EXPECT_EQ(lcd_row(lcd[0], 0).substr(0, 5), ".....");
    EXPECT_EQ(lcd_row(lcd[1], 6).substr(0, 5), "#....") << "still held before the third pass";
    EXPECT_EQ(lcd_row(lcd[2], 6).substr(0, 5), ".....") << "released after three passes";
}

// Firmware that reads the matrix its own way never reaches the key-release address: each new key
// replaces the one held, as no queue could know when the firmware is done with it.
TEST_F(HeadlessTest, FirmwareThatNeverPassesTheReleaseAddressGetsEveryKey) {
    place_matrix_reader(roms, 0x00, 0x00);
    roms.write();
    const RunResult result =
        run("--steps 200 --press LetterA --steps 100 --peek 0x7000 0x7000 --press LetterZ "
            "--steps 100 --peek 0x7000 0x7000 --press LetterA --steps 100 --peek 0x7000 0x7000");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "7000: 40\n7000: 80\n7000: 40\n");
}

TEST_F(HeadlessTest, TypingWaitsForEachKeyToBeTakenAndReleased) {
    place_key_scanner(roms);
    roms.write();
    // The scan that releases the key comes after the one that last read it: one slice more
    // shows the released key.
    const RunResult result = run("--type a --state --slices 1 --lcd");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"pc\": 4917,"), std::string::npos) << "a slice ends after OUTC";
    EXPECT_EQ(lcd_row(result.out.substr(result.out.find('\n') + 1), 6).substr(0, 5), ".....");
}

TEST_F(HeadlessTest, StepsDoNotStopForTheDisplayAndLeaveNoRequestBehind) {
    // LIA 2A; LIP 5F; ORIM 01; OUTC; NOPW; JP 0007: the display switched on does not stop the
    // steps, and the slices that follow run in full.
    roms.place(0x0000, {0x02, 0x2A, 0x12, 0x5F, 0x61, 0x01, 0xDF, 0x4D, 0x79, 0x00, 0x07});
    roms.write();
    const RunResult result = run("--steps 5 --state --trace trace.txt --slices 1");
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\"pc\": 8,"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"refresh_request\": 0"), std::string::npos);
    EXPECT_NE(result.out.find("\"iram\": \"00002a"), std::string::npos);
    const std::string trace = testing::read_file("trace.txt");
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 10000);
}

// Whatever MaxDelay says, a headless run spends no time in the delay loop: at the largest one
// (hours of passes for a slice) it finishes at once, and the value is still kept and saved.
TEST_F(HeadlessTest, DelayedRunsGiveTheSameMachineEveryTime) {
    // A loop that waits for each 2 ms tick with TEST: TEST 02; JRZP 0007; INCK; JRM 0000;
    // INCL; JRM 0000. What it counts depends on where the ticks fall among its instructions.
    roms.place(0x0000, {0x6B, 0x02, 0x38, 0x04, 0x48, 0x2D, 0x06, 0xC8, 0x2D, 0x09});
    roms.write();
    std::vector<std::string> states;
    for (const char* delay : {"0", "5000", "5000", "2147483647"}) {
        testing::write_file("Tolvan.ini", std::string("[Horloge]\nMaxDelay=") + delay + "\n");
        // `timeout` turns a run that would take hours into a failure instead of a stuck test.
        const RunResult result = testing::run_command(std::string("timeout 60 ") + TOLVAN_BINARY +
                                                      " --headless --slices 4 --steps 100 --state "
                                                      "--save-ram");
        ASSERT_EQ(result.status, 0) << delay << ": " << result.err;
        std::string state = result.out;
        // The delay itself, under its name and its older key, is all that differs.
        for (const char* key : {"delay_limit", "max_delay"}) {
            const std::string field = std::string("\"") + key + "\": " + delay + ",";
            ASSERT_NE(state.find(field), std::string::npos) << state;
            state.replace(state.find(field), field.size(), "");
        }
        states.push_back(state);
        EXPECT_NE(testing::read_file("Tolvan.ini").find(std::string("MaxDelay=") + delay + "\n"),
                  std::string::npos)
            << delay;
    }
    for (const std::string& state : states)
        EXPECT_EQ(state, states[0]);
}

TEST_F(HeadlessTest, TraceWritesOneLinePerInstruction) {
    roms.place(0x0000, {0x02, 0x2A, 0x48, 0x79, 0x00, 0x00});  // LIA 2A; INCK; JP 0000
    roms.write();
    const RunResult result = run("--steps 1 --trace trace.txt --steps 2");
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(testing::read_file("trace.txt"),
              "0002 48 A=2A B=00 I=00 J=00 X=0000 Y=0000 P=00 Q=08 R=00 DP=0000 F=00 T=4\n"
              "0003 79 A=2A B=00 I=00 J=00 X=0000 Y=0000 P=00 Q=08 R=00 DP=0000 F=00 T=6\n");
}

TEST_F(HeadlessTest, ScreenshotShowsTheDrawnLcd) {
    // Light the top dot of column 0 and the BUSY annunciator, then switch the display on.
    roms.place(0x0000, {0x10, 0x70, 0x00, 0x02, 0x01, 0x52,  // LIDP 7000; LIA 01; STD
                        0x10, 0x70, 0x3D, 0x52,              // LIDP 703D; STD
                        0x10, 0x70, 0x01, 0x23, 0x52,        // LIDP 7001; RA; STD
                        0x12, 0x5F, 0x61, 0x01, 0xDF,        // LIP 5F; ORIM 01; OUTC
                        0x79, 0x00, 0x14});                  // JP 0014
    roms.write();
    const RunResult result = run("--slices 1 --screenshot shot.png");
    ASSERT_EQ(result.status, 0) << result.err;
    const auto shot = read_png("shot.png");
    ASSERT_TRUE(shot.has_value());
    ASSERT_EQ(shot->width, kClientWidth);
    ASSERT_EQ(shot->height, kClientHeight);
    EXPECT_EQ(shot->at(kLcdLeft, kLcdTop), kLcdDot);
    EXPECT_EQ(shot->at(kLcdLeft + 1, kLcdTop + 1), kLcdDot);
    EXPECT_EQ(shot->at(kLcdLeft, kLcdTop + kDotPitch), kLcdBackground);
    EXPECT_EQ(shot->at(kLcdLeft + kColumnPitch, kLcdTop), kLcdBackground) << "column 1 is dark";
    // An unlit annunciator shows the plain glass; BUSY shows its lit legend.
    const Annunciator& def = kAnnunciators[1];
    for (int y = def.area.top; y < def.area.top + def.area.height; ++y) {
        EXPECT_EQ(shot->at(def.area.left + 2, y), kLcdBackground);
    }
    const Annunciator& busy = kAnnunciators[0];
    bool busy_has_ink = false;
    for (int y = busy.area.top; y < busy.area.top + busy.area.height; ++y) {
        for (int x = busy.area.left; x < busy.area.left + busy.area.width; ++x)
            busy_has_ink |= shot->at(x, y) != kLcdBackground;
    }
    EXPECT_TRUE(busy_has_ink);
}

TEST_F(HeadlessTest, ReportedErrorEndsTheRunWithStatusOne) {
    roms.write();
    testing::write_file("Tolvan.ini", "[Fichiers]\nFileRAM=no-such-dir/x.ram\n");
    const RunResult result = run("--save-ram --state");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(
        result.err,
        "Erreur pendant l'écriture de la RAM\nno-such-dir/x.ram: No such file or directory\n");
    EXPECT_TRUE(result.out.empty()) << "actions after the error do not run";
}

// A usage error is one line naming the problem, then where the help is; nothing runs, and no
// file is written.
TEST_F(HeadlessTest, WrongUsageRunsNothing) {
    const struct {
        const char* arguments;  // after --headless --state
        const char* problem;
    } cases[] = {
        {"--ram-size 5", "--ram-size: not 4, 8 or 16: 5"},
        {"--steps", "--steps needs a value: N"},
        {"--steps x", "--steps: not a number: x"},
        {"--steps 99999999999999999999", "--steps: out of range: 99999999999999999999"},
        {"--slices -1", "--slices: out of range: -1"},
        {"--frobnicate", "unknown option --frobnicate"},
        {"--unassemble 0 10", "--unassemble needs 3 values: FROM TO FILE"},
        {"--unassemble 0 0x10000 out.asm", "--unassemble: out of range (0-65535): 0x10000"},
        {"--unassemble 10 5 out.asm", "--unassemble: FROM after TO"},
        {"--unassemble-source 0x8001 0x8000 out.asm", "--unassemble-source: FROM after TO"},
        {"--press 0", "--press: out of range (1-82): 0"},
        {"--press 83", "--press: out of range (1-82): 83"},
        {"--press 4294967320", "--press: out of range (1-82): 4294967320"},
        {"--press -1", "--press: out of range (1-82): -1"},
        {"--press Digit", "--press: not a key code (1-82) or key name: Digit"},
        {"--press ''", "--press: not a key code (1-82) or key name: "},
        {"--until 5", "--until needs a --steps or --slices after it"},
        {"--until 5 --until 6 --steps 1", "--until needs a --steps or --slices after it"},
        {"--until nowhere --steps 1",
         "--until: not an address (0-65535, 0xFFFF, &FFFF or a label): nowhere"},
        {"--poke 0 3E0", "--poke: not hexadecimal bytes (\"3E 01\" or 3E01): 3E0"},
        {"--poke 0xFFFF 3E01", "--poke: the bytes go past FFFF"},
        {"--peek 5 4", "--peek: FROM after TO"},
        {"--peek 65536 65536", "--peek: out of range (0-65535): 65536"},
        {"--watch-write 5", "--watch-write: not an address range FROM-TO: 5"},
        {"--steps 1 -C", "-C needs a value: DIR"},
        {"-C . --demo", "-C and --demo choose two folders; give one"},
    };
    for (const auto& c : cases) {
        const RunResult result = run(std::string("--state ") + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_TRUE(result.out.empty()) << c.arguments;
        EXPECT_EQ(result.err, std::string("tolvan: ") + c.problem + "\nTry 'tolvan --help'.\n");
        EXPECT_TRUE(testing::entries_of(directory()).empty()) << c.arguments;
    }
}

TEST_F(HeadlessTest, TypingWhatNoKeyTypesIsAUsageErrorNamingTheCharacters) {
    const RunResult result = run("--state --type 'a!b\tc!é'");
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("no key types these characters: ! U+0009 é\n"), std::string::npos)
        << result.err;
}

TEST_F(HeadlessTest, KeysPressedByCodeOrName) {
    place_key_scanner(roms);
    roms.write();
    for (const char* key : {"24", "0x18", "LetterA", "lettera"}) {
        const RunResult result = run(std::string("--press ") + key + " --slices 1 --lcd");
        ASSERT_EQ(result.status, 0) << key << ": " << result.err;
        EXPECT_EQ(lcd_row(result.out, 6).substr(0, 5), "#....") << key;
    }
}

TEST_F(HeadlessTest, MenuCommandsWithoutConfirmation) {
    roms.write();
    const RunResult result = run("--ram-size 8 --simple-reset --state");
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\"ram_size\": 8,"), std::string::npos);
    EXPECT_NE(result.out.find("\"pc\": 24,"), std::string::npos);
}

TEST_F(HeadlessTest, SaveRamWritesTheImageAndTheConfiguration) {
    roms.write();
    const RunResult result = run("--save-ram");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::filesystem::file_size("TOLVAN.RAM"), 0x6000u);
    EXPECT_TRUE(std::filesystem::exists("Tolvan.ini"));
}

// With a symbol file in the folder, the listing names the labels; --no-symbols gives the plain
// listing from there on.
TEST_F(HeadlessTest, UnassemblesARangeInBothFormats) {
    roms.place(0x8000, {0x10, 0x12, 0x34, 0x28, 0x03, 0xE1, 0x23, 0x85});
    roms.write();
    testing::write_file("program.sym", "next 8007\n");
    const RunResult result =
        run("--unassemble 0x8000 0x8007 labelled.txt --no-symbols --unassemble next-7 next "
            "list.txt --unassemble-source 32768 32775 source.asm");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(testing::read_file("labelled.txt").find("JRNZP next\n"), std::string::npos);
    EXPECT_EQ(testing::read_file("list.txt"),
              "8000: 10 12 34     LIDP  1234\n"
              "8003: 28 03        JRNZP 8007\n"
              "8005: E1 23        CAL   &0123\n");
    EXPECT_NE(testing::read_file("source.asm").find("L_8003:  JRNZP L_8007\n"), std::string::npos);
}

TEST_F(HeadlessTest, PokeAndPeekAnyCellAndAWatchedWriteStopsTheRun) {
    place_key_scanner(roms);
    roms.write();
    testing::write_file("scanner.sym",
                        "; the scanner's places\nstrobe 0005\nlcd 000C\n"
                        "COLUMN 7000 EQU\n");
    const RunResult result =
        run("--poke 0x2000 '3E 01' --poke '&9000' AB --peek 0x1FFE 0x2001 "
            "--peek 36864 36864 --watch-write COLUMN-COLUMN --slices 3 "
            "--state");
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    const char* expected[] = {
        "1FFE: 00 00 3E 01",
        "9000: AB",
        "stopped before 000D (lcd+1): watched write of 7000 (COLUMN) by the instruction at 000C "
        "(lcd)",
        "history, oldest first (7 instructions):",
        "0000: 6B 08        TEST  08",
    };
    for (const char* text : expected) {
        std::getline(lines, line);
        EXPECT_EQ(line.substr(0, std::string(text).size()), text);
    }
    EXPECT_NE(result.out.find("\"pc\": 13,"), std::string::npos) << "the run ends at the stop";

    const RunResult single = run("--until 2 --steps 5");
    EXPECT_EQ(single.out.substr(0, single.out.find("\n0000")),
              "stopped before 0002: reached the --until address\n"
              "history, oldest first (1 instruction):");
}

// -h and --help anywhere, whatever else the line holds, answer with the help alone; --version
// with the version, unless help is asked for too. The program's own arguments, not only the
// headless ones.
TEST_F(HeadlessTest, HelpAndVersionAnswerWithoutRunning) {
    const struct {
        const char* arguments;
        const char* answer;  // the start of standard output
    } cases[] = {
        {"--help", "Usage: tolvan [-C DIR | --demo]"},
        {"-h", "Usage: tolvan [-C DIR | --demo]"},
        {"--help extra", "Usage: tolvan"},
        {"--help --version", "Usage: tolvan"},
        {"--version --help", "Usage: tolvan"},
        {"--frobnicate -h", "Usage: tolvan"},
        {"-C no-such-folder --headless --state --steps x --help", "Usage: tolvan"},
        {"--version", "tolvan 0."},
        {"--version extra", "tolvan 0."},
        {"--headless --save-ram --version", "tolvan 0."},
    };
    for (const auto& c : cases) {
        const RunResult result =
            testing::run_command(std::string(TOLVAN_BINARY) + " " + c.arguments);
        EXPECT_EQ(result.status, 0) << c.arguments;
        EXPECT_EQ(result.out.rfind(c.answer, 0), 0u) << c.arguments << ": " << result.out;
        EXPECT_EQ(result.err, "") << c.arguments;
        EXPECT_TRUE(testing::entries_of(directory()).empty()) << c.arguments;
    }
    // The one usage line of the program's own options.
    const RunResult action = testing::run_command(std::string(TOLVAN_BINARY) + " --steps 1");
    EXPECT_EQ(action.status, 2);
    EXPECT_EQ(action.err, "tolvan: --steps needs --headless before it\nTry 'tolvan --help'.\n");
    const RunResult folder = run("-C no-such-folder");
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err,
              "tolvan: cannot change to no-such-folder: No such file or directory\n"
              "Try 'tolvan --help'.\n");
}

TEST_F(HeadlessTest, ChangeDirectoryComesFirst) {
    std::filesystem::create_directory("work");
    const RunResult result = run("--save-ram -C work");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists("work/TOLVAN.RAM"));
}

// A FIFO with no writer would block an ordinary open for ever; `timeout` turns a hang into a
// failure of the test instead of a stuck run.
TEST_F(HeadlessTest, FifosAndFoldersNamedAsInputFilesNeverBlock) {
    roms.place(0x0000, {0x79, 0xF1, 0x0F});  // JP F10F
    roms.place(0xF10F, {0xCC});              // INB: the firmware's LOAD opens its file
    roms.write();
    for (const char* name : {"Tolvan.ini", "TOLVAN.RAM", "exemple.bas"})
        ASSERT_EQ(::mkfifo(name, 0644), 0) << name;
    RunResult result = testing::run_command(std::string("timeout 20 ") + TOLVAN_BINARY +
                                            " --headless --steps 2 --state --load-ram");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\"pc\": 61712"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "Erreur pendant la lecture de la RAM\nTOLVAN.RAM: not a regular file\n");

    std::filesystem::remove("TOLVANL.ROM");
    std::filesystem::remove("TOLVANH.ROM");
    ASSERT_EQ(::mkfifo("TOLVANL.ROM", 0644), 0);
    std::filesystem::create_directory("TOLVANH.ROM");
    result =
        testing::run_command(std::string("timeout 20 ") + TOLVAN_BINARY + " --headless --state");
    EXPECT_EQ(result.status, 0) << "a warning does not change the exit status";
    EXPECT_EQ(result.err, rom_warning({"TOLVANL.ROM: not a regular file; 8192 bytes (0x2000) "
                                       "expected, addresses 0x0000-0x1FFF",
                                       "TOLVANH.ROM: a directory; 32768 bytes (0x8000) "
                                       "expected, addresses 0x8000-0xFFFF"}));
}

// Each image that cannot run is named with what was found, its size and its addresses, under
// the folder where it belongs.
TEST_F(HeadlessTest, MissingOrShortRomsAreWarnedAbout) {
    RunResult result = run("--state");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              rom_warning({"TOLVANL.ROM: missing; 8192 bytes (0x2000) expected, addresses "
                           "0x0000-0x1FFF",
                           "TOLVANH.ROM: missing; 32768 bytes (0x8000) expected, addresses "
                           "0x8000-0xFFFF"}));
    roms.write();
    for (const auto& [contents, found] :
         {std::pair{"short", "only 5 bytes"}, {"s", "only 1 byte"}}) {
        testing::write_file("TOLVANL.ROM", contents);
        result = run("--state");
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err,
                  rom_warning({std::string("TOLVANL.ROM: ") + found +
                               "; 8192 bytes (0x2000) expected, addresses 0x0000-0x1FFF"}));
    }
}

TEST_F(HeadlessTest, ReadOnlyRamImageAndConfigurationAreReportedAndKept) {
    // The folder lets anyone write: only each file's own mode forbids the save.
    ::chmod(directory().c_str(), 0777);
    roms.write();
    const std::string old_image(0x6000, '\x11');
    const std::string old_configuration = "[Registres]\nPC=5\n";
    const struct {
        const char* read_only;
        const char* expected;
    } cases[] = {
        {"TOLVAN.RAM", "Erreur pendant l'écriture de la RAM\nTOLVAN.RAM: Permission denied\n"},
        {"Tolvan.ini", "Erreur pendant l'écriture de Tolvan.ini\nTolvan.ini: Permission denied\n"},
    };
    for (const auto& c : cases) {
        testing::write_file("TOLVAN.RAM", old_image);
        testing::write_file("Tolvan.ini", old_configuration);
        ::chmod("TOLVAN.RAM", 0666);
        ::chmod("Tolvan.ini", 0666);
        ::chmod(c.read_only, 0444);
        const testing::ReachableProgram program(TOLVAN_BINARY);
        const auto reported = testing::run_unprivileged(
            [&] {
                const RunResult result =
                    testing::run_command(program.path() + " --headless --save-ram");
                return result.status == 1 && result.err == c.expected;
            },
            {program.path()});
        if (!reported) GTEST_SKIP() << testing::kCannotRunUnprivileged;
        EXPECT_TRUE(*reported) << c.read_only;
        // Neither file is replaced when the other cannot be.
        EXPECT_EQ(testing::read_file("Tolvan.ini"), old_configuration) << c.read_only;
        EXPECT_EQ(testing::read_file("TOLVAN.RAM"), old_image) << c.read_only;
        EXPECT_EQ(testing::entries_of(directory()).size(), 4U) << "no temporary file left";
    }
}

TEST_F(HeadlessTest, FullDiskKeepsThePreviousFilesAndIsReported) {
    roms.write();
    const std::string old_image(0x6000, '\x11');
    const std::string old_configuration = "[Registres]\nPC=5\n";
    testing::write_file("TOLVAN.RAM", old_image);
    testing::write_file("Tolvan.ini", old_configuration);
    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    static_cast<void>(testing::with_file_size_limit(1000, [&] {
        status = run_headless({"--save-ram"}, out, err);
        return true;
    }));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(), "Erreur pendant l'écriture de la RAM\nTOLVAN.RAM: File too large\n");
    EXPECT_EQ(testing::read_file("TOLVAN.RAM"), old_image);
    EXPECT_EQ(testing::read_file("Tolvan.ini"), old_configuration);
    EXPECT_EQ(testing::entries_of(directory()).size(), 4U) << "the ROM images and the two files";
}

// Under a file size limit the program reports the failure instead of dying of it, and leaves
// the previous files and nothing else.
TEST_F(HeadlessTest, FileSizeLimitIsReportedAndKeepsThePreviousFiles) {
    roms.write();
    testing::write_file("TOLVAN.RAM", std::string(0x6000, '\x11'));
    testing::write_file("Tolvan.ini", "[Registres]\nPC=5\n");
    const RunResult result = testing::run_command("ulimit -f 8 && " + std::string(TOLVAN_BINARY) +
                                                  " --headless --save-ram");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Erreur pendant l'écriture de la RAM\nTOLVAN.RAM: File too large\n");
    EXPECT_EQ(testing::read_file("TOLVAN.RAM"), std::string(0x6000, '\x11'));
    EXPECT_EQ(testing::read_file("Tolvan.ini"), "[Registres]\nPC=5\n");
    EXPECT_EQ(testing::entries_of(directory()).size(), 4U);
}

// A file name cut to what the program keeps would lead to another file: it is reported at the
// start, and Save RAM writes nothing.
TEST_F(HeadlessTest, OverlongFileNameIsReportedAndNotSavedTo) {
    roms.write();
    const std::string name(300, 'n');
    const std::string configuration = "[Fichiers]\nFileRAM=" + name + "\n";
    testing::write_file("Tolvan.ini", configuration);
    const std::string problem =
        "Tolvan.ini: FileRAM is 300 characters long; at most 255 are kept\n";
    RunResult result = run("--state");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Erreur pendant la lecture de Tolvan.ini\n" + problem);
    Emulator emulator;
    static_cast<void>(power_on(emulator));
    const Failures failures = save_ram_image(emulator);
    ASSERT_EQ(failures.list.size(), 1U);
    EXPECT_EQ(failures.list[0].detail + "\n", problem);
    EXPECT_EQ(testing::read_file("Tolvan.ini"), configuration);
    EXPECT_EQ(testing::entries_of(directory()).size(), 3U) << "the ROM images and Tolvan.ini";
}

TEST_F(HeadlessTest, TraceThatCannotBeWrittenIsReported) {
    roms.place(0x0000, {0x79, 0x00, 0x00});  // JP 0000
    roms.write();
    RunResult result = run("--trace missing/trace.txt --steps 10");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(
        result.err,
        "Erreur pendant l'écriture de la trace\nmissing/trace.txt: No such file or directory\n");

    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    static_cast<void>(testing::with_file_size_limit(1000, [&] {
        status = run_headless({"--trace", "trace.txt", "--steps", "1000"}, out, err);
        return true;
    }));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(), "Erreur pendant l'écriture de la trace\ntrace.txt: File too large\n");
}

// On a full disk the previous trace stays whole: the new one replaces it only once complete.
TEST_F(HeadlessTest, TraceOnAFullDiskKeepsThePreviousTrace) {
    roms.place(0x0000, {0x79, 0x00, 0x00});  // JP 0000
    roms.write();
    const auto kept = testing::on_small_file_system([] {
        testing::write_file("small/trace.txt", "previous trace\n");
        testing::write_file("small/filler", std::string(40 * 1024, 'f'));
        const RunResult result = testing::run_command(std::string(TOLVAN_BINARY) +
                                                      " --headless --trace small/trace.txt "
                                                      "--steps 1000");
        return result.status == 1 &&
               result.err ==
                   "Erreur pendant l'écriture de la trace\nsmall/trace.txt: No space left on "
                   "device\n" &&
               testing::read_file("small/trace.txt") == "previous trace\n" &&
               testing::entries_of("small").size() == 2;
    });
    if (!kept) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_TRUE(*kept);
}

}  // namespace
}  // namespace tolvan
