#include "tools/tolvan_asm_cli.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "support/command_output.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), "tolvan-asm");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    Outcome result;
    result.status = run_tolvan_asm(static_cast<int>(argv.size()), argv.data(), out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

class TolvanAsm : public ::testing::Test {
  protected:
    testing::ScratchDirectory directory;

    std::string source(const std::string& name, const std::string& text) {
        const std::string path = directory.file(name);
        testing::write_file(path, text);
        return path;
    }
};

TEST_F(TolvanAsm, WritesTheImageOfWhatIsAssembled) {
    const std::string program = source("p.asm", "ORG &8002\nLIA 1\nORG &8006\nRTN\n");
    const std::string image = directory.file("p.img");
    const Outcome result = run({"-o", image, program});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(testing::read_file(image), std::string("\x02\x01\xFF\xFF\x37", 5));
}

TEST_F(TolvanAsm, RangeAndFillChooseTheImage) {
    const std::string program = source("p.asm", "ORG 0x0002\nDB 1\nORG 0x8000\nDB 2\n");
    const std::string low = directory.file("low.rom");
    const std::string high = directory.file("high.rom");
    EXPECT_EQ(run({"--range", "0x0000-0x1FFF", "--fill", "0", "-o", low, program}).status, 0);
    EXPECT_EQ(run({"-o", high, "--range", "32768-0xFFFF", program}).status, 0);
    std::string expected_low(0x2000, '\0');
    expected_low[2] = 1;
    EXPECT_EQ(testing::read_file(low), expected_low);
    std::string expected_high(0x8000, '\xFF');
    expected_high[0] = 2;
    EXPECT_EQ(testing::read_file(high), expected_high);
}

TEST_F(TolvanAsm, WritesAListingOnRequest) {
    const std::string program = source("p.asm", "ORG &0100\nLIDP &1234\nJRNZP &0107\nCAL &0123\n");
    const std::string listing = directory.file("p.lst");
    EXPECT_EQ(run({"--listing", listing, "-o", directory.file("p.bin"), program}).status, 0);
    EXPECT_EQ(testing::read_file(listing), testing::expected_file("worked_example.lst"));
}

TEST_F(TolvanAsm, ImageNameDefaultsToTheSourceWithBin) {
    const std::string program = source("prog.asm", "RTN\n");
    EXPECT_EQ(run({program}).status, 0);
    EXPECT_EQ(testing::read_file(directory.file("prog.bin")), "\x37");
    const std::string odd = source("data.bin", "DB 5\n");
    EXPECT_EQ(run({odd}).status, 0);
    EXPECT_EQ(testing::read_file(odd), "DB 5\n");
    EXPECT_EQ(testing::read_file(odd + ".bin"), "\x05");
}

TEST_F(TolvanAsm, SourceErrorsExitWithOneAndWriteNothing) {
    const std::string program = source("bad.asm", "ORG 0\nFOO\nJP nowhere\n");
    const std::string image = directory.file("bad.bin");
    const std::string listing = directory.file("bad.lst");
    const Outcome result = run({"-o", image, "--listing", listing, program});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, program + ":2: unknown mnemonic 'FOO'\n" + program +
                              ":3: undefined label 'nowhere'\n"
                              "tolvan-asm: 2 errors; nothing written\n");
    EXPECT_FALSE(std::filesystem::exists(image));
    EXPECT_FALSE(std::filesystem::exists(listing));
}

TEST_F(TolvanAsm, MissingSourceOrUnwritableImageExitWithOne) {
    EXPECT_EQ(run({directory.file("absent.asm")}).status, 1);
    const std::string program = source("p.asm", "RTN\n");
    const Outcome result = run({"-o", directory.file("no/such/dir.bin"), program});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot write"), std::string::npos);
}

