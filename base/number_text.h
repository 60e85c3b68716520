// Numbers written as text: digits alone, as the command lines take them (decimal, or
// hexadecimal after "0x" or "&"), and counts in words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

enum class NumberStatus : std::uint8_t { kOk, kMalformed, kOutOfRange };

struct NumberReading {
    NumberStatus status = NumberStatus::kMalformed;
    std::uint64_t value = 0;
};

// Decimal, or hexadecimal after "0x" or "&", as the programs' command lines take numbers; a
// number that is well written but larger than `maximum` (or negative) is out of range rather
// than malformed, so that the message can say which.
[[nodiscard]] NumberReading read_number(std::string_view text, std::uint64_t maximum);

// "1 instruction", "2 instructions": a count and its noun, plural made with an s.
std::string counted(std::uint64_t count, std::string_view noun);

}  // namespace tolvan
