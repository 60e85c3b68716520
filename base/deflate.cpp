#include "base/deflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

namespace tolvan {

std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> bytes) {
    uLongf size = compressBound(bytes.size());
    std::vector<std::uint8_t> out(size);
    // With a buffer of compressBound's size, compress2 cannot fail but for want of memory, which
    // ends the program anyway as any allocation does.
    compress2(out.data(), &size, bytes.data(), bytes.size(), Z_DEFAULT_COMPRESSION);
    out.resize(size);
    return out;
}

std::optional<std::vector<std::uint8_t>> inflate_bytes(std::span<const std::uint8_t> input,
                                                       std::size_t max_size) {
    // zlib counts in 32-bit units: a larger input goes in parts.
    constexpr std::size_t kPart = std::numeric_limits<uInt>::max();
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    std::vector<std::uint8_t> out;
    std::array<std::uint8_t, 1 << 16> buffer{};
    stream.next_in = const_cast<Bytef*>(input.data());
    std::size_t in_left = input.size();
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0 && in_left != 0) {
            stream.avail_in = static_cast<uInt>(std::min(in_left, kPart));
            in_left -= stream.avail_in;
        }
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        // With no input left before the end, inflate says Z_BUF_ERROR: a stream cut short.
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = buffer.size() - stream.avail_out;
        if (produced > max_size - out.size()) {
            status = Z_DATA_ERROR;
            break;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<long>(produced));
    }
    const bool whole = status == Z_STREAM_END && stream.avail_in == 0 && in_left == 0;
    inflateEnd(&stream);
    if (!whole) return std::nullopt;
    return out;
}

}  // namespace tolvan
