// A compact form for byte strings that are mostly zero, such as the difference (exclusive or)
// of two states of a machine a second apart: runs of zeros are replaced by their length.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tolvan {

// Appends the coded form of `bytes` exclusive-or `base` (of the same length; zeros when empty):
// pairs of a zero run's length and a literal run's length (each 7 bits a byte, lowest first, the
// top bit set on all but the last byte), each pair followed by the literal bytes. Equal stretches
// are skipped eight bytes at a time.
void append_zero_runs(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> base,
                      std::vector<std::uint8_t>& out);

// The bytes again, or nothing when the coded form is damaged or would give more than max_size.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> decode_zero_runs(
    std::span<const std::uint8_t> coded, std::size_t max_size);

// target[n] ^= coded bytes[n] for the bytes that the coded form gives; false when it is damaged
// or longer than target.
[[nodiscard]] bool xor_zero_runs(std::span<const std::uint8_t> coded,
                                 std::span<std::uint8_t> target);

}  // namespace tolvan
