// The Unassemble menu command: the unassembler's text into the file its settings name, and the
// report when that file cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "machine/commands.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

AddressSpace worked_example_memory() {
    AddressSpace memory;
    const std::uint8_t bytes[] = {0x10, 0x12, 0x34, 0x28, 0x03, 0xE1, 0x23, 0x85};
    std::uint16_t address = 0x0100;
    for (const std::uint8_t byte : bytes)
        memory.image[address++] = byte;
    return memory;
}

TEST(RunUnassembler, WritesTheSelectedFormatToTheFile) {
    testing::ScratchDirectory directory;
    Emulator emulator;
    emulator.bus.memory = worked_example_memory();
    emulator.unassembler = {0x0100, 0x0107, directory.file("out.asm"), 1};
    EXPECT_TRUE(run_unassembler(emulator).ok());
    EXPECT_EQ(testing::read_file(directory.file("out.asm")),
              testing::expected_file("worked_example.asm"));
    emulator.unassembler.more_information = 0;
    EXPECT_TRUE(run_unassembler(emulator).ok());
    EXPECT_EQ(testing::read_file(directory.file("out.asm")),
              testing::expected_file("worked_example.lst"));
}

TEST(RunUnassembler, UnopenableFileIsReportedAndNothingWritten) {
    testing::ScratchDirectory directory;
    Emulator emulator;
    emulator.bus.memory = worked_example_memory();
    const std::string path = directory.file("missing/out.lst");
    emulator.unassembler = {0x0100, 0x0107, path, 0};
    const Failures failures = run_unassembler(emulator);
    ASSERT_EQ(failures.list.size(), 1u);
    EXPECT_EQ(failures.list[0].message, "Erreur d'ouverture du fichier unassemble");
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A full disk must not pass for a complete listing, nor cost the listing that was there.
TEST(RunUnassembler, WriteFailureIsReportedAndTheOldFileKept) {
    testing::ScratchDirectory directory;
    const std::string path = directory.file("out.lst");
    testing::write_file(path, "old listing\n");
    Emulator emulator;
    emulator.unassembler = {0x0000, 0xFFFF, path, 0};
    constexpr rlim_t kSmallerThanTheListing = 4096;
    Failures failures;
    testing::with_file_size_limit(kSmallerThanTheListing, [&] {
        failures = run_unassembler(emulator);
        return true;
    });
    ASSERT_EQ(failures.list.size(), 1u);
    EXPECT_EQ(failures.list[0].message, "Erreur d'écriture du fichier unassemble");
    EXPECT_EQ(failures.list[0].detail, path + ": File too large");
    EXPECT_EQ(testing::read_file(path), "old listing\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.file("")),
                            std::filesystem::directory_iterator{}),
              1);
}
}  // namespace
}  // namespace tolvan
