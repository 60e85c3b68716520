#include "ui/bitmaps.h"

#include "resources/artwork.h"

namespace tolvan {

void load_bitmaps(Image& case_bitmap, Image& pixel_bitmap) {
    case_bitmap = make_case_bitmap();
    pixel_bitmap = make_pixel_bitmap();
}

Image info_picture() {
    return make_info_picture();
}

Image application_icon(int size) {
    return make_icon(size);
}

}  // namespace tolvan
