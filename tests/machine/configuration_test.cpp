#include "machine/configuration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::entries_of;
using testing::read_file;
using testing::write_file;

class Configuration : public testing::ScratchDirectoryTest {};

// An emulator whose every kept field differs from its default and from the others.
Emulator distinctive_emulator() {
    Emulator emulator;
    emulator.bus.memory.ram_size = kRamSize8K;
    emulator.cpu.pc = 0xF10F;
    emulator.cpu.dp = 0xABCD;
    emulator.cpu.p = 0x7F;
    emulator.cpu.q = 0x81;
    emulator.cpu.r = 0xFE;
    for (int cell = 0; cell < kInternalRamSize; ++cell) {
        emulator.cpu.iram[cell] = static_cast<std::uint8_t>(0xFF - cell);
    }
    emulator.cpu.timer_limit_512ms = 123456;
    emulator.cpu.timer_limit_2ms = 33;
    emulator.cpu.max_delay = 2000000000;
    emulator.control.ram_file_name = "my ram.img";
    emulator.bus.tape.load_file_name = "in/prog.bas";
    emulator.bus.tape.save_file_name = "out.bas";
    emulator.unassembler.file_name = "listing.txt";
    emulator.unassembler.from = 0x8000;
    emulator.unassembler.to = 0xFFFF;
    return emulator;
}

Emulator loaded_from(const std::string& text) {
    write_file(kConfigurationFileName, text);
    Emulator emulator;
    EXPECT_TRUE(load_configuration(emulator).ok());
    return emulator;
}

std::vector<std::string> section_lines(const std::string& text) {
    std::vector<std::string> sections;
    for (const std::string& line : IniFile::parse(text).lines) {
        if (!line.empty() && line.front() == '[') sections.push_back(line);
    }
    return sections;
}

TEST(ParseProfileInt, ReadsLikeTheProfileFunctions) {
    EXPECT_EQ(parse_profile_int("12abc"), 12);
    EXPECT_EQ(parse_profile_int("abc"), 0);
    EXPECT_EQ(parse_profile_int(""), 0);
    EXPECT_EQ(parse_profile_int("  -7"), -7);
    EXPECT_EQ(parse_profile_int("\t+8"), 8);
    EXPECT_EQ(parse_profile_int("-"), 0);
    EXPECT_EQ(parse_profile_int("- 5"), 0);
    EXPECT_EQ(parse_profile_int("5 6"), 5);
    EXPECT_EQ(parse_profile_int("0x10"), 0);
    EXPECT_EQ(parse_profile_int("007"), 7);
}

TEST(ParseProfileInt, KeepsTheLowOrder32Bits) {
    EXPECT_EQ(parse_profile_int("2147483647"), INT32_MAX);
    EXPECT_EQ(parse_profile_int("2147483648"), INT32_MIN);
    EXPECT_EQ(parse_profile_int("-2147483648"), INT32_MIN);
    EXPECT_EQ(parse_profile_int("4294967297"), 1);
    EXPECT_EQ(parse_profile_int("-4294967295"), 1);
    // 10^400 - 1 is -1 modulo 2^32, since 2^32 divides 10^400.
    EXPECT_EQ(parse_profile_int(std::string(400, '9')), -1);
    std::string digits;
    for (int i = 0; i < 40; ++i)
        digits += "1234567890";
    EXPECT_EQ(parse_profile_int(digits), -834729262);
    EXPECT_EQ(parse_profile_int("-" + digits), 834729262);
    EXPECT_EQ(parse_profile_int(std::string(400, '0') + "7"), 7);
}

TEST_F(Configuration, DefaultsWithoutAFile) {
    Emulator emulator = distinctive_emulator();
    EXPECT_TRUE(load_configuration(emulator).ok());
    EXPECT_EQ(emulator.bus.memory.ram_size, kRamSize16K);
    EXPECT_EQ(emulator.cpu.pc, 0);
    EXPECT_EQ(emulator.cpu.dp, 0);
    EXPECT_EQ(emulator.cpu.p, 0);
    EXPECT_EQ(emulator.cpu.q, 0);
    EXPECT_EQ(emulator.cpu.r, 0);
    for (int cell = 0; cell < kInternalRamSize; ++cell) {
        EXPECT_EQ(emulator.cpu.iram[cell], 0) << "cell " << cell;
    }
    EXPECT_EQ(emulator.cpu.timer_limit_512ms, 50000);
    EXPECT_EQ(emulator.cpu.timer_limit_2ms, 20);
    EXPECT_EQ(emulator.cpu.max_delay, 0);
    EXPECT_EQ(emulator.control.ram_file_name, "TOLVAN.RAM");
    EXPECT_EQ(emulator.bus.tape.load_file_name, "exemple.bas");
    EXPECT_EQ(emulator.bus.tape.save_file_name, "exemple.bas");
    EXPECT_EQ(emulator.unassembler.file_name, "demo.asm");
    EXPECT_EQ(emulator.unassembler.from, 0);
    EXPECT_EQ(emulator.unassembler.to, 256);
    // Reading creates nothing.
    EXPECT_TRUE(entries_of(directory()).empty());
}

