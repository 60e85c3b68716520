// Machine control: power-on, the after-load reset, Save RAM, the execution slice and the error
// report through which an operation tells the front end that something failed.
#pragma once

#include <string>
#include <string_view>

#include "machine/emulator.h"

namespace tolvan {

inline constexpr const char* kLowRomFileName = "TOLVANL.ROM";
inline constexpr const char* kHighRomFileName = "TOLVANH.ROM";
inline constexpr std::size_t kLowRomSize = 0x2000;
inline constexpr std::size_t kHighRomSize = 0x8000;
inline constexpr std::uint16_t kRamImageStart = 0x2000;
inline constexpr std::size_t kRamImageSize = 0x6000;
inline constexpr std::size_t kErrorTextCapacity = 127;

// Power-on status codes.
inline constexpr int kPowerOnOk = 0;
inline constexpr int kLowRomShort = 1;
inline constexpr int kLowRomMissing = 2;
inline constexpr int kRamImageShort = 3;
inline constexpr int kRamImageMissing = 4;
inline constexpr int kHighRomShort = 5;
inline constexpr int kHighRomMissing = 6;

// Returns the status of all three files (the RAM image codes included); the power-on status
// kept in the state holds the ROM result only.
int power_on(Emulator& emulator, const std::string& ram_file_name);
void after_load_reset(Emulator& emulator);
void save_ram_image(Emulator& emulator, const std::string& ram_file_name);
void report_error(Emulator& emulator, std::string_view message);

}  // namespace tolvan
