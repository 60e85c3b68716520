// The program's entry point: the window, or the headless front end with --headless.
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/headless.h"
#include "machine/demo_firmware.h"
#include "machine/machine_folder.h"
#ifdef TOLVAN_HAVE_UI
#include "ui/run_window.h"
#endif

namespace {

struct FolderOptions {
    std::optional<std::string> directory;  // -C DIR
    bool demo = false;                     // --demo
};

// "-C DIR" and "--demo" may stand anywhere among the options; they take effect before anything
// else and are taken out of the arguments.
bool take_folder_options(std::vector<std::string>& arguments, FolderOptions& options) {
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        std::size_t taken = 0;
        if (arguments[n] == "--demo") {
            options.demo = true;
            taken = 1;
        } else if (arguments[n] == "-C") {
            if (n + 1 >= arguments.size()) {
                std::cerr << "tolvan: -C needs a directory\n" << tolvan::usage_text();
                return false;
            }
            options.directory = arguments[n + 1];
            taken = 2;
        }
        if (taken == 0) continue;
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(n),
                        arguments.begin() + static_cast<std::ptrdiff_t>(n + taken));
        --n;
    }
    if (options.demo && options.directory) {
        std::cerr << "tolvan: -C and --demo choose two folders; give one\n" << tolvan::usage_text();
        return false;
    }
    return true;
}

// The demo images copied into the demo's working folder, which becomes the current directory.
std::optional<tolvan::MachineFolder> enter_demo_folder() {
    const auto images = tolvan::find_demo_images(tolvan::program_directory());
    if (!images) {
        std::cerr << "tolvan: --demo: the demo firmware's ROM images are not installed beside "
                  << tolvan::program_directory().string() << "\n";
        return std::nullopt;
    }
    const auto folder = tolvan::demo_folder(tolvan::user_environment());
    if (!folder) {
        std::cerr << "tolvan: --demo: neither HOME nor XDG_DATA_HOME names a folder\n";
        return std::nullopt;
    }
    const tolvan::DemoFolderSetup setup = tolvan::prepare_demo_folder(*images, *folder);
    if (!setup.ok()) {
        std::cerr << "tolvan: --demo: " << setup.failed_path << ": "
                  << std::strerror(setup.error_number) << "\n";
        return std::nullopt;
    }
    for (const std::string& image : setup.foreign_images) {
        std::cerr << "tolvan: --demo: " << image << " is not a demo image; it is left as it is\n";
    }
    if (const int error = tolvan::enter_folder(*folder); error != 0) {
        std::cerr << "tolvan: cannot change to " << folder->string() << ": " << std::strerror(error)
                  << "\n";
        return std::nullopt;
    }
    return tolvan::MachineFolder{*folder, tolvan::FolderOrigin::kDemo};
}

// The folder that the options chose, now the current directory. Without a choice nothing
// changes; a folder that cannot be entered ends the run with `failure` as its exit status.
struct ChosenFolder {
    std::optional<tolvan::MachineFolder> folder;
    int failure = tolvan::kExitOk;
};

[[nodiscard]] ChosenFolder enter_chosen_folder(const FolderOptions& options) {
    if (options.demo) {
        auto demo = enter_demo_folder();
        return {demo, demo ? tolvan::kExitOk : tolvan::kExitReportedError};
    }
    if (!options.directory) return {};
    std::error_code error;
    std::filesystem::current_path(*options.directory, error);
    if (error) {
        std::cerr << "tolvan: cannot change to " << *options.directory << ": " << error.message()
                  << "\n";
        return {std::nullopt, tolvan::kExitUsage};
    }
    return {tolvan::MachineFolder{std::filesystem::current_path(error),
                                  tolvan::FolderOrigin::kCommandLine}};
}

}  // namespace

int main(int argc, char** argv) {
    // Past the file size limit a write must fail with its reason, which the program reports,
    // instead of ending the program before it can say which file or remove its temporary file.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    FolderOptions folder_options;
    if (!take_folder_options(arguments, folder_options)) return tolvan::kExitUsage;
    // --help and --version are answered the same with or without the window.
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "--version")) {
        return tolvan::run_headless(arguments, std::cout, std::cerr);
    }
    if (!arguments.empty() && arguments[0] != "--headless") {
        std::cerr << "tolvan: unknown option " << arguments[0] << "\n" << tolvan::usage_text();
        return tolvan::kExitUsage;
    }
    const ChosenFolder chosen = enter_chosen_folder(folder_options);
    if (chosen.failure != tolvan::kExitOk) return chosen.failure;
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
        return tolvan::run_headless(arguments, std::cout, std::cerr);
    }
#ifdef TOLVAN_HAVE_UI
    return tolvan::run_window(argc, argv, chosen.folder);
#else
    std::cerr << "tolvan: built without the window; use --headless\n" << tolvan::usage_text();
    return tolvan::kExitUsage;
#endif
}
