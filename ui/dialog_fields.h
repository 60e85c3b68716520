// The number conversions of the settings boxes. A field holds what its value can store, or it
// has no value: the box then says so instead of storing 0.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "tools/symbols.h"

namespace tolvan {

inline constexpr std::size_t kFileNameFieldCapacity = 255;
// The 512 ms timer is edited in hundreds of instruction cycles.
inline constexpr std::int32_t kTimerLimit512msFieldScale = 100;
// The largest entries whose timing values fit a signed 32-bit number.
inline constexpr std::uint32_t kTimingFieldMaximum = std::numeric_limits<std::int32_t>::max();
inline constexpr std::uint32_t kTimerLimit512msFieldMaximum =
    kTimingFieldMaximum / kTimerLimit512msFieldScale;

// Decimal digits, with spaces around them, of at most `maximum`; nothing for anything else (an
// empty field, a sign, other characters, a larger number).
[[nodiscard]] std::optional<std::uint32_t> unsigned_field(std::string_view text,
                                                          std::uint32_t maximum);

// An Unassemble box address: plain digits in decimal, as the box has always read them;
// hexadecimal after "0x" or "&"; a label, "label+N" or "label-N", as the debugger's fields take
// them. Nothing for anything else or past 65535.
[[nodiscard]] std::optional<std::uint16_t> address_from_field(std::string_view text,
                                                              const Symbols& symbols);
// A timing field into its signed 32-bit timing value.
[[nodiscard]] std::optional<std::int32_t> timing_from_field(std::string_view text);
// MaxHorloge512 from the speed box's field: the field times 100.
[[nodiscard]] std::optional<std::int32_t> timer_limit_512ms_from_field(std::string_view text);

// What a field shows for a number, and the 512 ms timer in its field's unit (a negative value
// shows as 0).
std::string field_text(std::uint32_t value);
std::string timing_field_text(std::int32_t value);
std::string timer_limit_512ms_field_text(std::int32_t timer_limit_512ms);

}  // namespace tolvan
