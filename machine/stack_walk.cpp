#include "machine/stack_walk.h"

#include "tools/labelled_instruction.h"

namespace tolvan {

std::vector<StackSlot> stack_slots(const Emulator& emulator) {
    const Cpu& cpu = emulator.cpu;
    std::vector<StackSlot> slots;
    unsigned index = cpu.r;
    while (index < kStackTop) {
        const std::uint8_t low = cpu.iram[index];
        // A call pushes the high byte, then the low one, so the low byte is nearer R.
        if (index + 1 < kStackTop) {
            const auto address = static_cast<std::uint16_t>(cpu.iram[index + 1] << 8 | low);
            if (follows_call(emulator.bus.memory, address)) {
                slots.push_back({static_cast<std::uint8_t>(index), true, address});
                index += 2;
                continue;
            }
        }
        slots.push_back({static_cast<std::uint8_t>(index), false, low});
        ++index;
    }
    return slots;
}

}  // namespace tolvan
