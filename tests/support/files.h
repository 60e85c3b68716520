// Whole-file reads and writes for tests, the files kept beside the tests, and ways to make a
// write fail as it would on a full disk or in a read-only folder.
#pragma once

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tolvan::testing {

inline void write_file(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// Empty when the file cannot be read.
inline std::string read_file(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// A file of tests/tools/expected/.
inline std::string expected_file(const std::string& name) {
    return read_file(std::string(TOLVAN_TEST_SOURCE_DIR) + "/tools/expected/" + name);
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
inline constexpr const char* kCannotRunUnprivileged =
    "cannot run unprivileged here: no privileges to give up, or the scratch folder or the "
    "program lies where an unprivileged user cannot reach it";

// Permission bits do not stop the superuser, so a write that must be refused by them runs in a
// child process that gives up its privileges first. Returns the write's result, or nothing when
// the child could not run unprivileged or, so, reach the current folder or the files named.
inline std::optional<bool> run_unprivileged(const std::function<bool()>& write,
                                            const std::vector<std::string>& needed = {}) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                                 ::setuid(kUnprivilegedId) != 0)) {
            ::_exit(kChildCannotDropPrivileges);
        }
        if (::access(".", X_OK) != 0) ::_exit(kChildCannotDropPrivileges);
        for (const std::string& path : needed) {
            if (::access(path.c_str(), X_OK) != 0) ::_exit(kChildCannotDropPrivileges);
        }
        ::_exit(write() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
    if (WEXITSTATUS(status) == kChildCannotDropPrivileges) return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

// Runs a check in a child process with a full disk at hand: a file system of 64 KiB of its own
// at "small" in the current directory. Nothing when this system does not let the test mount one.
inline std::optional<bool> on_small_file_system(const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::filesystem::create_directory("small");
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tolvan-test", "small", "tmpfs", 0, "size=64k") != 0) {
            ::_exit(kChildCannotDropPrivileges);
        }
        ::_exit(check() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
    if (WEXITSTATUS(status) == kChildCannotDropPrivileges) return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

}  // namespace tolvan::testing
