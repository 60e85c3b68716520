#include "base/png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

namespace tolvan {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr int kBitDepth = 8;
constexpr int kRgbChannels = 3;
constexpr std::size_t kHeaderSize = 13;
constexpr std::size_t kChunkOverhead = 12;  // length, type and checksum around the data
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr int kMaxDimension = 16384;
constexpr std::size_t kMaxPixels = std::size_t(1) << 26;
constexpr std::size_t kMaxPaletteEntries = 256;
constexpr std::size_t kInflateChunk = 1 << 16;

enum ColourType : std::uint8_t {
    kGrey = 0,
    kRgb = 2,
    kPalette = 3,
    kGreyAlpha = 4,
    kRgba = 6,
};

enum Filter : std::uint8_t {
    kFilterNone = 0,
    kFilterSub = 1,
    kFilterUp = 2,
    kFilterAverage = 3,
    kFilterPaeth = 4,
    kFilterCount = 5,
};

using Bytes = std::vector<std::uint8_t>;

// ---- writing ----

void put_u32(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t chunk_crc(std::string_view type, const std::uint8_t* data, std::size_t size) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
    if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
    return static_cast<std::uint32_t>(crc);
}

void put_chunk(Bytes& out, std::string_view type, const Bytes& data) {
    put_u32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    put_u32(out, chunk_crc(type, data.data(), data.size()));
}

int paeth(int left, int up, int up_left) {
    const int estimate = left + up - up_left;
    const int to_left = std::abs(estimate - left);
    const int to_up = std::abs(estimate - up);
    const int to_up_left = std::abs(estimate - up_left);
    if (to_left <= to_up && to_left <= to_up_left) return left;
    if (to_up <= to_up_left) return up;
    return up_left;
}

// The value that filter type `filter` predicts for a byte from its three decoded neighbours.
int predict(int filter, int left, int up, int up_left) {
    switch (filter) {
        case kFilterSub:
            return left;
        case kFilterUp:
            return up;
        case kFilterAverage:
            return (left + up) / 2;
        case kFilterPaeth:
            return paeth(left, up, up_left);
        default:
            return 0;
    }
}

Bytes rgb_row(const Image& image, int y) {
    Bytes row;
    row.reserve(std::size_t(image.width) * kRgbChannels);
    for (int x = 0; x < image.width; ++x) {
        const Rgb colour = image.at(x, y);
        row.push_back(static_cast<std::uint8_t>(colour >> 16));
        row.push_back(static_cast<std::uint8_t>(colour >> 8));
        row.push_back(static_cast<std::uint8_t>(colour));
    }
    return row;
}

Bytes filter_row(int filter, const Bytes& row, const Bytes& previous, std::size_t pixel_size) {
    Bytes out(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= pixel_size ? row[i - pixel_size] : 0;
        const int up = previous[i];
        const int up_left = i >= pixel_size ? previous[i - pixel_size] : 0;
        out[i] = static_cast<std::uint8_t>(row[i] - predict(filter, left, up, up_left));
    }
    return out;
}

// The usual choice: the filter whose output, read as signed bytes, has the smallest sum.
long filtered_cost(const Bytes& filtered) {
    long cost = 0;
    for (const std::uint8_t byte : filtered)
        cost += std::abs(static_cast<std::int8_t>(byte));
    return cost;
}

Bytes filtered_scanlines(const Image& image) {
    Bytes out;
    Bytes previous(std::size_t(image.width) * kRgbChannels, 0);
    for (int y = 0; y < image.height; ++y) {
        const Bytes row = rgb_row(image, y);
        int best_filter = kFilterNone;
        Bytes best = row;
        long best_cost = filtered_cost(row);
        for (int filter = kFilterSub; filter < kFilterCount; ++filter) {
            Bytes candidate = filter_row(filter, row, previous, kRgbChannels);
            const long cost = filtered_cost(candidate);
            if (cost < best_cost) {
                best_filter = filter;
                best = std::move(candidate);
                best_cost = cost;
            }
        }
        out.push_back(static_cast<std::uint8_t>(best_filter));
        out.insert(out.end(), best.begin(), best.end());
        previous = row;
    }
    return out;
}

Bytes deflate_bytes(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    out.resize(size);
    return out;
}

// ---- reading ----

std::uint32_t get_u32(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
}

struct Header {
    int width = 0;
    int height = 0;
    int colour_type = 0;
};

struct Stream {
    Header header;
    Bytes palette;  // RGB triplets
    Bytes compressed;
};

int channels_of(int colour_type) {
    switch (colour_type) {
        case kGrey:
        case kPalette:
            return 1;
        case kGreyAlpha:
            return 2;
        case kRgb:
            return 3;
        case kRgba:
            return 4;
        default:
            return 0;
    }
}

std::optional<Header> parse_header(const std::uint8_t* data, std::size_t size) {
    if (size != kHeaderSize) return std::nullopt;
    const std::uint32_t width = get_u32(data);
    const std::uint32_t height = get_u32(data + 4);
    const int bit_depth = data[8];
    const int colour_type = data[9];
    const int compression = data[10];
    const int filter_method = data[11];
    const int interlace = data[12];
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension ||
        std::size_t(width) * height > kMaxPixels) {
        return std::nullopt;
    }
    if (bit_depth != kBitDepth || channels_of(colour_type) == 0 || compression != 0 ||
        filter_method != 0 || interlace != 0) {
        return std::nullopt;
    }
    return Header{static_cast<int>(width), static_cast<int>(height), colour_type};
}

