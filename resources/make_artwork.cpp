// Writes the case picture as a PNG file: the picture that the artwork test keeps as its
// reference (`tolvan-artwork case FILE`).
#include <cstdio>
#include <string_view>

#include "base/png.h"
#include "resources/artwork.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tolvan-artwork case OUTPUT-FILE\n");
        return 2;
    }
    if (std::string_view(argv[1]) != "case") {
        std::fprintf(stderr, "tolvan-artwork: no picture named %s\n", argv[1]);
        return 2;
    }
    if (!tolvan::write_png(tolvan::make_case_bitmap(), argv[2])) {
        std::fprintf(stderr, "tolvan-artwork: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
