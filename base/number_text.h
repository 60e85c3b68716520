// Numbers written as text: digits alone, and as the command lines take them (decimal, or
// hexadecimal after "0x").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvan {

inline constexpr int kDecimal = 10;
inline constexpr int kHexadecimal = 16;

// Digits alone in the given base (no sign, no space, no prefix), as a number of at most
// `maximum`; nothing for anything else, an empty text included.
[[nodiscard]] std::optional<std::uint32_t> parse_digits(std::string_view digits, int base,
                                                        std::uint32_t maximum);

// Decimal, or hexadecimal after "0x", of at most `maximum`; nothing for anything else (signs,
// spaces, junk).
[[nodiscard]] std::optional<std::uint32_t> parse_unsigned(std::string_view text,
                                                          std::uint32_t maximum);

}  // namespace tolvan
