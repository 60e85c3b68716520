// Machine control: power-on, the after-load reset, Save RAM, the execution slice and the error
// report through which an operation tells the front end that something failed.
#pragma once

#include <chrono>
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

// Power-on status codes.
inline constexpr int kPowerOnOk = 0;
inline constexpr int kLowRomShort = 1;
inline constexpr int kLowRomMissing = 2;
inline constexpr int kRamImageShort = 3;
inline constexpr int kRamImageMissing = 4;
inline constexpr int kHighRomShort = 5;
inline constexpr int kHighRomMissing = 6;

// The firmware passes this address once per keyboard scan; a held key is let go after three.
inline constexpr std::uint16_t kKeyReleaseAddress = 0x1330;
inline constexpr int kKeyReleasePasses = 3;
inline constexpr int kStepsPerSlice = 10000;
// A slice never runs much longer than the timer period that calls it, so that a large
// MaxDelay slows the machine down without freezing the window.
inline constexpr std::chrono::milliseconds kSlicePeriod{10};
inline constexpr int kStepsBetweenClockChecks = 32;
// From this MaxDelay on a single step takes microseconds: the clock is read after every step.
inline constexpr std::int32_t kDelayCheckedEveryStep = 10000;

inline constexpr const char* kRamWriteError = "Erreur pendant l'écriture de la RAM";
inline constexpr const char* kConfigurationWriteError = "Erreur pendant l'écriture de Tolvan.ini";
inline constexpr const char* kRamReadError = "Erreur pendant la lecture de la RAM";
inline constexpr const char* kTapeSaveError = "Erreur pendant l'écriture du fichier SAVE";

// Loads the configuration, both ROM images and the RAM image named by the configuration.
// Returns the status of all three files (the RAM image codes included); the power-on status
// kept in the state holds the ROM result only. On any failure PC restarts at 0.
[[nodiscard]] int power_on(Emulator& emulator);
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

// Called after every instruction step of a slice, with the address and opcode it executed; for
// tracing. Costs one predictable branch per step when absent.
struct StepObserver {
    void (*after_step)(void* context, const Emulator& emulator, std::uint16_t address,
                       std::uint8_t opcode) = nullptr;
    void* context = nullptr;
};

// One instruction step, reported to the observer if there is one.
void observed_step(Emulator& emulator, const StepObserver& observer);

// One execution slice: up to kStepsPerSlice instructions, stopping early when the firmware
// switches the display on; draws the LCD then if a display byte changed.
void run_slice(Emulator& emulator, Display& display, const StepObserver& observer = {});

}  // namespace tolvan