TEST_F(Configuration, TimingChecksAtTheirBorders) {
    struct Case {
        const char* text;
        std::int32_t timer_limit_512ms;
        std::int32_t timer_limit_2ms;
        std::int32_t max_delay;
    };
    const Case cases[] = {
        {"MaxHorloge512=999\nMaxHorloge002=0\nMaxDelay=-5", 50000, 20, 0},
        {"MaxHorloge512=1000\nMaxHorloge002=1\nMaxDelay=0", 1000, 1, 0},
        {"MaxHorloge512=-1\nMaxHorloge002=-1\nMaxDelay=-1", 50000, 20, 0},
        {"MaxHorloge512=abc\nMaxHorloge002=abc\nMaxDelay=abc", 50000, 20, 0},
        {"MaxHorloge512=4294967295\nMaxHorloge002=7\nMaxDelay=2147483647", 50000, 7, INT32_MAX},
    };
    for (const Case& c : cases) {
        const Emulator emulator = loaded_from(std::string("[Horloge]\n") + c.text + "\n");
        EXPECT_EQ(emulator.cpu.timer_limit_512ms, c.timer_limit_512ms) << c.text;
        EXPECT_EQ(emulator.cpu.timer_limit_2ms, c.timer_limit_2ms) << c.text;
        EXPECT_EQ(emulator.cpu.max_delay, c.max_delay) << c.text;
    }
}

TEST_F(Configuration, NumbersKeepTheLowOrderBitsOfTheirField) {
    const Emulator emulator = loaded_from(
        "[Registres]\nPC=65537\nDP=-1\nP=12abc\nQ=abc\nR=  -7\n"
        "[Ram Interne]\n0=300\n1=-1\n95=256\n"
        "[Tools]\nunassemble_start=70000\nunassemble_stop=-2\n"
        "[Ram]\nKo=264\n");
    EXPECT_EQ(emulator.cpu.pc, 1);
    EXPECT_EQ(emulator.cpu.dp, 0xFFFF);
    EXPECT_EQ(emulator.cpu.p, 12);
    EXPECT_EQ(emulator.cpu.q, 0);
    EXPECT_EQ(emulator.cpu.r, 0xF9);
    EXPECT_EQ(emulator.cpu.iram[0], 44);
    EXPECT_EQ(emulator.cpu.iram[1], 0xFF);
    EXPECT_EQ(emulator.cpu.iram[95], 0);
    EXPECT_EQ(emulator.unassembler.from, 70000 - 0x10000);
    EXPECT_EQ(emulator.unassembler.to, 0xFFFE);
    EXPECT_EQ(emulator.bus.memory.ram_size, kRamSize8K);
}

TEST_F(Configuration, OddRamSizeStaysAsItIs) {
    Emulator emulator = loaded_from("[Ram]\nKo=5\n");
    EXPECT_EQ(emulator.bus.memory.ram_size, 5);
    ASSERT_TRUE(save_configuration(emulator));
    EXPECT_EQ(IniFile::load(kConfigurationFileName)->get("Ram", "Ko", ""), "5");

    emulator = loaded_from("[Ram]\nKo=-1\n");
    EXPECT_EQ(emulator.bus.memory.ram_size, -1);
    ASSERT_TRUE(save_configuration(emulator));
    EXPECT_EQ(IniFile::load(kConfigurationFileName)->get("Ram", "Ko", ""), "-1");
}

TEST_F(Configuration, RegistersAreWrittenUnsigned) {
    Emulator emulator = distinctive_emulator();
    emulator.cpu.max_delay = -3;  // only a loaded value is checked; a saved one is written as is
    ASSERT_TRUE(save_configuration(emulator));
    const IniFile file = *IniFile::load(kConfigurationFileName);
    EXPECT_EQ(file.get("Registres", "PC", ""), "61711");
    EXPECT_EQ(file.get("Registres", "DP", ""), "43981");
    EXPECT_EQ(file.get("Registres", "Q", ""), "129");
    EXPECT_EQ(file.get("Registres", "R", ""), "254");
    EXPECT_EQ(file.get("Ram Interne", "0", ""), "255");
    EXPECT_EQ(file.get("Tools", "unassemble_stop", ""), "65535");
    EXPECT_EQ(file.get("Horloge", "MaxDelay", ""), "-3");
}

