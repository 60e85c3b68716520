#include "ui/dialog_fields.h"

#include <limits>

#include "base/number_text.h"

namespace tolvan {

namespace {

constexpr std::int64_t kTimingMaximum = std::numeric_limits<std::int32_t>::max();
constexpr std::uint32_t kAddressModulus = 0x10000;

std::string_view trim_spaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::int32_t clamp_timing(std::int64_t value) {
    return static_cast<std::int32_t>(value > kTimingMaximum ? kTimingMaximum : value);
}

}  // namespace

std::uint32_t parse_unsigned_field(std::string_view text) {
    constexpr std::uint32_t kLargest = std::numeric_limits<std::uint32_t>::max();
    return parse_digits(trim_spaces(text), kDecimal, kLargest).value_or(0);
}

std::uint16_t address_from_field(std::string_view text) {
    return static_cast<std::uint16_t>(parse_unsigned_field(text) % kAddressModulus);
}

std::int32_t timing_from_field(std::string_view text) {
    return clamp_timing(parse_unsigned_field(text));
}

std::int32_t timer_limit_512ms_from_field(std::string_view text) {
    return clamp_timing(std::int64_t{parse_unsigned_field(text)} * kTimerLimit512msFieldScale);
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