// Through the real program: one line naming the problem, a pointer to the help, exit status 2,
// nothing written; -h anywhere wins over everything else.
TEST_F(TolvanAsm, UsageErrorsAreOneLineAndHelpWinsAnywhere) {
    const std::string program = source("p.asm", "RTN\n");
    const std::string p = "'" + program + "'";
    const std::vector<std::pair<std::string, std::string>> misuses{
        {"", "no source file"},
        {"--bogus " + program, "unknown option '--bogus'"},
        {program + " " + program, "more than one source file (" + p + " and " + p + ")"},
        {"-o", "-o needs a value (IMAGE)"},
        {program + " --range", "--range needs a value (FROM-TO)"},
        {"--range 0x10 " + program, "--range: '0x10' is not FROM-TO"},
        {"--range 0x20-0x10 " + program, "--range: '0x20-0x10' ends before it starts"},
        {"--range 0-0x10000 " + program, "--range: '0x10000' is out of range (0-0xFFFF)"},
        {"--range '&0-&99999999999' " + program,
         "--range: '&99999999999' is out of range (0-0xFFFF)"},
        {"--fill 256 " + program, "--fill: '256' is out of range (0-0xFF)"},
        {"--fill -1 " + program, "--fill: '-1' is out of range (0-0xFF)"},
        {"--fill ab " + program, "--fill: 'ab' is not a number"},
        {"-o '' " + program, "-o: the file name is empty"},
        {"--base-at 0x8000 " + program, "--base-at needs --base"},
        {"--base " + program + " --base-at '&10000' " + program,
         "--base-at: '&10000' is out of range (0-0xFFFF)"},
    };
    for (const auto& [args, message] : misuses) {
        const auto result = testing::run_command(std::string(TOLVAN_ASM_BINARY) + " " + args);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.err, "tolvan-asm: " + message + "\nTry 'tolvan-asm --help'.\n");
        EXPECT_EQ(result.out, "");
        const auto help = testing::run_command(std::string(TOLVAN_ASM_BINARY) + " " + args + " -h");
        EXPECT_EQ(help.status, 0) << args;
        EXPECT_EQ(help.out.rfind("Usage: tolvan-asm [-o IMAGE]", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
    EXPECT_EQ(testing::run_command(std::string(TOLVAN_ASM_BINARY) + " --help --bogus").out,
              testing::run_command(std::string(TOLVAN_ASM_BINARY) + " -h").out);
    EXPECT_FALSE(std::filesystem::exists(directory.file("p.bin")));
}

// The number forms of tolvan's command line: decimal, 0x and & hexadecimal.
TEST_F(TolvanAsm, RangeTakesEveryNumberForm) {
    const std::string program = source("p.asm", "ORG &1FFF\nDB 7\n");
    for (const std::string range : {"8191-8191", "0x1FFF-0x1fff", "&1FFF-&1fff", "&1FFF-8191"}) {
        const std::string image = directory.file("p.rom");
        const Outcome result = run({"--range", range, "-o", image, program});
        EXPECT_EQ(result.status, 0) << range << result.err;
        EXPECT_EQ(testing::read_file(image), "\x07") << range;
    }
}

// No output may replace an input or the other output, whatever name it is given: the run is
// wrong usage, and every file stays as it was.
TEST_F(TolvanAsm, RefusesOutputsThatAreInputs) {
    const std::string program = source("p.asm", "INCLUDE \"part.asm\"\nRTN\n");
    const std::string part = source("part.asm", "LIA 1\n");
    const std::string base = source("base.rom", "ABCD");
    const std::string alias = directory.file("alias.asm");
    ASSERT_EQ(::link(program.c_str(), alias.c_str()), 0);
    const std::string image = directory.file("out.bin");
    const std::vector<std::vector<std::string>> clashes{
        {"-o", program, program},
        {"-o", alias, program},
        {"--listing", directory.file("./p.asm"), program},
        {"-o", part, program},
        {"-o", image, "--listing", image, program},
        {"-o", base, "--base", base, program},
    };
    for (const auto& args : clashes) {
        const Outcome result = run(args);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("is the same file as"), std::string::npos) << result.err;
        EXPECT_EQ(testing::read_file(program), "INCLUDE \"part.asm\"\nRTN\n");
        EXPECT_EQ(testing::read_file(part), "LIA 1\n");
        EXPECT_EQ(testing::read_file(base), "ABCD");
        EXPECT_FALSE(std::filesystem::exists(image));
    }
}

// Outputs that do not exist yet are compared by where their names lead: the folder, links
// followed, and the name.
TEST_F(TolvanAsm, RefusesTwoNamesOfOneNewOutput) {
    const std::string program = source("p.asm", "RTN\n");
    std::filesystem::create_directory(directory.path() / "sub");
    std::filesystem::create_symlink("later.bin", directory.path() / "link");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory.path());
    const std::vector<std::vector<std::string>> clashes{
        {"-o", "x.bin", "--listing", "sub/../x.bin"},
        {"-o", "y.bin", "--symbols", "./y.bin"},
        {"-o", "z.bin", "--listing", directory.file("z.bin")},
        {"-o", "later.bin", "--debug-info", "link"},
    };
    for (std::vector<std::string> args : clashes) {
        args.push_back(program);
        const Outcome result = run(args);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("is the same file as"), std::string::npos) << result.err;
        EXPECT_EQ(testing::entries_of(directory.path()).size(), 3U) << "nothing written";
    }
    std::filesystem::current_path(previous);
}

