#include "ui/face_scale.h"

#include <algorithm>
#include <cmath>

namespace tolvan {

int FaceScale::shown_length(int image_length) const {
    return static_cast<int>(std::ceil(image_length * dot_pixels / device_pixel_ratio));
}

int FaceScale::image_coordinate(double shown) const {
    return static_cast<int>(std::floor(shown * device_pixel_ratio / dot_pixels));
}

int FaceScale::shown_start(int first) const {
    return static_cast<int>(std::floor(first * dot_pixels / device_pixel_ratio));
}

int FaceScale::shown_end(int first, int length) const {
    return shown_length(first + length);
}

FaceScale face_scale(int zoom, double device_pixel_ratio) {
    const double ratio = device_pixel_ratio > 0 ? device_pixel_ratio : 1;
    const int dots = std::max(1, static_cast<int>(std::lround(zoom * ratio)));
    return {dots, ratio};
}

}  // namespace tolvan
