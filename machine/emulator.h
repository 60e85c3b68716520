// The one object that owns the whole emulator state. There are no globals: a test can build as
// many machines as it likes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bus/bus.h"
#include "cpu/state.h"
#include "machine/debugger.h"
#include "machine/display.h"
#include "machine/history.h"
#include "tools/debug_info.h"
#include "tools/symbols.h"

namespace tolvan {

// What power-on found of the files it loads. The numbers are those that the headless program's
// state shows.
enum class PowerOnStatus : std::int32_t {
    kOk = 0,
    kLowRomShort = 1,
    kLowRomMissing = 2,
    kRamImageShort = 3,
    kRamImageMissing = 4,
    kHighRomShort = 5,
    kHighRomMissing = 6,
};

struct MachineControl {
    // Ok when both ROM images loaded in full; otherwise no instruction runs (see power_on).
    PowerOnStatus power_on_status = PowerOnStatus::kOk;
    // Keeps slices from nesting inside modal loops, and suspends them during the RAM size
    // confirmation.
    bool slice_busy = false;
    std::string ram_file_name;
    // The SHA-256 digests of the ROM images as power-on loaded them (lower-case hexadecimal): a
    // state file belongs to the images that it names.
    std::string low_rom_sha256;
    std::string high_rom_sha256;
};

struct UnassemblerSettings {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
    std::string file_name;
    bool more_information = false;  // source format instead of a listing
    // Labels of the loaded symbol files in place of the addresses they name; off for the plain
    // listing. Not kept in Tolvan.ini.
    bool use_symbols = true;
};

// What one execution slice leaves for the next.
struct SliceProgress {
    // The delay loop of the last step when the window's slice deadline cut it: the sum it had
    // reached. The next slice finishes it before its first step.
    std::optional<std::int64_t> unfinished_delay;
};

// What the LCD shows: the drawn display area as the last display refresh drew it, which a
// front end draws again when the machine is put back to an earlier state.
struct Screen {
    std::array<std::uint8_t, kDrawnDisplaySize> cells{};
};

struct Emulator {
    Cpu cpu;
    Bus bus;
    MachineControl control;
    UnassemblerSettings unassembler;
    SliceProgress slice;
    // Since power-on.
    RunCount executed;
    Screen screen;
    History history;
    Debugger debugger;
    Symbols symbols;
    // What leads the debugger from an address to its source line and back (source_map.h).
    std::vector<DebugInfo> debug_info;
};

}  // namespace tolvan
