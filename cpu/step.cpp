#include "cpu/step.h"

#include "cpu/opcode_table.h"

namespace tolvan {

namespace {

void advance_counter(std::int32_t& counter, std::int32_t limit, std::int32_t& elapsed,
                     std::int32_t cost) {
    // Summed in 64 bits: a sum past the 32-bit range is always past the limit too.
    const std::int64_t next = std::int64_t{counter} + cost;
    if (next > limit) {
        counter = 0;
        elapsed = 1;
    } else {
        counter = static_cast<std::int32_t>(next);
    }
}

}  // namespace

std::int64_t run_delay_loop(const Cpu& cpu) {
    // An undefined opcode before any defined one leaves a cost of 0; a pass of at least one
    // cycle keeps the loop finite. The sum is 64-bit so that MaxDelay at its largest cannot
    // overflow it.
    const std::int64_t increment = cpu.cycle_cost > 0 ? cpu.cycle_cost : 1;
    std::int64_t sum = 0;
    std::int64_t passes = 0;
    while (sum <= cpu.max_delay) {
        sum += increment;
        ++passes;
        // The passes are the emulator's speed control: keep the compiler from folding them.
        asm volatile("" : "+r"(sum));
    }
    return passes;
}

void advance_timers(Cpu& cpu) {
    advance_counter(cpu.counter_512ms, cpu.max_horloge512, cpu.elapsed_512ms, cpu.cycle_cost);
    advance_counter(cpu.counter_2ms, cpu.max_horloge002, cpu.elapsed_2ms, cpu.cycle_cost);
}

void step(Cpu& cpu, Bus& bus) {
    const std::uint8_t opcode = read_program_byte(bus.memory, cpu.pc);
    kOpcodeTable[opcode].execute(cpu, bus);
    run_delay_loop(cpu);
    advance_timers(cpu);
}

}  // namespace tolvan
