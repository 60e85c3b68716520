// Data accesses that a debugger watches. The address space checks them only while `active`
// is set, which a debugged slice does for its duration: an unwatched run pays one test of a
// flag on the rarely taken paths.
#pragma once

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
};

struct DataWatch {
    bool active = false;
    const std::vector<Watchpoint>* watchpoints = nullptr;
    WatchHit hit;
};

}  // namespace tolvan
