// Tolvan's own demo firmware: where its ROM images are, and the working folder in which it runs
// apart from the user's machine. Beside the images come the symbol file, the debug information
// and the sources that the debugger shows. The working folder keeps a list of the checksums of
// the files that Tolvan put there, and a file is replaced only while it is still one of those:
// never a file that somebody else put there or changed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine_folder.h"

namespace tolvan {

// The demo images beside the program: <dir>/../share/tolvan once installed, <dir>/../firmware
// in the build tree. Nothing when neither holds both images.
std::optional<std::filesystem::path> find_demo_images(
    const std::filesystem::path& program_directory);

// The folder of the running program (from /proc/self/exe); empty if it cannot be read.
std::filesystem::path program_directory();

// .../tolvan/demo under the user's data folder.
std::optional<std::filesystem::path> demo_folder(const UserEnvironment& environment);

struct DemoFolderSetup {
    // 0, or the system's error number of the step that failed on `failed_path`.
    int error_number = 0;
    std::string failed_path;
    // Images found in the folder that are not the demo's and were left as they are.
    std::vector<std::string> foreign_images;

    bool ok() const { return error_number == 0; }
};

// Brings the demo's files into the working folder (created if need be); only the two images
// must be there to bring.
[[nodiscard]] DemoFolderSetup prepare_demo_folder(const std::filesystem::path& images,
                                                  const std::filesystem::path& folder);

}  // namespace tolvan
