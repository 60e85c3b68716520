#include "base/number_text.h"

#include <charconv>

namespace tolvan {

namespace {

constexpr int kDecimal = 10;
constexpr int kHexadecimal = 16;

}  // namespace

std::optional<std::uint32_t> parse_unsigned(std::string_view text, std::uint32_t maximum) {
    int base = kDecimal;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = kHexadecimal;
    }
    // from_chars would take a leading minus sign; a number here never has one.
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || value > maximum) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace tolvan
