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
};

}  // namespace tolvan
