#include "app/state_json.h"

#include <cstdio>
#include <utility>

namespace tolvan {

std::string state_json(const Emulator& emulator) {
    const Cpu& cpu = emulator.cpu;
    const Bus& bus = emulator.bus;
    std::string iram;
    char hex[3];
    for (std::uint8_t byte : cpu.iram) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        iram += hex;
    }
    const std::pair<const char*, long long> fields[] = {
        {"pc", cpu.pc},
        {"dp", cpu.dp},
        {"p", cpu.p},
        {"q", cpu.q},
        {"r", cpu.r},
        {"flags", cpu.flags},
        {"cycle_cost", cpu.cycle_cost},
        {"case_counter", cpu.case_counter},
        {"counter_512ms", cpu.counter_512ms},
        {"counter_2ms", cpu.counter_2ms},
        {"elapsed_512ms", cpu.elapsed_512ms},
        {"elapsed_2ms", cpu.elapsed_2ms},
        {"max_horloge512", cpu.timer_limit_512ms},
        {"max_horloge002", cpu.timer_limit_2ms},
        {"max_delay", cpu.max_delay},
        {"ram_size", bus.memory.ram_size},
        {"power_on_status", static_cast<std::int32_t>(emulator.control.power_on_status)},
        {"lcd_redraw", bus.memory.lcd_redraw},
        {"key_strobe", bus.memory.key_strobe},
        {"port_a", bus.ports.port_a},
        {"port_b", bus.ports.port_b},
        {"port_c", bus.ports.port_c},
        {"port_f", bus.ports.port_f},
        {"refresh_request", bus.ports.refresh_request},
    };
    std::string json = "{";
    for (const auto& [key, value] : fields) {
        json += '"';
        json += key;
        json += "\": ";
        json += std::to_string(value);
        json += ", ";
    }
    json += "\"iram\": \"";
    json += iram;
    json += "\"}";
    return json;
}

}  // namespace tolvan
