// zlib's deflate format (RFC 1950) for files that Tolvan writes compressed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tolvan {

std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> bytes);

// The bytes again; nothing when the stream is damaged, incomplete, followed by other bytes, or
// would give more than max_size bytes.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> inflate_bytes(
    std::span<const std::uint8_t> stream, std::size_t max_size);

}  // namespace tolvan
