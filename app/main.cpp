// The program's entry point: the window, or the headless front end with --headless.
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/dap.h"
#include "app/headless.h"
#include "machine/demo_firmware.h"
#include "machine/machine_folder.h"
#ifdef TOLVAN_HAVE_UI
#include "ui/dap_window.h"
#include "ui/run_window.h"
#endif

namespace {

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

[[nodiscard]] ChosenFolder enter_chosen_folder(const tolvan::CommandLine& options) {
    if (options.demo) {
        auto demo = enter_demo_folder();
        return {demo, demo ? tolvan::kExitOk : tolvan::kExitReportedError};
    }
    if (!options.directory) return {};
    std::error_code error;
    std::filesystem::current_path(*options.directory, error);
    if (error) {
        std::cerr << tolvan::usage_error("cannot change to " + *options.directory + ": " +
                                         error.message());
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
    const tolvan::ParsedCommandLine parsed =
        tolvan::parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto status = tolvan::answer_at_once(parsed, std::cout, std::cerr)) return *status;
    const tolvan::CommandLine& line = parsed.line;
    // The debug adapter: the launch request, not the command line, chooses the folder.
    if (line.dap) {
#ifdef TOLVAN_HAVE_UI
        return tolvan::run_dap(argc, argv, &tolvan::run_dap_window);
#else
        return tolvan::run_dap(argc, argv, nullptr);
#endif
    }
    const ChosenFolder chosen = enter_chosen_folder(line);
    if (chosen.failure != tolvan::kExitOk) return chosen.failure;
    if (line.headless) return tolvan::run_headless_line(line, std::cout, std::cerr);
#ifdef TOLVAN_HAVE_UI
    return tolvan::run_window(argc, argv, chosen.folder);
#else
    std::cerr << tolvan::usage_error("built without the window; use --headless");
    return tolvan::kExitUsage;
#endif
}
