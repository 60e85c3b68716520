// Machine control: power-on, the after-load reset, Save RAM and the checks and saves that the
// menu commands share. The execution slice is in slice.h.
#pragma once

#include <string>

#include "machine/configuration.h"
#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/failures.h"

namespace tolvan {

inline constexpr const char* kLowRomFileName = "TOLVANL.ROM";
inline constexpr const char* kHighRomFileName = "TOLVANH.ROM";
inline constexpr std::size_t kLowRomSize = 0x2000;
inline constexpr std::size_t kHighRomSize = 0x8000;
inline constexpr std::uint16_t kRamImageStart = 0x2000;
inline constexpr std::size_t kRamImageSize = 0x6000;

inline constexpr const char* kRamWriteError = "Erreur pendant l'écriture de la RAM";
inline constexpr const char* kConfigurationWriteError = "Erreur pendant l'écriture de Tolvan.ini";
inline constexpr const char* kRamReadError = "Erreur pendant la lecture de la RAM";
inline constexpr const char* kTapeSaveError = "Erreur pendant l'écriture du fichier SAVE";
inline constexpr const char* kConfigurationReadError = "Erreur pendant la lecture de Tolvan.ini";
// Save RAM's journal is kept beside the configuration file, in the current directory.
inline constexpr const char* kSaveFolder = ".";

// What power-on found of the files it loads.
struct [[nodiscard]] PowerOnResult {
    // Of the ROM images, as the state keeps it: anything but kOk keeps the machine still.
    PowerOnStatus roms = PowerOnStatus::kOk;
    // Of the RAM image: kOk, kRamImageShort or kRamImageMissing, a first run.
    PowerOnStatus ram = PowerOnStatus::kOk;
    // A Save RAM interrupted earlier that could not be finished, file names of the
    // configuration longer than the program keeps.
    Failures failures;
};
// Finishes a Save RAM that was interrupted after its commit, or gives up one interrupted before,
// so that the RAM image and the configuration on disk belong together.
Failures recover_saved_files();
// Loads the configuration, both ROM images and the RAM image named by the configuration, once
// an interrupted Save RAM is recovered. On any failure PC restarts at 0.
PowerOnResult power_on(Emulator& emulator);
void after_load_reset(Emulator& emulator);
// Writes the RAM image and the whole configuration beside it as one transaction: both files get
// their new contents or neither does, even across a crash (the next power-on finishes or gives
// up the save), so that the registers and internal RAM on disk belong to the image on disk. A
// configuration whose file names were cut short is not saved over.
Failures save_ram_image(const Emulator& emulator);
// Saves those keys of the configuration; a failure names the file and the reason.
Failures save_configuration_keys(const Emulator& emulator, ConfigurationKeys keys);
// Whether the RAM image file can be read in full.
Failures check_ram_image(const std::string& file_name);
// A failed SAVE that the tape has recorded, taken from it so that it is told once.
Failures take_tape_failure(Tape& tape);

}  // namespace tolvan
