#include "base/image.h"

#include <algorithm>

namespace tolvan {

void copy_rect(Image& target, int tx, int ty, const Image& source, int sx, int sy, int w, int h) {
    for (int row = 0; row < h; ++row) {
        const int source_y = sy + row;
        const int target_y = ty + row;
        if (source_y < 0 || source_y >= source.height || target_y < 0 ||
            target_y >= target.height) {
            continue;
        }
        for (int column = 0; column < w; ++column) {
            const int source_x = sx + column;
            const int target_x = tx + column;
            if (source_x < 0 || source_x >= source.width || target_x < 0 ||
                target_x >= target.width) {
                continue;
            }
            target.at(target_x, target_y) = source.at(source_x, source_y);
        }
    }
}

}  // namespace tolvan
