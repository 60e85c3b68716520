// Base64 (RFC 4648, with padding), in which the debug adapter's protocol carries memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvan {

std::string base64_encode(const std::vector<std::uint8_t>& bytes);

// Nothing when the text is not base64: a character outside the alphabet, a length that is not
// a multiple of four, or padding anywhere but at the end.
std::optional<std::vector<std::uint8_t>> base64_decode(std::string_view text);

}  // namespace tolvan
