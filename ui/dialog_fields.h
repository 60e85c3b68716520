// The number conversions of the settings boxes. Fields hold unsigned decimal numbers; anything
// else reads as 0, and nothing is otherwise checked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvan {

inline constexpr std::size_t kFileNameFieldCapacity = 255;
// The 512 ms timer is edited in hundreds of instruction cycles.
inline constexpr std::int32_t kTimerLimit512msFieldScale = 100;

// Spaces around the digits are allowed; no sign, no other character, and a value that does not
// fit in 32 bits reads as 0.
std::uint32_t parse_unsigned_field(std::string_view text);

// An address field: the value kept in 16 bits (70000 gives 4464).
std::uint16_t address_from_field(std::string_view text);
// A timing field into a signed 32-bit timing value; values past its range stay at its maximum,
// so that a large entry never turns negative.
std::int32_t timing_from_field(std::string_view text);
// MaxHorloge512 from the speed box's field: the field times 100, kept within the signed range.
std::int32_t timer_limit_512ms_from_field(std::string_view text);

// What a field shows for a number, and the 512 ms timer in its field's unit (a negative value
// shows as 0).
std::string field_text(std::uint32_t value);
std::string timing_field_text(std::int32_t value);
std::string timer_limit_512ms_field_text(std::int32_t timer_limit_512ms);

}  // namespace tolvan
