#include "base/file_transaction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "base/atomic_file.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::entries_of;
using testing::read_file;
using testing::write_file;

class FileTransactionTest : public testing::ScratchDirectoryTest {};

constexpr uid_t kOtherUser = testing::kUnprivilegedId;

struct stat status_of(const char* path) {
    struct stat status {};
    EXPECT_EQ(::stat(path, &status), 0) << path;
    return status;
}

// The folders where a rename cannot replace the file, or would replace it with another one: the
// save must still succeed as a plain write would, keep owner, group and mode, and leave nothing
// else behind.
TEST_F(FileTransactionTest, FilesThatARenameCannotReplaceAreWrittenInPlace) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to make files for another user";
    const struct {
        const char* name;
        mode_t folder_mode;
        uid_t file_owner;
        gid_t file_group;
        bool unprivileged;
    } cases[] = {
        {"the user's own file in a folder the user may not write", 0555, kOtherUser, kOtherUser,
         true},
        {"another user's 0666 file in a sticky folder", 01777, 0, kOtherUser, true},
        {"the superuser saving another user's file", 0755, kOtherUser, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::chmod(directory().c_str(), 0755);
        write_file("target", "old contents, longer than the new");
        ASSERT_EQ(::chown("target", c.file_owner, c.file_group), 0);
        ::chmod("target", 0666);
        ::chmod(directory().c_str(), c.folder_mode);
        const auto save = [] { return write_file_atomically("target", "new").ok(); };
        if (c.unprivileged) {
            const auto saved = testing::run_unprivileged(save);
            if (!saved) GTEST_SKIP() << testing::kCannotRunUnprivileged;
            EXPECT_TRUE(*saved);
        } else {
            EXPECT_TRUE(save());
        }
        EXPECT_EQ(read_file("target"), "new");
        const struct stat status = status_of("target");
        EXPECT_EQ(status.st_uid, c.file_owner);
        EXPECT_EQ(status.st_gid, c.file_group);
        EXPECT_EQ(status.st_mode & 07777, 0666U);
        EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"target"});
    }
}

// A full disk fails before any old byte of a file written in place changes (here because its
// temporary copy lies on another file system), and leaves no temporary file.
TEST_F(FileTransactionTest, FullDiskKeepsTheOldBytesOfAFileWrittenInPlace) {
    const auto kept = testing::on_small_file_system([] {
        const std::string old(16 * 1024, 'o');
        write_file("small/target", old);
        std::filesystem::create_hard_link("small/target", "small/link");
        write_file("small/filler", std::string(40 * 1024, 'f'));
        FileTransaction transaction(".");
        FilesStatus status = stage_file(transaction, "small/target", std::string(32768, 'n'));
        if (status) status = commit_files(transaction);
        return describe_failure(status) == "small/target: No space left on device" &&
               read_file("small/link") == old && entries_of("small").size() == 3;
    });
    if (!kept) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_TRUE(*kept);
    EXPECT_EQ(entries_of(directory()), std::vector<std::string>{"small"});
}

// A pair of files saved together: an image, and a text naming the image's generation.
struct Pair {
    static std::string image(int generation) { return std::string(20000, char('A' + generation)); }
    static std::string text(int generation) { return "generation " + std::to_string(generation); }
    static int generation_of(const std::string& image) {
        return image.empty() ? -1 : image.front() - 'A';
    }
};

[[nodiscard]] FilesStatus save_pair(int generation) {
    FileTransaction transaction(".");
    FilesStatus status = stage_file(transaction, "image", Pair::image(generation));
    if (status) status = stage_file(transaction, "text", Pair::text(generation));
    if (status) status = commit_files(transaction);
    return status;
}

// Saving for ever, until killed.
[[noreturn]] void save_pairs_forever(int first_generation) {
    for (int generation = first_generation;; generation = (generation + 1) % 26) {
        static_cast<void>(save_pair(generation));
    }
}

void expect_one_pair(const std::string& when) {
    ASSERT_TRUE(recover_files(".")) << when;
    const std::string image = read_file("image");
    ASSERT_EQ(image.size(), 20000U) << when;
    EXPECT_EQ(image, Pair::image(Pair::generation_of(image))) << when;
    EXPECT_EQ(read_file("text"), Pair::text(Pair::generation_of(image))) << when;
    std::vector<std::string> entries = entries_of(".");
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"image", "image link", "text"})) << when;
}

// Killed at any moment of a save, the pair that the next start sees is one pair: the old or the
// new, never one of each; nothing of the save is left behind. The image has a second hard link,
// so that it is written in place and recovered from its committed copy.
TEST_F(FileTransactionTest, SavesKilledAtRandomMomentsLeaveOnePair) {
    ASSERT_TRUE(save_pair(0));
    std::filesystem::create_hard_link("image", "image link");
    std::mt19937 random(12345);
    for (int round = 0; round < 150; ++round) {
        const pid_t child = ::fork();
        if (child == 0) save_pairs_forever(round % 26);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        expect_one_pair("round " + std::to_string(round));
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_EQ(read_file("image link"), read_file("image"));
}

// Two programs saving into one folder at the same time take turns.
TEST_F(FileTransactionTest, ConcurrentSavesNeverMix) {
    ASSERT_TRUE(save_pair(0));
    std::filesystem::create_hard_link("image", "image link");
    pid_t children[2];
    for (int n = 0; n < 2; ++n) {
        children[n] = ::fork();
        if (children[n] == 0) {
            bool all_saved = true;
            for (int round = 0; round < 15; ++round)
                all_saved = save_pair((round * 2 + n) % 26).ok() && all_saved;
            ::_exit(all_saved ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    expect_one_pair("after both");
}

// Of a set, one file that cannot be written leaves every file as it was; the failure names it.
TEST_F(FileTransactionTest, OneFileThatCannotBeWrittenLeavesAllAsTheyWere) {
    write_file("image", "old image");
    std::filesystem::create_directory("text");
    {
        FileTransaction transaction(".");
        ASSERT_TRUE(stage_file(transaction, "image", "new image"));
        EXPECT_EQ(describe_failure(stage_file(transaction, "text", "new text")),
                  "text: Is a directory");
    }
    EXPECT_EQ(read_file("image"), "old image");
    EXPECT_EQ(entries_of(directory()).size(), 2U);
}

// Temporary files that an interrupted program left are removed; one that a live transaction
// holds is not, and names that Tolvan does not make are never touched.
TEST_F(FileTransactionTest, LeftoversAreRemovedAndLiveFilesKept) {
    for (const char* name : {".tolvan-tmp-a1B2c3", ".tolvan-Zx9Qw1", ".tolvan-notes", "keep"})
        write_file(name, "x");
    write_file(".tolvan-journal", "tolvan journal 1\n0 5 /gone 5 /lost\n");  // no commit mark
    FileTransaction live(".");
    std::FILE* stream = nullptr;
    ASSERT_TRUE(stage_stream(live, "traced", stream));
    std::fputs("half", stream);
    ASSERT_TRUE(recover_files("."));
    std::vector<std::string> entries = entries_of(directory());
    std::sort(entries.begin(), entries.end());
    ASSERT_EQ(entries.size(), 3U);
    EXPECT_EQ(entries[0], ".tolvan-notes");
    EXPECT_TRUE(entries[1].starts_with(".tolvan-tmp-")) << "the live one";
    EXPECT_EQ(entries[2], "keep");
    ASSERT_TRUE(commit_files(live));
    EXPECT_EQ(read_file("traced"), "half");
}

}  // namespace
}  // namespace tolvan