bool is_critical(std::string_view type) {
    return (type[0] & 0x20) == 0;
}

// Walks the chunks up to IEND, checking every length and checksum.
std::optional<Stream> parse_chunks(const Bytes& bytes) {
    if (bytes.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
        return std::nullopt;
    }
    Stream stream;
    bool have_header = false;
    std::size_t position = kSignature.size();
    while (bytes.size() - position >= kChunkOverhead) {
        const std::uint32_t length = get_u32(&bytes[position]);
        if (length > kMaxChunkLength || bytes.size() - position - kChunkOverhead < length) break;
        const std::string_view type(reinterpret_cast<const char*>(&bytes[position + 4]), 4);
        const std::uint8_t* data = &bytes[position + 8];
        if (get_u32(data + length) != chunk_crc(type, data, length)) return std::nullopt;
        position += kChunkOverhead + length;
        if (!have_header) {
            if (type != "IHDR") return std::nullopt;
            const std::optional<Header> header = parse_header(data, length);
            if (!header) return std::nullopt;
            stream.header = *header;
            have_header = true;
        } else if (type == "PLTE") {
            if (length % 3 != 0 || length / 3 > kMaxPaletteEntries) return std::nullopt;
            stream.palette.assign(data, data + length);
        } else if (type == "IDAT") {
            stream.compressed.insert(stream.compressed.end(), data, data + length);
        } else if (type == "IEND") {
            return stream;
        } else if (is_critical(type)) {
            return std::nullopt;  // a chunk that must be understood to show the image right
        }
    }
    return std::nullopt;  // truncated: no IEND
}

// Inflates exactly `expected` bytes; a shorter stream or one with more data is damaged.
std::optional<Bytes> inflate_exact(const Bytes& compressed, std::size_t expected) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return std::nullopt;
    Bytes out(expected + 1);
    zs.next_in = const_cast<Bytef*>(compressed.data());
    zs.avail_in = static_cast<uInt>(compressed.size());
    zs.next_out = out.data();
    int status = Z_OK;
    while (status == Z_OK) {
        const std::size_t room = out.size() - zs.total_out;
        if (room == 0) break;
        zs.avail_out = static_cast<uInt>(std::min(room, kInflateChunk));
        zs.next_out = out.data() + zs.total_out;
        status = inflate(&zs, Z_NO_FLUSH);
    }
    const std::size_t produced = zs.total_out;
    inflateEnd(&zs);
    if (status != Z_STREAM_END || produced != expected) return std::nullopt;
    out.resize(expected);
    return out;
}

bool unfilter(Bytes& raw, std::size_t row_size, int rows, std::size_t pixel_size) {
    const Bytes zero_row(row_size, 0);
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* line = &raw[std::size_t(y) * (row_size + 1)];
        const int filter = line[0];
        if (filter >= kFilterCount) return false;
        const std::uint8_t* previous = y == 0 ? zero_row.data() : line - row_size;
        std::uint8_t* row = line + 1;
        for (std::size_t i = 0; i < row_size; ++i) {
            const int left = i >= pixel_size ? row[i - pixel_size] : 0;
            const int up = previous[i];
            const int up_left = i >= pixel_size ? previous[i - pixel_size] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + predict(filter, left, up, up_left));
        }
    }
    return true;
}

std::optional<Rgb> pixel_colour(const Stream& stream, const std::uint8_t* pixel) {
    switch (stream.header.colour_type) {
        case kGrey:
        case kGreyAlpha:
            return rgb(pixel[0], pixel[0], pixel[0]);
        case kPalette: {
            const std::size_t entry = std::size_t(pixel[0]) * 3;
            if (entry + 2 >= stream.palette.size()) return std::nullopt;
            return rgb(stream.palette[entry], stream.palette[entry + 1], stream.palette[entry + 2]);
        }
        default:
            return rgb(pixel[0], pixel[1], pixel[2]);
    }
}

}  // namespace

std::vector<std::uint8_t> encode_png(const Image& image) {
    Bytes header;
    put_u32(header, static_cast<std::uint32_t>(image.width));
    put_u32(header, static_cast<std::uint32_t>(image.height));
    header.push_back(kBitDepth);
    header.push_back(kRgb);
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(0);  // not interlaced

    Bytes out(kSignature.begin(), kSignature.end());
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", deflate_bytes(filtered_scanlines(image)));
    put_chunk(out, "IEND", {});
    return out;
}

bool write_png(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    const Bytes bytes = encode_png(image);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::optional<Image> decode_png(const std::vector<std::uint8_t>& bytes) {
    const std::optional<Stream> stream = parse_chunks(bytes);
    if (!stream) return std::nullopt;
    const Header& header = stream->header;
    if (header.colour_type == kPalette && stream->palette.empty()) return std::nullopt;
    const std::size_t pixel_size = channels_of(header.colour_type);
    const std::size_t row_size = std::size_t(header.width) * pixel_size;
    std::optional<Bytes> raw = inflate_exact(stream->compressed, (row_size + 1) * header.height);
    if (!raw || !unfilter(*raw, row_size, header.height, pixel_size)) return std::nullopt;

    Image image(header.width, header.height);
    for (int y = 0; y < header.height; ++y) {
        const std::uint8_t* row = &(*raw)[std::size_t(y) * (row_size + 1) + 1];
        for (int x = 0; x < header.width; ++x) {
            const std::optional<Rgb> colour = pixel_colour(*stream, row + x * pixel_size);
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
