// The window's pictures, drawn by the artwork library. Kept apart from the display's header,
// whose size and colour constants the artwork library declares as well.
#pragma once

#include "machine/image.h"

namespace tolvan {

inline constexpr int kDesktopIconSize = 128;

// The case bitmap and the pixel bitmap, as the window loads them at creation.
void load_bitmaps(Image& case_bitmap, Image& pixel_bitmap);
Image info_picture();
Image application_icon(int size);

}  // namespace tolvan