TEST_F(Configuration, FirstSaveWritesTheTableInOrder) {
    ASSERT_TRUE(save_configuration(distinctive_emulator()));
    const std::string text = read_file(kConfigurationFileName);
    EXPECT_EQ(section_lines(text),
              (std::vector<std::string>{"[Ram]", "[Registres]", "[Ram Interne]", "[Horloge]",
                                        "[Fichiers]", "[Tools]"}));

    std::string expected =
        "[Ram]\nKo=8\n"
        "[Registres]\nPC=61711\nDP=43981\nP=127\nQ=129\nR=254\n"
        "[Ram Interne]\n";
    for (int cell = 0; cell < 0x60; ++cell) {
        expected += std::to_string(cell) + "=" + std::to_string(0xFF - cell) + "\n";
    }
    expected +=
        "[Horloge]\nMaxHorloge512=123456\nMaxHorloge002=33\nMaxDelay=2000000000\n"
        "[Fichiers]\nFileRAM=my ram.img\nFileLOAD=in/prog.bas\nFileSAVE=out.bas\n"
        "[Tools]\nunassemble_file=listing.txt\nunassemble_start=32768\nunassemble_stop=65535\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{kConfigurationFileName});
}

TEST_F(Configuration, RoundTripKeepsEveryField) {
    const Emulator saved = distinctive_emulator();
    ASSERT_TRUE(save_configuration(saved));
    Emulator loaded;
    EXPECT_TRUE(load_configuration(loaded).ok());
    EXPECT_EQ(loaded.bus.memory.ram_size, saved.bus.memory.ram_size);
    EXPECT_EQ(loaded.cpu.pc, saved.cpu.pc);
    EXPECT_EQ(loaded.cpu.dp, saved.cpu.dp);
    EXPECT_EQ(loaded.cpu.p, saved.cpu.p);
    EXPECT_EQ(loaded.cpu.q, saved.cpu.q);
    EXPECT_EQ(loaded.cpu.r, saved.cpu.r);
    for (int cell = 0; cell < 0x60; ++cell) {
        EXPECT_EQ(loaded.cpu.iram[cell], saved.cpu.iram[cell]) << "cell " << cell;
    }
    EXPECT_EQ(loaded.cpu.timer_limit_512ms, saved.cpu.timer_limit_512ms);
    EXPECT_EQ(loaded.cpu.timer_limit_2ms, saved.cpu.timer_limit_2ms);
    EXPECT_EQ(loaded.cpu.max_delay, saved.cpu.max_delay);
    EXPECT_EQ(loaded.control.ram_file_name, saved.control.ram_file_name);
    EXPECT_EQ(loaded.bus.tape.load_file_name, saved.bus.tape.load_file_name);
    EXPECT_EQ(loaded.bus.tape.save_file_name, saved.bus.tape.save_file_name);
    EXPECT_EQ(loaded.unassembler.file_name, saved.unassembler.file_name);
    EXPECT_EQ(loaded.unassembler.from, saved.unassembler.from);
    EXPECT_EQ(loaded.unassembler.to, saved.unassembler.to);
}

TEST_F(Configuration, UpperInternalRamIsNeitherWrittenNorRead) {
    Emulator emulator = distinctive_emulator();
    ASSERT_TRUE(save_configuration(emulator));
    const IniFile file = *IniFile::load(kConfigurationFileName);
    for (int cell = 0x60; cell < kInternalRamSize; ++cell) {
        EXPECT_EQ(file.get("Ram Interne", std::to_string(cell), "absent"), "absent");
    }

    // Keys that a user adds for those cells change nothing: the cells are cleared on every load.
    emulator = loaded_from("[Ram Interne]\n95=1\n96=2\n127=3\n");
    EXPECT_EQ(emulator.cpu.iram[0x5F], 1);
    for (int cell = 0x60; cell < kInternalRamSize; ++cell) {
        EXPECT_EQ(emulator.cpu.iram[cell], 0) << "cell " << cell;
    }
}

