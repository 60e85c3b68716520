#include "machine/machine_folder.h"

#include <cstdlib>
#include <system_error>

#include "machine/configuration.h"
#include "machine/control.h"

namespace tolvan {

namespace {

constexpr const char* kMachineSubfolder = "machine";

std::string environment_variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

UserEnvironment user_environment() {
    return {environment_variable("HOME"), environment_variable("XDG_DATA_HOME")};
}

std::optional<std::filesystem::path> user_data_folder(const UserEnvironment& environment) {
    const std::filesystem::path data_home(environment.xdg_data_home);
    if (data_home.is_absolute()) return data_home / "tolvan";
    const std::filesystem::path home(environment.home);
    if (home.is_absolute()) return home / ".local" / "share" / "tolvan";
    return std::nullopt;
}

bool holds_machine_files(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const char* name : {kLowRomFileName, kHighRomFileName, kConfigurationFileName}) {
        if (std::filesystem::exists(folder / name, ignored)) return true;
    }
    return false;
}

MachineFolder choose_machine_folder(const std::filesystem::path& current_directory,
                                    bool current_holds_machine_files,
                                    const UserEnvironment& environment,
                                    const std::optional<std::filesystem::path>& remembered) {
    if (current_holds_machine_files) return {current_directory, FolderOrigin::kCurrentDirectory};
    std::error_code ignored;
    if (remembered && remembered->is_absolute() &&
        std::filesystem::is_directory(*remembered, ignored)) {
        return {*remembered, FolderOrigin::kRemembered};
    }
    const auto data = user_data_folder(environment);
    if (!data) return {current_directory, FolderOrigin::kCurrentDirectory};
    return {*data / kMachineSubfolder, FolderOrigin::kPerUserDefault};
}

int enter_folder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return error.value();
    std::filesystem::current_path(folder, error);
    return error.value();
}

std::string describe_machine_folder(const MachineFolder& folder) {
    switch (folder.origin) {
        case FolderOrigin::kCurrentDirectory:
            return "";
        case FolderOrigin::kDemo:
            return "demo firmware in " + folder.path.string();
        default:
            return "machine folder " + folder.path.string();
    }
}

}  // namespace tolvan
