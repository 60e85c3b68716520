#include "tools/debug_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

class DebugInfoTest : public ::testing::Test {
  protected:
    testing::ScratchDirectory directory;

    std::string source(const std::string& name, const std::string& text) {
        const std::string path = directory.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        testing::write_file(path, text);
        return path;
    }

    // Assembled, written as text and read back, as a debugger gets it.
    DebugInfo written_and_read(const std::string& main, const std::string& name) {
        const AssemblyResult result = assemble_file(main);
        EXPECT_TRUE(result.ok()) << format_error(result.errors.front());
        const std::string path = directory.file(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        testing::write_file(path, debug_info_text(assembly_debug_info(result, main)));
        DebugInfo info;
        const DebugInfoStatus status = read_debug_info(path, info);
        EXPECT_TRUE(status.ok()) << status.reason;
        return info;
    }
};

// A file INCLUDEd twice gives its line two places; a line that runs past 0xFFFF goes on at
// 0x0000; lines that emit nothing have no address; labels keep their file and line.
TEST_F(DebugInfoTest, LooksUpBothWays) {
    const std::string main = source("src/main.asm",
                                    "ORG &100\n"
                                    "INCLUDE \"lib/part.asm\"\n"
                                    "start: LIA 1   ; two bytes\n"
                                    "ORG &200\n"
                                    "INCLUDE \"lib/part.asm\"\n"
                                    "SIZE EQU 3\n"
                                    "ORG &FFFE\n"
                                    "JP start\n");
    source("src/lib/part.asm", "\n  RTN\n");
    const DebugInfo info = written_and_read(main, "out/prog.json");
    EXPECT_EQ(info.directory, std::filesystem::path(directory.file("src")));
    EXPECT_EQ(info.files, (std::vector<std::string>{"main.asm", "lib/part.asm"}));
    const std::vector<std::pair<std::uint16_t, std::optional<std::pair<std::uint32_t, int>>>>
        places{{0x0100, {{1, 2}}},     {0x0101, {{0, 3}}}, {0x0102, {{0, 3}}},
               {0x0103, std::nullopt}, {0x0200, {{1, 2}}}, {0xFFFE, {{0, 8}}},
               {0xFFFF, {{0, 8}}},     {0x0000, {{0, 8}}}, {0x0001, std::nullopt}};
    for (const auto& [address, expected] : places) {
        const auto line = source_line_at(info, address);
        ASSERT_EQ(line.has_value(), expected.has_value()) << address;
        if (line) {
            EXPECT_EQ(std::pair(line->file, line->line), *expected) << address;
        }
    }
    EXPECT_EQ(addresses_of_line(info, 1, 2), (std::vector<std::uint16_t>{0x0100, 0x0200}));
    EXPECT_EQ(addresses_of_line(info, 0, 8), (std::vector<std::uint16_t>{0x0000, 0xFFFE}));
    EXPECT_TRUE(addresses_of_line(info, 0, 6).empty());
    ASSERT_EQ(info.labels.size(), 2u);
    EXPECT_EQ(info.labels[0].name, "SIZE");
    EXPECT_TRUE(info.labels[0].equ);
    EXPECT_EQ(info.labels[1].name, "start");
    EXPECT_EQ(info.labels[1].value, 0x101);
    EXPECT_EQ(std::pair(info.labels[1].file, info.labels[1].line), std::pair(0u, 3));
    EXPECT_EQ(find_source_file(info, directory.file("src/lib/../lib/part.asm")), 1u);
    EXPECT_FALSE(find_source_file(info, directory.file("src/other.asm")));
}

// Sources are read where they were; once that folder is gone, beside the debug information.
TEST_F(DebugInfoTest, SourcesAreFoundWhereTheyWereOrBesideIt) {
    const std::string main = source("src/main.asm", "INCLUDE \"lib/part.asm\"\n");
    source("src/lib/part.asm", "RTN\n");
    const DebugInfo info = written_and_read(main, "copy/prog.json");
    EXPECT_EQ(source_file_path(info, 1), directory.file("src/lib/part.asm"));
    std::filesystem::rename(directory.file("src"), directory.file("moved"));
    EXPECT_EQ(source_file_path(info, 1), directory.file("copy/lib/part.asm"));
    EXPECT_EQ(find_source_file(info, directory.file("copy/main.asm")), 0u);
}

TEST_F(DebugInfoTest, WhatIsNotDebugInformationIsRefusedWithTheReason) {
    const std::string head = R"({"format": "tolvan-debug-info", "version": 1, "directory": "/",)";
    const std::vector<std::pair<std::string, std::string>> files{
        {"[1, 2", "not valid JSON"},
        {R"({"format": "other"})", "not Tolvan debug information"},
        {R"({"format": "tolvan-debug-info", "version": 2})",
         "debug information of another version (this Tolvan reads version 1)"},
        {head + R"("files": [], "lines": []})",
         "\"directory\", \"files\", \"lines\" or \"labels\" is missing or malformed"},
        {head + R"("files": ["a"], "lines": [[0, 1, 1, 1]], "labels": []})",
         "malformed line run [0,1,1,1]"},
        {head + R"("files": ["a"], "lines": [[65535, 2, 0, 1]], "labels": []})",
         "malformed line run [65535,2,0,1]"},
        {head + R"("files": ["a"], "lines": [[5, 1, 0, 1], [4, 1, 0, 2]], "labels": []})",
         "the line runs are not in address order"},
        {head + R"("files": ["a"], "lines": [], "labels": [{"name": "x", "value": 1}]})",
         R"(malformed label {"name":"x","value":1})"},
    };
    for (const auto& [text, reason] : files) {
        const std::string path = source("bad.json", text);
        DebugInfo info;
        info.files = {"kept"};
        const DebugInfoStatus status = read_debug_info(path, info);
        EXPECT_EQ(status.reason, reason) << text;
        EXPECT_EQ(status.path, path);
        EXPECT_EQ(info.files, std::vector<std::string>{"kept"}) << "left as it was";
    }
    DebugInfo info;
    EXPECT_EQ(read_debug_info(directory.file("absent.json"), info).reason,
              "No such file or directory");
}

}  // namespace
}  // namespace tolvan
