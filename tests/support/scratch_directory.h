// Scratch folders: a fresh empty directory under the system's temporary directory, removed with
// its contents, and a fixture that makes one the current directory for the length of each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace tolvan::testing {

class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-test-XXXXXX");
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