// All outputs or none: one that cannot be written leaves the others as they were, also when
// the program meets its file size limit, which it reports instead of dying of it.
TEST_F(TolvanAsm, OutputsAreWrittenAllOrNone) {
    const std::string program = source("p.asm", "ORG 0\nDS &2000\nRTN\n");
    const std::string image = source("p.bin", "old image");
    const std::string listing = directory.file("listing");
    std::filesystem::create_directory(listing);
    Outcome result = run({"-o", image, "--listing", listing, program});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tolvan-asm: cannot write " + listing + ": Is a directory\n");
    EXPECT_EQ(testing::read_file(image), "old image");

    std::filesystem::remove(listing);
    const testing::CommandOutput limited =
        testing::run_command("ulimit -f 4 && " + std::string(TOLVAN_ASM_BINARY) + " -o " + image +
                             " --listing " + listing + " " + program);
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "tolvan-asm: cannot write " + image + ": File too large\n");
    EXPECT_EQ(testing::read_file(image), "old image");
    EXPECT_EQ(testing::entries_of(directory.path()).size(), 2U) << "no temporary file left";
}

// Neither a directory nor a FIFO is read: the run ends at once with the file, line and reason.
TEST_F(TolvanAsm, DirectoryAndFifoIncludesAreRefused) {
    const std::string fifo = directory.file("pipe.asm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string program = source("p.asm", "RTN\nINCLUDE \".\"\nINCLUDE \"pipe.asm\"\n");
    const Outcome result = run({program});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, program + ":2: cannot read include file '" + directory.file("") +
                              "': is a directory\n" + program + ":3: cannot read include file '" +
                              fifo +
                              "': is not a regular file (a device, FIFO or socket)\n"
                              "tolvan-asm: 2 errors; nothing written\n");
    EXPECT_EQ(run({directory.file("")}).status, 1);
    EXPECT_EQ(run({fifo}).err, fifo +
                                   ": cannot read the source file: is not a regular file (a "
                                   "device, FIFO or socket)\n"
                                   "tolvan-asm: 1 error; nothing written\n");
}

// Each of the three INCLUDEs is refused at once, instead of 3^16 nested readings.
TEST_F(TolvanAsm, FileThatIncludesItselfThreeTimesEndsWithErrors) {
    const std::string program =
        source("self.asm", "INCLUDE \"self.asm\"\nINCLUDE \"self.asm\"\nINCLUDE \"self.asm\"\n");
    const Outcome result = run({program});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, program + ":1: INCLUDE of '" + program + "' within itself\n" + program +
                              ":2: INCLUDE of '" + program + "' within itself\n" + program +
                              ":3: INCLUDE of '" + program + "' within itself\n" +
                              "tolvan-asm: 3 errors; nothing written\n");
}

// A full disk leaves the previous image as it was, and says so with the system's reason.
TEST_F(TolvanAsm, FailedWriteKeepsTheOldImage) {
    const std::string program = source("p.asm", "ORG 0\nDS &2000\nRTN\n");
    const std::string image = source("p.bin", "old image");
    Outcome result;
    constexpr rlim_t kSmallerThanTheImage = 4096;
    testing::with_file_size_limit(kSmallerThanTheImage, [&] {
        result = run({program});
        return true;
    });
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tolvan-asm: cannot write " + image + ": File too large\n");
    EXPECT_EQ(testing::read_file(image), "old image");
}

// Patching a ROM: the source gives the new code, the base image all the rest, and the "?" line
// of an unassembled undefined opcode takes its byte from the base.
TEST_F(TolvanAsm, PatchesAMemoryImage) {
    std::string rom(0x100, '\x37');
    rom[0x12] = '\x17';
    const std::string base = source("high.rom", rom);
    const std::string patch =
        source("patch.asm", "ORG &8010\nLIA 5\nL_8012: ?\nPTJ 1\nJRM &8010\n");
    const std::string image = directory.file("patched.rom");
    const std::string listing = directory.file("patch.lst");
    const Outcome result =
        run({"--base", base, "--base-at", "0x8000", "-o", image, "--listing", listing, patch});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string expected = rom;
    expected.replace(0x10, 9, "\x02\x05\x17\x7A\x01\x37\x37\x2D\x08", 9);
    EXPECT_EQ(testing::read_file(image), expected);
    EXPECT_EQ(testing::read_file(listing),
              "8010: 02 05        LIA   05\n"
              "8012: 17           ?   \n"
              "8013: 7A 01 37 37  PTJ   01\n"
              "8017: 2D 08        JRM   8010\n");
}

}  // namespace
}  // namespace tolvan
