// The program's entry point: the window, or the headless front end with --headless.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/headless.h"
#ifdef TOLVAN_HAVE_UI
#include "ui/run_window.h"
#endif

namespace {

// "-C DIR" may stand anywhere among the options; it takes effect before anything else.
bool change_directory(std::vector<std::string>& arguments) {
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        if (arguments[n] != "-C") continue;
        if (n + 1 >= arguments.size()) {
            std::cerr << "tolvan: -C needs a directory\n" << tolvan::usage_text();
            return false;
        }
        if (chdir(arguments[n + 1].c_str()) != 0) {
            std::cerr << "tolvan: cannot change to " << arguments[n + 1] << ": "
                      << std::strerror(errno) << "\n";
            return false;
        }
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(n),
                        arguments.begin() + static_cast<std::ptrdiff_t>(n) + 2);
        --n;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!change_directory(arguments)) return tolvan::kExitUsage;
    // --help and --version are answered the same with or without the window.
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "--version")) {
        return tolvan::run_headless(arguments, std::cout, std::cerr);
    }
    if (!arguments.empty() && arguments[0] == "--headless") {
        arguments.erase(arguments.begin());
        return tolvan::run_headless(arguments, std::cout, std::cerr);
    }
    if (!arguments.empty()) {
        std::cerr << "tolvan: unknown option " << arguments[0] << "\n" << tolvan::usage_text();
        return tolvan::kExitUsage;
    }
#ifdef TOLVAN_HAVE_UI
    return tolvan::run_window(argc, argv);
#else
    std::cerr << "tolvan: built without the window; use --headless\n" << tolvan::usage_text();
    return tolvan::kExitUsage;
#endif
}
