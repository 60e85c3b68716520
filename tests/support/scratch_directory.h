// A fresh empty directory that is the current directory for the length of one test.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tolvan::testing {

class ScratchDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvan-test-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        std::filesystem::current_path(directory_);
    }

    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::permissions(directory_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(directory_);
    }

    const std::filesystem::path& directory() const { return directory_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

inline void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_text(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> entries_of(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Runs a write while the process may not make files larger than limit bytes, so that the write
// fails halfway through as it would on a full disk.
inline bool with_file_size_limit(rlim_t limit, const std::function<bool()>& write) {
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = limit;
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    const bool result = write();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous_handler);
    return result;
}

inline constexpr int kChildCannotDropPrivileges = 77;
inline constexpr uid_t kUnprivilegedId = 65534;

// Permission bits do not stop the superuser, so a write that must be refused by them runs in a
// child process that gives up its privileges first. Returns the write's result, or nothing when
// the child could not run unprivileged.
inline std::optional<bool> run_unprivileged(const std::function<bool()>& write) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0)) {
            ::_exit(kChildCannotDropPrivileges);
        }
        ::_exit(write() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
    if (WEXITSTATUS(status) == kChildCannotDropPrivileges) return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

}  // namespace tolvan::testing
