// Where the machine lives: the folder that holds its ROM images, Tolvan.ini and RAM image, and
// that the program works in. A folder that already holds machine files is used as it is (the
// way scripts and existing users start Tolvan); otherwise the user's remembered folder, or a
// folder of the user's own under the data home.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tolvan {

// Why the program works in its folder; the window says so in its title.
enum class FolderOrigin {
    kCurrentDirectory,  // it held machine files when the program started
    kCommandLine,       // -C DIR
    kRemembered,        // chosen earlier with Open machine folder
    kPerUserDefault,    // the user's own machine folder
    kDemo,              // the demo firmware's working folder (--demo)
};

struct MachineFolder {
    std::filesystem::path path;
    FolderOrigin origin = FolderOrigin::kCurrentDirectory;
};

// The environment variables that locate the user's folders.
struct UserEnvironment {
    std::string home;           // $HOME
    std::string xdg_data_home;  // $XDG_DATA_HOME, may be empty
};

UserEnvironment user_environment();

// ${XDG_DATA_HOME:-$HOME/.local/share}/tolvan (a relative XDG_DATA_HOME does not count);
// nothing when neither is usable.
std::optional<std::filesystem::path> user_data_folder(const UserEnvironment& environment);

// True when the folder holds a ROM image or Tolvan.ini.
bool holds_machine_files(const std::filesystem::path& folder);

// The current directory when it holds machine files; otherwise the remembered folder while it
// is still a directory; otherwise the user's own machine folder (.../tolvan/machine); the
// current directory when the environment names no home at all.
MachineFolder choose_machine_folder(const std::filesystem::path& current_directory,
                                    bool current_holds_machine_files,
                                    const UserEnvironment& environment,
                                    const std::optional<std::filesystem::path>& remembered);

// Creates the folder if need be and makes it the current directory. Returns 0 or the system's
// error number.
[[nodiscard]] int enter_folder(const std::filesystem::path& folder);

// The window title's words for the folder: empty for a current directory that held the
// machine, otherwise what the folder is and where.
std::string describe_machine_folder(const MachineFolder& folder);

}  // namespace tolvan
