#include "cpu/step.h"

namespace tolvan {

void step(Cpu& cpu, Bus& bus) {
    execute_instruction(cpu, bus);
    advance_timers(cpu);
    run_delay_loop(cpu);
}

}  // namespace tolvan
