// Data accesses that a debugger watches. The address space looks at them only through a
// pointer that a debugged slice sets for its duration; an unwatched ROM read pays nothing for
// it and any other access one well-predicted test.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvan {

// first..last inclusive.
struct Watchpoint {
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    bool reads = false;
    bool writes = true;
};

// The first watched access since `hit` was last cleared.
struct WatchHit {
    bool hit = false;
    std::uint16_t address = 0;
    bool write = false;
    std::uint8_t value = 0;  // what a write wrote
};

// One data access of the instruction being watched.
struct WatchedAccess {
    std::uint16_t address = 0;
    bool write = false;
    std::uint8_t value = 0;  // what a write wrote
};

// The most data accesses one instruction makes is 512 (a block of 256 bytes, each read and
// written); room for twice that.
inline constexpr std::size_t kWatchedAccessCapacity = 1024;

struct DataWatch {
    const std::vector<Watchpoint>* watchpoints = nullptr;
    // The accesses of the current instruction, in order. An inline read only notes its address
    // here (a call would cost every instruction routine a register save, watched or not);
    // check_watched_accesses looks at them after the instruction.
    std::array<WatchedAccess, kWatchedAccessCapacity> accesses{};
    std::size_t access_count = 0;
    WatchHit hit;
};

// Notes one access of the current instruction.
inline void note_access(DataWatch& watch, std::uint16_t address, bool write,
                        std::uint8_t value = 0) {
    if (watch.access_count < watch.accesses.size()) {
        watch.accesses[watch.access_count++] = {address, write, value};
    }
}

}  // namespace tolvan
