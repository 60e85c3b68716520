// Writes one of the program's pictures as a PNG file: the icon that the install step puts in the
// desktop's icon folder, or the case picture that the artwork test keeps as its reference.
#include <cstdio>
#include <string_view>

#include "base/png.h"
#include "resources/artwork.h"

namespace {

constexpr int kInstalledIconSize = 128;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tolvan-artwork icon|case OUTPUT-FILE\n");
        return 2;
    }
    const std::string_view picture = argv[1];
    tolvan::Image image;
    if (picture == "icon") {
        image = tolvan::make_icon(kInstalledIconSize);
    } else if (picture == "case") {
        image = tolvan::make_case_bitmap();
    } else {
        std::fprintf(stderr, "tolvan-artwork: no picture named %s\n", argv[1]);
        return 2;
    }
    if (!tolvan::write_png(image, argv[2])) {
        std::fprintf(stderr, "tolvan-artwork: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
