#include "resources/artwork.h"

#include "machine/display.h"
#include "resources/canvas.h"

namespace tolvan {

namespace {

constexpr int kColumnValues = 128;  // bit 7 of a column byte is not displayed

}  // namespace

Image make_pixel_bitmap() {
    Image image(kPixelBitmapWidth, kPixelBitmapHeight, kLcdBackground);
    for (int value = 0; value < kColumnValues; ++value) {
        for (int bit = 0; bit < kDotRows; ++bit) {
            if ((value >> bit & 1) == 0) continue;
            fill_rect(image, {kColumnImageWidth * value, kDotPitch * bit, kDotSize, kDotSize},
                      kLcdDot);
        }
    }
    return image;
}

Image make_info_picture() {
    return scale_area(make_case_bitmap(), kInfoPictureWidth, kInfoPictureHeight);
}

}  // namespace tolvan
