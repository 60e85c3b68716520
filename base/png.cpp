#include "base/png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <fstream>
#include <iterator>
#include <new>

namespace tolvan {

namespace {

constexpr int kBitDepth = 8;
constexpr int kRgbChannels = 3;
constexpr int kBestCompression = 9;
constexpr std::uint32_t kMaxDimension = 16384;
constexpr std::size_t kMaxPixels = std::size_t(1) << 26;

using Bytes = std::vector<std::uint8_t>;

// libpng reports a failure by jumping back to the setjmp of the function that called it. Every
// function below that calls into libpng sets that point itself and holds only trivially
// destructible locals, so the jump never skips a destructor; the buffers belong to its caller.

[[noreturn]] void fail(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void ignore_warning(png_structp /*png*/, png_const_charp /*message*/) {}

// Owns libpng's read or write state.
class PngState {
  public:
    explicit PngState(bool reading) : reading_(reading) {
        png_ = reading
                   ? png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignore_warning)
                   : png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignore_warning);
        if (png_ != nullptr) info_ = png_create_info_struct(png_);
    }
    ~PngState() {
        if (reading_) {
            png_destroy_read_struct(&png_, &info_, nullptr);
        } else {
            png_destroy_write_struct(&png_, &info_);
        }
    }
    PngState(const PngState&) = delete;
    PngState& operator=(const PngState&) = delete;

    bool ok() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    bool reading_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// ---- writing ----

void append_bytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        appended = false;
    }
    if (!appended) png_error(png, "out of memory");
}

void flush_nothing(png_structp /*png*/) {}

Bytes rgb_rows(const Image& image) {
    Bytes rows;
    rows.reserve(image.pixels.size() * kRgbChannels);
    for (const Rgb colour : image.pixels) {
        rows.push_back(static_cast<std::uint8_t>(colour >> 16));
        rows.push_back(static_cast<std::uint8_t>(colour >> 8));
        rows.push_back(static_cast<std::uint8_t>(colour));
    }
    return rows;
}

bool write_stream(const PngState& state, const Image& image, png_bytepp rows, Bytes* out) {
    png_structp png = state.png();
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append_bytes, flush_nothing);
    png_set_compression_level(png, kBestCompression);
    png_set_IHDR(png, state.info(), static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), kBitDepth, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, state.info(), rows);
    png_write_png(png, state.info(), PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

// ---- reading ----

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

void read_bytes(png_structp png, png_bytep data, png_size_t size) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (source->size - source->position < size) png_error(png, "truncated");
    std::copy_n(source->data + source->position, size, data);
    source->position += size;
}

struct Header {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colour_type = 0;
    std::size_t row_size = 0;
};

// Reads up to the pixel data; accepts only 8-bit, non-interlaced pictures of a sensible size.
bool read_header(const PngState& state, Source* source, Header* header) {
    png_structp png = state.png();
    png_infop info = state.info();
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, source, read_bytes);
    // Refuse what is damaged rather than show a wrong picture: any failing checksum, and the
    // flaws that libpng would otherwise only warn about, such as surplus pixel data.
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_benign_errors(png, 0);
    // Only the picture itself matters: every ancillary chunk (text, colour profiles, ...) is
    // skipped unread, so that a flaw in one cannot spoil the picture.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_user_limits(png, kMaxDimension, kMaxDimension);
    png_read_info(png, info);
    int bit_depth = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &header->width, &header->height, &bit_depth, &header->colour_type,
                 &interlace, nullptr, nullptr);
    header->row_size = png_get_rowbytes(png, info);
    return bit_depth == kBitDepth && interlace == PNG_INTERLACE_NONE &&
           std::size_t(header->width) * header->height <= kMaxPixels;
}

bool read_rows(const PngState& state, png_bytepp rows) {
    png_structp png = state.png();
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);  // checks the rest of the stream up to its end marker
    return true;
}

// The palette as libpng holds it; empty when the picture has none.
std::vector<png_color> palette_of(const PngState& state) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(state.png(), state.info(), &entries, &count) == 0) return {};
    return {entries, entries + count};
}

std::optional<Rgb> pixel_colour(int colour_type, const std::vector<png_color>& palette,
                                const std::uint8_t* pixel) {
    switch (colour_type) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return rgb(pixel[0], pixel[0], pixel[0]);
        case PNG_COLOR_TYPE_PALETTE: {
            if (pixel[0] >= palette.size()) return std::nullopt;
            const png_color& entry = palette[pixel[0]];
            return rgb(entry.red, entry.green, entry.blue);
        }
        default:  // RGB and RGBA: the alpha is dropped
            return rgb(pixel[0], pixel[1], pixel[2]);
    }
}

}  // namespace

std::vector<std::uint8_t> encode_png(const Image& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    Bytes rgb = rgb_rows(image);
    const std::size_t row_size = std::size_t(image.width) * kRgbChannels;
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = rgb.data() + y * row_size;
    const PngState state(false);
    Bytes out;
    if (!state.ok() || !write_stream(state, image, rows.data(), &out)) return {};
    return out;
}

bool write_png(const Image& image, const std::string& path) {
    const Bytes bytes = encode_png(image);
    if (bytes.empty()) return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::optional<Image> decode_png(const std::vector<std::uint8_t>& bytes) {
    const PngState state(true);
    Source source{bytes.data(), bytes.size(), 0};
    Header header;
    if (!state.ok() || !read_header(state, &source, &header)) return std::nullopt;

    Bytes raw(header.row_size * header.height);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = raw.data() + y * header.row_size;
    if (!read_rows(state, rows.data())) return std::nullopt;

    const std::vector<png_color> palette = palette_of(state);
    const std::size_t pixel_size = png_get_channels(state.png(), state.info());
    Image image(static_cast<int>(header.width), static_cast<int>(header.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::optional<Rgb> colour =
                pixel_colour(header.colour_type, palette, rows[y] + x * pixel_size);
            if (!colour) return std::nullopt;
            image.at(x, y) = *colour;
        }
    }
    return image;
}

std::optional<Image> read_png(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return decode_png(bytes);
}

}  // namespace tolvan
