// Everything outside the processor that its instructions reach: memory, keyboard, ports, tape.
#pragma once

#include "machine/address_space.h"
#include "machine/keyboard.h"
#include "machine/ports.h"
#include "machine/tape.h"

namespace tolvan {

struct Bus {
    AddressSpace memory;
    Keyboard keyboard;
    Ports ports;
    Tape tape;
};

}  // namespace tolvan
