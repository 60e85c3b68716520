#include "base/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tolvan {

std::optional<std::uint32_t> parse_digits(std::string_view digits, int base,
                                          std::uint32_t maximum) {
    // from_chars would take a leading minus sign; digits alone never have one.
    if (digits.empty() || digits.front() == '-' || digits.front() == '+') return std::nullopt;
    std::uint64_t value = 0;
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(digits.data(), last, value, base);
    if (error != std::errc{} || end != last || value > maximum) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> parse_unsigned(std::string_view text, std::uint32_t maximum) {
    int base = kDecimal;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = kHexadecimal;
    }
    return parse_digits(text, base, maximum);
}

NumberReading read_number(std::string_view text, std::uint64_t maximum) {
    // A minus sign before digits writes a number below every range the programs take.
    if (text.size() > 1 && text[0] == '-' &&
        read_number(text.substr(1), maximum).status != NumberStatus::kMalformed) {
        return {NumberStatus::kOutOfRange, 0};
    }
    int base = kDecimal;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = kHexadecimal;
    } else if (text.size() > 1 && text[0] == '&') {
        text.remove_prefix(1);
        base = kHexadecimal;
    }
    const bool digits_only = !text.empty() && std::all_of(text.begin(), text.end(), [base](char c) {
        const auto u = static_cast<unsigned char>(c);
        return base == kHexadecimal ? std::isxdigit(u) != 0 : std::isdigit(u) != 0;
    });
    if (!digits_only) return {NumberStatus::kMalformed, 0};
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || value > maximum) return {NumberStatus::kOutOfRange, 0};
    return {NumberStatus::kOk, value};
}

std::string counted(std::uint64_t count, std::string_view noun) {
    std::string text = std::to_string(count);
    text += ' ';
    text += noun;
    if (count != 1) text += 's';
    return text;
}

}  // namespace tolvan
