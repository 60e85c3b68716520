#include "ui/dialog_fields.h"

#include "base/number_text.h"

namespace tolvan {

namespace {

std::string_view trim_spaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool all_digits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

constexpr std::uint32_t kLastAddress = 0xFFFF;

}  // namespace

std::optional<std::uint32_t> unsigned_field(std::string_view text, std::uint32_t maximum) {
    return parse_digits(trim_spaces(text), kDecimal, maximum);
}

std::optional<std::uint16_t> address_from_field(std::string_view text, const Symbols& symbols) {
    const std::string_view trimmed = trim_spaces(text);
    // A label spelled in digits alone cannot be typed here: plain digits are decimal.
    if (all_digits(trimmed)) {
        const auto value = unsigned_field(trimmed, kLastAddress);
        if (!value) return std::nullopt;
        return static_cast<std::uint16_t>(*value);
    }
    return parse_address(symbols, trimmed, PlainDigits::kAsDecimal);
}

std::optional<std::int32_t> timing_from_field(std::string_view text) {
    const auto value = unsigned_field(text, kTimingFieldMaximum);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<std::int32_t> timer_limit_512ms_from_field(std::string_view text) {
    const auto value = unsigned_field(text, kTimerLimit512msFieldMaximum);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value) * kTimerLimit512msFieldScale;
}

std::string field_text(std::uint32_t value) {
    return std::to_string(value);
}

std::string timing_field_text(std::int32_t value) {
    return field_text(value < 0 ? 0 : static_cast<std::uint32_t>(value));
}

std::string timer_limit_512ms_field_text(std::int32_t timer_limit_512ms) {
    return timing_field_text(timer_limit_512ms / kTimerLimit512msFieldScale);
}

}  // namespace tolvan
