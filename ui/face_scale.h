// How the face's image maps to the screen. Each dot of the image becomes a square block of a
// whole number of device pixels, whatever the screen's scale factor: at 1.5 a dot of 1.5 device
// pixels would come out as alternating 1- and 2-pixel columns, and the LCD's dots uneven.
#pragma once

namespace tolvan {

struct FaceScale {
    int dot_pixels = 1;             // device pixels per image pixel, across and down
    double device_pixel_ratio = 1;  // device pixels per device-independent pixel

    // The device-independent length that shows `image_length` image pixels whole.
    int shown_length(int image_length) const;
    // The image pixel under a device-independent coordinate.
    int image_coordinate(double shown) const;
    // The device-independent span that covers image pixels [first, first + length).
    int shown_start(int first) const;
    int shown_end(int first, int length) const;
};

// The zoom's whole number of device pixels per dot nearest to what it asks for, at least one.
FaceScale face_scale(int zoom, double device_pixel_ratio);

}  // namespace tolvan
