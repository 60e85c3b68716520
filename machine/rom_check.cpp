#include "machine/rom_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
#include "base/number_text.h"
#include "base/regular_file.h"
#include "bus/address_space.h"
#include "machine/control.h"

namespace tolvan {

namespace {

struct RomImage {
    const char* name;
    std::size_t size;
    std::uint16_t first_address;
};

constexpr RomImage kRomImages[] = {
    {kLowRomFileName, kLowRomSize, 0x0000},
    {kHighRomFileName, kHighRomSize, kHighRomStart},
};

std::string what_was_found(const ReadFile& file) {
    if (file.error_number == ENOENT) return "missing";
    if (file.error_number == kNotRegularFile) return "not a regular file";
    if (file.error_number == EISDIR) return "a directory";
    if (file.error_number != 0) return std::strerror(file.error_number);
    return "only " + counted(file.bytes.size(), "byte");
}

std::string hex(std::size_t value, int digits) {
    char text[8];
    std::snprintf(text, sizeof text, "%0*zX", digits, value);
    return text;
}

}  // namespace

std::vector<RomImageProblem> rom_image_problems(const std::filesystem::path& folder) {
    std::vector<RomImageProblem> problems;
    for (const RomImage& image : kRomImages) {
        const ReadFile file = read_regular_file((folder / image.name).string(), image.size);
        if (file.error_number == 0 && file.bytes.size() == image.size) continue;
        problems.push_back({image.name, image.size, image.first_address, what_was_found(file)});
    }
    return problems;
}

std::string describe_problem(const RomImageProblem& problem) {
    std::string text = problem.name;
    text += ": ";
    text += problem.found;
    text += "; ";
    text += std::to_string(problem.expected_size);
    text += " bytes (0x";
    text += hex(problem.expected_size, 4);
    text += ") expected, addresses 0x";
    text += hex(problem.first_address, 4);
    text += "-0x";
    text += hex(problem.first_address + problem.expected_size - 1, 4);
    return text;
}

}  // namespace tolvan