TEST_F(Configuration, SaveKeepsWhatTheUserWrote) {
    write_file(kConfigurationFileName,
               "; my settings\r\n"
               "[registres]\r\n"
               "pc = 5\r\n"
               "Comment=not ours\r\n"
               "\r\n"
               "[Extra]\r\n"
               "key=value\r\n");
    Emulator emulator = distinctive_emulator();
    EXPECT_TRUE(load_configuration(emulator).ok());
    EXPECT_EQ(emulator.cpu.pc, 5);
    emulator.cpu.pc = 0xF10F;
    ASSERT_TRUE(save_configuration(emulator));

    const std::string text = read_file(kConfigurationFileName);
    const IniFile file = IniFile::parse(text);
    ASSERT_GE(file.lines.size(), 7U);
    EXPECT_EQ(file.lines[0], "; my settings");
    EXPECT_EQ(file.lines[1], "[registres]");
    EXPECT_EQ(file.lines[2], "pc = 61711");
    EXPECT_EQ(file.get("Registres", "Comment", ""), "not ours");
    EXPECT_EQ(file.get("Extra", "key", ""), "value");
    EXPECT_EQ(section_lines(text),
              (std::vector<std::string>{"[registres]", "[Extra]", "[Ram]", "[Ram Interne]",
                                        "[Horloge]", "[Fichiers]", "[Tools]"}));
    // The file keeps its own CR LF line ends, new lines included.
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "bare LF at " << at;
    }
}

TEST_F(Configuration, FailedSaveLeavesTheOldFile) {
    const std::string old_text = "[Registres]\nPC=5\n; comment\n";
    write_file(kConfigurationFileName, old_text);
    const bool saved = testing::with_file_size_limit(
        old_text.size(), [] { return save_configuration(distinctive_emulator()).ok(); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file(kConfigurationFileName), old_text);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{kConfigurationFileName});
}

TEST_F(Configuration, SaveIntoAReadOnlyDirectoryFails) {
    const std::string old_text = "[Registres]\nPC=5\n";
    write_file(kConfigurationFileName, old_text);
    ::chmod(kConfigurationFileName, 0644);
    ::chmod(directory().c_str(), 0555);
    const auto saved =
        testing::run_unprivileged([] { return save_configuration(distinctive_emulator()).ok(); });
    if (!saved) GTEST_SKIP() << testing::kCannotRunUnprivileged;
    EXPECT_FALSE(*saved);
    EXPECT_EQ(read_file(kConfigurationFileName), old_text);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{kConfigurationFileName});
}

TEST_F(Configuration, UnreadableFileIsNotReplaced) {
    // A configuration file that exists but cannot be read must not be overwritten with one
    // that lacks the user's own lines.
    std::filesystem::create_directory(kConfigurationFileName);
    write_file(std::string(kConfigurationFileName) + "/inside", "x");
    EXPECT_FALSE(save_configuration(distinctive_emulator()));
    EXPECT_TRUE(std::filesystem::is_directory(kConfigurationFileName));

    Emulator emulator = distinctive_emulator();
    EXPECT_TRUE(load_configuration(emulator).ok());
    EXPECT_EQ(emulator.cpu.pc, 0);
}

TEST_F(Configuration, EachSettingsBoxWritesOnlyItsOwnSection) {
    // The snapshot on disk: registers and internal RAM that belong to the RAM image there.
    const std::string snapshot =
        "[Ram]\nKo=16\n[Registres]\nPC=5\n[Ram Interne]\n0=7\n[Horloge]\nMaxDelay=1\n"
        "[Fichiers]\nFileRAM=old.ram\n[Tools]\nunassemble_file=old.asm\n";
    const struct {
        ConfigurationKeys keys;
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {ConfigurationKeys::kFileNames, "Fichiers", "FileRAM", "my ram.img"},
        {ConfigurationKeys::kTiming, "Horloge", "MaxDelay", "2000000000"},
        {ConfigurationKeys::kUnassembler, "Tools", "unassemble_file", "listing.txt"},
    };
    for (const auto& c : cases) {
        write_file(kConfigurationFileName, snapshot);
        ASSERT_TRUE(save_configuration(distinctive_emulator(), c.keys));
        const IniFile file = *IniFile::load(kConfigurationFileName);
        EXPECT_EQ(file.get(c.section, c.key, ""), c.value) << c.section;
        const IniFile old = IniFile::parse(snapshot);
        for (const auto& other : cases) {
            if (other.section == c.section) continue;
            EXPECT_EQ(file.get(other.section, other.key, ""), old.get(other.section, other.key, ""))
                << c.section << " box wrote " << other.section;
        }
        EXPECT_EQ(file.get("Registres", "PC", ""), "5") << c.section;
        EXPECT_EQ(file.get("Ram Interne", "0", ""), "7") << c.section;
        EXPECT_EQ(file.get("Ram Interne", "1", "absent"), "absent") << c.section;
        EXPECT_EQ(file.get("Ram", "Ko", ""), "16") << c.section;
    }
}

}  // namespace
}  // namespace tolvan
