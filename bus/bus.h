// Everything outside the processor that its instructions reach: memory, keyboard, ports, tape.
#pragma once

#include "bus/address_space.h"
#include "bus/keyboard.h"
#include "bus/ports.h"
#include "bus/tape.h"

namespace tolvan {

struct Bus {
    AddressSpace memory;
    Keyboard keyboard;
    Ports ports;
    Tape tape;
    // Set by an instruction after which the execution slice ends: one that switched the display
    // on (the refresh is served at once) or opened the LOAD file (the history logs the file's
    // bytes at that very instruction). One test per step covers both.
    bool slice_stop = false;
};

}  // namespace tolvan
