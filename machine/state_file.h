// State files: the whole machine at one instruction, in one file that a later version of Tolvan
// still loads. The format (see the README):
//
//   "TOLVAN-STATE"   12 bytes
//   version          4 bytes, lowest first: 1
//   records          a zlib stream (RFC 1950) of records, to the end of the file
//
// A record is a name (its length in one byte, then ASCII), and a value (its length in four
// bytes, lowest first, then the bytes). The first two are the SHA-256 digests of the ROM images
// that the machine ran ("low_rom_sha256", "high_rom_sha256", 64 hexadecimal digits); then one
// record per field of the state description that is the machine's own, under the field's name:
// a number in 1 to 8 bytes, lowest first (its own width when written), a block as its bytes.
// A field that a file lacks keeps the value of a machine just made; a name that this version
// does not know is refused, as coming from a later version.
#pragma once

#include <string>

#include "base/atomic_file.h"
#include "machine/emulator.h"

namespace tolvan {

inline constexpr std::uint32_t kStateFileVersion = 1;
// The window's quick slots keep their states beside the ROM images: TOLVAN1.STA, TOLVAN2.STA...
inline constexpr int kQuickSlots = 3;
std::string quick_slot_file_name(int slot);

enum class StateFileProblem : std::uint8_t {
    kNone,
    kUnreadable,  // the system's error number says why
    kNotAStateFile,
    kLaterVersion,  // a newer format, or a field unknown here
    kDamaged,
    kOtherRomImages,  // saved from a machine with other ROM images
};

struct [[nodiscard]] StateFileStatus {
    StateFileProblem problem = StateFileProblem::kNone;
    int error_number = 0;
    std::string detail;  // the field that was unknown or wrong, when there is one

    bool ok() const { return problem == StateFileProblem::kNone; }
    explicit operator bool() const { return ok(); }
};

// The file's bytes for the machine as it is now.
std::string state_file_bytes(const Emulator& emulator);
// Through the atomic writer: a failed save leaves the previous file as it was.
WriteStatus save_state_file(const Emulator& emulator, const std::string& path);
// Loads every field of the file into the machine, or none: a file that cannot be read, is
// damaged, comes from a later version or from other ROM images changes nothing.
StateFileStatus load_state_file(Emulator& emulator, const std::string& path);
StateFileStatus load_state_bytes(Emulator& emulator, std::string_view bytes);

// "TOLVAN1.STA: saved from a machine with other ROM images", for error reports.
std::string describe_state_file_status(const std::string& path, const StateFileStatus& status);

}  // namespace tolvan
