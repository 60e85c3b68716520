// The one object that owns the whole emulator state. There are no globals: a test can build as
// many machines as it likes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bus/bus.h"
#include "cpu/state.h"
#include "machine/debugger.h"
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

struct Emulator {
    Cpu cpu;
    Bus bus;
    MachineControl control;
    UnassemblerSettings unassembler;
    SliceProgress slice;
    Debugger debugger;
    Symbols symbols;
};

}  // namespace tolvan
