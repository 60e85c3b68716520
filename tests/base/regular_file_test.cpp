// Opening the user's files: only regular files, never blocking on a FIFO, never writing
// through to anything else.
#include "base/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "base/atomic_file.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::read_file;
using testing::write_file;

class RegularFile : public testing::ScratchDirectoryTest {};

TEST_F(RegularFile, ReadingOpensOnlyRegularFiles) {
    write_file("file", "bytes");
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    std::filesystem::create_directory("folder");
    EXPECT_EQ(read_regular_file("file").bytes, "bytes");
    // A FIFO with no writer would block an ordinary open for ever.
    EXPECT_EQ(read_regular_file("fifo").error_number, kNotRegularFile);
    EXPECT_EQ(read_regular_file("folder").error_number, EISDIR);
    EXPECT_EQ(read_regular_file("absent").error_number, ENOENT);
}

TEST_F(RegularFile, WritingEmptiesARegularFileInPlace) {
    write_file("file", "old contents");
    std::filesystem::create_hard_link("file", "other name");
    OpenedFile opened = open_regular_file_for_writing("file");
    ASSERT_TRUE(opened.file);
    ASSERT_EQ(std::fputs("new", opened.file.get()), 1);
    opened.file.reset();
    EXPECT_EQ(read_file("other name"), "new");
}

TEST_F(RegularFile, WritingRefusesAnythingElseUntouched) {
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    std::filesystem::create_directory("folder");
    EXPECT_EQ(open_regular_file_for_writing("fifo").error_number, kNotRegularFile);
    EXPECT_EQ(open_regular_file_for_writing("folder").error_number, EISDIR);
    EXPECT_EQ(open_regular_file_for_writing("missing/file").error_number, ENOENT);
    EXPECT_TRUE(std::filesystem::is_fifo("fifo"));
}

TEST_F(RegularFile, WritingRefusesAFileTheProcessMayNotWrite) {
    ::chmod(directory().c_str(), 0777);
    write_file("file", "old contents");
    ::chmod("file", 0444);
    const auto opened = testing::run_unprivileged(
        [] { return open_regular_file_for_writing("file").file != nullptr; });
    if (!opened) GTEST_SKIP() << testing::kCannotRunUnprivileged;
    EXPECT_FALSE(*opened);
    EXPECT_EQ(read_file("file"), "old contents");
}

}  // namespace
}  // namespace tolvan
