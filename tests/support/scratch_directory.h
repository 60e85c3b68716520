// Scratch folders: a fresh empty directory under the system's temporary directory, removed with
// its contents, and a fixture that makes one the current directory for the length of each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace tolvan::testing {

// Whether a user without privileges may pass through every folder on the way to this one.
inline bool reachable_by_others(const std::filesystem::path& folder) {
    for (std::filesystem::path part = std::filesystem::absolute(folder);;
         part = part.parent_path()) {
        struct stat status {};
        if (::stat(part.c_str(), &status) != 0 || !(status.st_mode & S_IXOTH)) return false;
        if (part == part.root_path()) return true;
    }
}

// The system's temporary folder where others can reach it, as tests that give up their
// privileges need; otherwise the first usual one that they can reach, or failing that the
// system's (and those tests then skip).
inline std::filesystem::path scratch_base() {
    const std::filesystem::path preferred = std::filesystem::temp_directory_path();
    for (const std::filesystem::path& candidate :
         {preferred, std::filesystem::path("/tmp"), std::filesystem::path("/var/tmp"),
          std::filesystem::path("/dev/shm")}) {
        if (reachable_by_others(candidate)) return candidate;
    }
    return preferred;
}

class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (scratch_base() / "tolvan-test-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a scratch directory");
        }
        path_ = pattern;
    }
    // Tests may take away the write permission; it comes back so that everything goes.
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// A copy of a program in a scratch folder of its own, so that a user without privileges can run
// it wherever the build lies.
class ReachableProgram {
  public:
    explicit ReachableProgram(const std::filesystem::path& program)
        : path_(folder_.path() / program.filename()) {
        std::filesystem::copy_file(program, path_);
        std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all |
                                                         std::filesystem::perms::group_exec |
                                                         std::filesystem::perms::others_exec);
    }
    std::string path() const { return path_.string(); }

  private:
    ScratchDirectory folder_;
    std::filesystem::path path_;
};

class ScratchDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        scratch_.emplace();
        std::filesystem::current_path(scratch_->path());
    }

    void TearDown() override {
        std::filesystem::current_path(previous_);
        scratch_.reset();
    }

    const std::filesystem::path& directory() const { return scratch_->path(); }

  private:
    std::filesystem::path previous_;
    std::optional<ScratchDirectory> scratch_;
};

}  // namespace tolvan::testing
