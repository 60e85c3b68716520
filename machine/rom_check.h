// What a folder lacks of the two ROM images, said so that the user can put things right: each
// image's name, expected size and addresses, and what was found instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvan {

struct RomImageProblem {
    const char* name;
    std::size_t expected_size;
    std::uint16_t first_address;
    // "missing", "only 100 bytes", "not a regular file", or the system's reason.
    std::string found;
};

// The images of the folder that power-on cannot load in full, low image first.
std::vector<RomImageProblem> rom_image_problems(const std::filesystem::path& folder);

// "TOLVANL.ROM: missing; 8192 bytes (0x2000) expected, addresses 0x0000-0x1FFF"
std::string describe_problem(const RomImageProblem& problem);

}  // namespace tolvan
