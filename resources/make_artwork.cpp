// Writes the program's pictures as PNG files into the directory named on the command line.
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/png.h"
#include "resources/artwork.h"

namespace {

constexpr int kInstalledIconSize = 128;

bool write_one(const tolvan::Image& image, const std::filesystem::path& path) {
    if (tolvan::write_png(image, path.string())) return true;
    std::fprintf(stderr, "tolvan-artwork: cannot write %s\n", path.string().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvan-artwork OUTPUT-DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "tolvan-artwork: cannot create %s: %s\n", argv[1],
                     error.message().c_str());
        return 1;
    }
    const bool written = write_one(tolvan::make_case_bitmap(), directory / "ecran.png") &&
                         write_one(tolvan::make_pixel_bitmap(), directory / "pixels.png") &&
                         write_one(tolvan::make_info_picture(), directory / "picture8001.png") &&
                         write_one(tolvan::make_icon(kInstalledIconSize), directory / "tolvan.png");
    return written ? 0 : 1;
}
