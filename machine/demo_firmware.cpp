#include "machine/demo_firmware.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <sstream>
#include <system_error>

#include "base/atomic_file.h"
#include "base/regular_file.h"
#include "base/sha256.h"
#include "machine/control.h"

namespace tolvan {

namespace {

// One line per image that Tolvan put in the folder: "<sha256> <file name>".
constexpr const char* kMarkerFileName = ".demo-roms";
constexpr const char* kDemoSubfolder = "demo";
constexpr std::array kRomFileNames = {kLowRomFileName, kHighRomFileName};
// The labels of the demo firmware and its debug information, for the debugger; a build without
// them still runs the demo.
constexpr const char* kSymbolFileName = "TOLVAN.sym";
constexpr const char* kDebugInfoFileName = "TOLVAN.debug.json";
// The firmware's sources, which an installation keeps beside the debug information so that it
// finds them in the demo folder too.
constexpr const char* kSourceExtension = ".asm";
constexpr std::size_t kLargestPath = 4096;

bool holds_both_images(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const char* name : kRomFileNames) {
        if (!std::filesystem::is_regular_file(folder / name, ignored)) return false;
    }
    return true;
}

bool marker_lists(const std::string& marker, const std::string& line) {
    std::istringstream lines(marker);
    for (std::string listed; std::getline(lines, listed);) {
        if (listed == line) return true;
    }
    return false;
}

struct ImageCopy {
    int error_number = 0;
    bool foreign = false;
};

// Copies one image unless the folder holds an image of that name that is not the demo's.
ImageCopy bring_image(const std::filesystem::path& source, const std::filesystem::path& target,
                      const std::string& name, const std::string& marker) {
    const ReadFile demo = read_regular_file(source.string());
    if (demo.error_number != 0) return {demo.error_number};
    const ReadFile present = read_regular_file(target.string());
    if (present.error_number == 0) {
        if (present.bytes == demo.bytes) return {};
        if (!marker_lists(marker, sha256_hex(present.bytes) + " " + name)) return {0, true};
    } else if (present.error_number != ENOENT) {
        return {0, true};
    }
    return {write_file_atomically(target.string(), demo.bytes).error_number};
}

// The ROM images first (which the demo needs), then the files that only help the debugger.
std::vector<std::string> demo_file_names(const std::filesystem::path& images) {
    std::vector<std::string> names{kLowRomFileName, kHighRomFileName, kSymbolFileName,
                                   kDebugInfoFileName};
    std::vector<std::string> sources;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(images, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().extension() == kSourceExtension && entry->is_regular_file(error)) {
            sources.push_back(entry->path().filename().string());
        }
    }
    std::sort(sources.begin(), sources.end());
    names.insert(names.end(), sources.begin(), sources.end());
    return names;
}

bool is_rom_image(const std::string& name) {
    return std::find(kRomFileNames.begin(), kRomFileNames.end(), name) != kRomFileNames.end();
}

}  // namespace

std::optional<std::filesystem::path> find_demo_images(
    const std::filesystem::path& program_directory) {
    const std::filesystem::path parent = program_directory.parent_path();
    for (const std::filesystem::path& candidate :
         {parent / "share" / "tolvan", parent / "firmware"}) {
        if (holds_both_images(candidate)) return candidate;
    }
    return std::nullopt;
}

std::filesystem::path program_directory() {
    std::array<char, kLargestPath> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::filesystem::path(std::string(buffer.data(), static_cast<std::size_t>(length)))
        .parent_path();
}

std::optional<std::filesystem::path> demo_folder(const UserEnvironment& environment) {
    const auto data = user_data_folder(environment);
    if (!data) return std::nullopt;
    return *data / kDemoSubfolder;
}

DemoFolderSetup prepare_demo_folder(const std::filesystem::path& images,
                                    const std::filesystem::path& folder) {
    DemoFolderSetup setup;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return {error.value(), folder.string(), {}};
    const std::filesystem::path marker_path = folder / kMarkerFileName;
    const std::string marker = read_regular_file(marker_path.string()).bytes;
    std::string ours;
    for (const std::string& name : demo_file_names(images)) {
        const std::filesystem::path target = folder / name;
        const ImageCopy copy = bring_image(images / name, target, name, marker);
        if (copy.error_number == ENOENT && !is_rom_image(name)) continue;
        if (copy.error_number != 0) return {copy.error_number, target.string(), {}};
        if (copy.foreign) {
            setup.foreign_images.push_back(target.string());
            continue;
        }
        ours += sha256_hex(read_regular_file(target.string()).bytes) + " " + name + "\n";
    }
    if (ours.empty()) {
        std::filesystem::remove(marker_path, error);
        return setup;
    }
    const WriteStatus written = write_file_atomically(marker_path.string(), ours);
    if (!written) return {written.error_number, marker_path.string(), {}};
    return setup;
}

}  // namespace tolvan
