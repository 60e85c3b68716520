// Runs a shell command and captures its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/files.h"

namespace tolvan::testing {

struct CommandOutput {
    int status = 0;
    std::string out;
    std::string err;
};

// Standard error goes through a file in the current directory, which is removed afterwards.
inline CommandOutput run_command(const std::string& command) {
    const std::string err_file = "command-stderr.txt";
    FILE* pipe = ::popen((command + " 2>" + err_file).c_str(), "r");
    CommandOutput output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.out.append(buffer, n);
    }
    output.status = WEXITSTATUS(::pclose(pipe));
    output.err = read_file(err_file);
    std::filesystem::remove(err_file);
    return output;
}

}  // namespace tolvan::testing
