#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::entries_of;
using testing::read_file;
using testing::write_file;

class AtomicFile : public testing::ScratchDirectoryTest {};

constexpr const char* kOldContents = "old contents\n";

TEST_F(AtomicFile, CreatesAndReplacesLeavingNothingElse) {
    ASSERT_TRUE(write_file_atomically("target", "first"));
    EXPECT_EQ(read_file("target"), "first");
    ASSERT_TRUE(write_file_atomically("target", std::string(100000, 'z')));
    EXPECT_EQ(read_file("target"), std::string(100000, 'z'));
    ASSERT_TRUE(write_file_atomically("target", ""));
    EXPECT_EQ(read_file("target"), "");
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, WorksThroughADirectoryPath) {
    std::filesystem::create_directory("sub");
    ASSERT_TRUE(write_file_atomically((directory() / "sub" / "target").string(), "x"));
    EXPECT_EQ(read_file("sub/target"), "x");
    EXPECT_EQ(entries_of(directory() / "sub"), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, KeepsThePermissionsOfTheReplacedFile) {
    write_file("target", kOldContents);
    ::chmod("target", 0640);
    ASSERT_TRUE(write_file_atomically("target", "new"));
    struct stat status {};
    ASSERT_EQ(::stat("target", &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640U);
}

TEST_F(AtomicFile, NewFileFollowsTheUmask) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(write_file_atomically("target", "new"));
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat("target", &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644U);
}

TEST_F(AtomicFile, FailsInAMissingDirectory) {
    EXPECT_FALSE(write_file_atomically("missing/target", "x"));
    EXPECT_TRUE(entries_of(directory()).empty());
}

TEST_F(AtomicFile, FailedRenameLeavesNoTemporaryFile) {
    std::filesystem::create_directories("target/inside");
    EXPECT_FALSE(write_file_atomically("target", "x"));
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, WriteFailingHalfwayLeavesTheOldFileWhole) {
    write_file("target", kOldContents);
    const bool written = testing::with_file_size_limit(
        16, [] { return write_file_atomically("target", std::string(4096, 'n')).ok(); });
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file("target"), kOldContents);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, ReadOnlyDirectoryIsRefused) {
    write_file("target", kOldContents);
    ::chmod("target", 0644);
    ::chmod(directory().c_str(), 0555);
    const auto written =
        testing::run_unprivileged([] { return write_file_atomically("target", "new").ok(); });
    if (!written) GTEST_SKIP() << testing::kCannotRunUnprivileged;
    EXPECT_FALSE(*written);
    EXPECT_EQ(read_file("target"), kOldContents);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, FileTheProcessMayNotWriteIsRefusedAndUntouched) {
    // The folder lets anyone create files: only the file's own mode forbids the write.
    ::chmod(directory().c_str(), 0777);
    write_file("target", kOldContents);
    ::chmod("target", 0444);
    const auto written =
        testing::run_unprivileged([] { return write_file_atomically("target", "new").ok(); });
    if (!written) GTEST_SKIP() << testing::kCannotRunUnprivileged;
    EXPECT_FALSE(*written);
    EXPECT_EQ(read_file("target"), kOldContents);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

TEST_F(AtomicFile, SymbolicLinkIsFollowedAndStaysALink) {
    std::filesystem::create_directory("real");
    write_file("real/file", kOldContents);
    std::filesystem::create_symlink("real/file", "link");
    std::filesystem::create_symlink("link", "link to link");
    ASSERT_TRUE(write_file_atomically("link to link", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink("link"));
    EXPECT_TRUE(std::filesystem::is_symlink("link to link"));
    EXPECT_EQ(read_file("real/file"), "new");
    EXPECT_EQ(entries_of("real"), std::vector<std::string>{"file"});

    // A link to a file that does not exist yet creates the file where it points.
    std::filesystem::create_symlink("real/later", "dangling");
    ASSERT_TRUE(write_file_atomically("dangling", "made"));
    EXPECT_TRUE(std::filesystem::is_symlink("dangling"));
    EXPECT_EQ(read_file("real/later"), "made");
}

TEST_F(AtomicFile, HardLinksKeepSeeingTheSameFile) {
    write_file("first", kOldContents);
    std::filesystem::create_hard_link("first", "second");
    ASSERT_TRUE(write_file_atomically("first", "new and longer contents"));
    EXPECT_EQ(read_file("second"), "new and longer contents");
    ASSERT_TRUE(write_file_atomically("second", "short"));
    EXPECT_EQ(read_file("first"), "short");
    EXPECT_EQ(std::filesystem::hard_link_count("first"), 2U);
    EXPECT_EQ(entries_of(directory()).size(), 2U);

    // On a full disk neither link loses its contents.
    const bool written = testing::with_file_size_limit(
        16, [] { return write_file_atomically("first", std::string(4096, 'n')).ok(); });
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file("second"), "short");
    EXPECT_EQ(entries_of(directory()).size(), 2U);
}

TEST_F(AtomicFile, AnythingButARegularFileIsRefusedAndKept) {
    ASSERT_EQ(::mkfifo("fifo", 0644), 0);
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("fifo", "link to fifo");
    const WriteStatus fifo = write_file_atomically("fifo", "x");
    EXPECT_EQ(fifo.error_number, kNotRegularFile);
    EXPECT_EQ(describe_failure("fifo", fifo), "fifo: not a regular file");
    EXPECT_EQ(write_file_atomically("link to fifo", "x").error_number, kNotRegularFile);
    EXPECT_EQ(describe_failure("folder", write_file_atomically("folder", "x")),
              "folder: Is a directory");
    EXPECT_TRUE(std::filesystem::is_fifo("fifo"));
    EXPECT_TRUE(std::filesystem::is_directory("folder"));
    EXPECT_EQ(entries_of(directory()).size(), 3U) << "no temporary file left";
}

TEST_F(AtomicFile, LongestFileNameCanBeSaved) {
    const std::string name(255, 'n');
    ASSERT_TRUE(write_file_atomically(name, "x"));
    EXPECT_EQ(read_file(name), "x");
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{name});
}

}  // namespace
}  // namespace tolvan
