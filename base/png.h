// Reading and writing images as PNG files: the artwork is generated at build time and stored
// as PNG so that the window layer and the installed program can load it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/image.h"

namespace tolvan {

// An 8-bit RGB, non-interlaced PNG stream of the image. Identical images give identical bytes.
// A PNG cannot hold an empty image: one of width or height 0 gives no bytes at all.
std::vector<std::uint8_t> encode_png(const Image& image);

// Writes encode_png(image) to path; false for an empty image and on any failure to create or
// write the file.
[[nodiscard]] bool write_png(const Image& image, const std::string& path);

// Accepts non-interlaced PNG streams of bit depth 8 in grey, RGB, palette, grey + alpha or
// RGBA (alpha is dropped), with any filter type. Returns nothing for anything else and for
// damaged data: a bad signature, a failing chunk checksum, truncated or surplus pixel data.
[[nodiscard]] std::optional<Image> decode_png(const std::vector<std::uint8_t>& bytes);

// decode_png of the file's contents; nothing when the file cannot be read.
[[nodiscard]] std::optional<Image> read_png(const std::string& path);

}  // namespace tolvan
