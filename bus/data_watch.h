// Data accesses that a debugger watches. The address space looks at them only through a
// pointer that a debugged slice sets for its duration, so that an unwatched run pays one test
// per data access and nothing more.
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
    const std::vector<Watchpoint>* watchpoints = nullptr;
    WatchHit hit;
};

}  // namespace tolvan
