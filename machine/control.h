// Machine control: power-on, the after-load reset, Save RAM and the error report through which
// an operation tells the front end that something failed. The execution slice is in slice.h.
#pragma once

#include <string>
#include <string_view>

#include "machine/configuration.h"
#include "machine/display.h"
#include "machine/emulator.h"

namespace tolvan {

inline constexpr const char* kLowRomFileName = "TOLVANL.ROM";
inline constexpr const char* kHighRomFileName = "TOLVANH.ROM";
inline constexpr std::size_t kLowRomSize = 0x2000;
inline constexpr std::size_t kHighRomSize = 0x8000;
inline constexpr std::uint16_t kRamImageStart = 0x2000;
inline constexpr std::size_t kRamImageSize = 0x6000;
inline constexpr std::size_t kErrorTextCapacity = 127;

inline constexpr const char* kRamWriteError = "Erreur pendant l'écriture de la RAM";
inline constexpr const char* kConfigurationWriteError = "Erreur pendant l'écriture de Tolvan.ini";
inline constexpr const char* kRamReadError = "Erreur pendant la lecture de la RAM";
inline constexpr const char* kTapeSaveError = "Erreur pendant l'écriture du fichier SAVE";

// Loads the configuration, both ROM images and the RAM image named by the configuration.
// Returns the status of all three files (the RAM image codes included); the power-on status
// kept in the state holds the ROM result only. On any failure PC restarts at 0.
[[nodiscard]] PowerOnStatus power_on(Emulator& emulator);
void after_load_reset(Emulator& emulator);
// Writes the RAM image (atomically: a failed write leaves the previous file intact), then the
// whole configuration beside it. Either failure is reported; when the image could not be
// written the configuration is left alone too, so that the registers and internal RAM on disk
// still belong to the image on disk.
void save_ram_image(Emulator& emulator);
// Saves those keys of the configuration, reporting a failure with the file and the reason.
void save_configuration_reporting(Emulator& emulator, ConfigurationKeys keys);
// Whether the RAM image file can be read in full; if not, the failure is reported.
[[nodiscard]] bool check_ram_image(Emulator& emulator, const std::string& file_name);
// Reports a failed SAVE that the tape has recorded, once.
void report_tape_failure(Emulator& emulator);
void report_error(Emulator& emulator, std::string_view message, std::string_view detail = {});

}  // namespace tolvan
