// Upper-case, zero-padded hexadecimal, as every text of the tools writes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tolvan {

inline std::string hex_digits(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, static_cast<unsigned>(value));
    return buffer;
}

// The prefix ("&", "L_") followed by the digits. Built by appending: g++ 12 warns wrongly about
// a literal added to a temporary string.
inline std::string prefixed_hex(std::string_view prefix, std::uint32_t value, int digits) {
    std::string text(prefix);
    text += hex_digits(value, digits);
    return text;
}

inline std::string hex2(std::uint32_t value) {
    return hex_digits(value & 0xFFu, 2);
}
inline std::string hex4(std::uint32_t value) {
    return hex_digits(value & 0xFFFFu, 4);
}

}  // namespace tolvan
