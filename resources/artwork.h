// The program's pictures, drawn by code: the LCD column images, the calculator's face on which
// the LCD is drawn and the keys are clicked and the small picture of the Info box. The icon is
// drawn apart, as a scalable picture (icon.svg).
#pragma once

#include "base/image.h"

namespace tolvan {

// The size of the case bitmap is the face's (machine/face_layout.h); the size of the pixel bitmap
// and the LCD's colours are those of machine/display.h, which draws with them.
constexpr int kInfoPictureWidth = 64;
constexpr int kInfoPictureHeight = 27;

// The 128 images of a dot column: the image of column value v (bit b = dot row b from the top)
// is 2 x 21 pixels at x = 2v, each set bit a 2 x 2 dot at y = 3b.
Image make_pixel_bitmap();

// The calculator's face, 602 x 222, with every LCD dot and annunciator lit; the area just below
// each annunciator is plain glass (its unlit image).
Image make_case_bitmap();

// The face scaled down to 64 x 27.
Image make_info_picture();

}  // namespace tolvan
