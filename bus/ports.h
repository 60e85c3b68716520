// Latches of the four output ports and the display refresh request that port C raises.
#pragma once

#include <cstdint>

namespace tolvan {

inline constexpr std::uint8_t kPortBTapeInputEcho = 0x02;  // OUTB: bit 1 also enables tape
inline constexpr std::uint8_t kPortBTapeEnable = 0x10;
inline constexpr std::uint8_t kPortBLoadStart = 0x20;
inline constexpr std::uint8_t kPortFTapeBit = 0x08;
inline constexpr std::uint8_t kPortCDisplayOn = 0x01;
inline constexpr std::uint8_t kPortCTimerReset = 0x02;

struct Ports {
    std::uint8_t port_a = 0;
    std::uint8_t port_b = 0;
    std::uint8_t port_f = 0;
    std::uint8_t port_c = 0;
    // Set when the firmware switches the display on; the execution slice stops on it.
    bool refresh_request = false;
};

}  // namespace tolvan
