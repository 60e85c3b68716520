#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
    if (!written) GTEST_SKIP() << "cannot give up privileges here";
    EXPECT_FALSE(*written);
    EXPECT_EQ(read_file("target"), kOldContents);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
}

}  // namespace
}  // namespace tolvan
