// Numbers as the command lines take them: decimal, or hexadecimal after "0x".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvan {

// An unsigned number of at most `maximum`; nothing for anything else (signs, spaces, junk).
[[nodiscard]] std::optional<std::uint32_t> parse_unsigned(std::string_view text,
                                                          std::uint32_t maximum);

}  // namespace tolvan
