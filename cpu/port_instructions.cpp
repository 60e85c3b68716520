// Port input/output: the keyboard scan, the tape hooks, the display switch and the timers.
#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

// Firmware addresses at which INB stands in for the tape hardware.
constexpr std::uint16_t kTapeLoadStartAddress = 0xF10F;
constexpr std::uint16_t kTapeLoadByteAddress = 0xEC3B;
// The load routine continues here, past its own bit-level tape reading.
constexpr std::uint16_t kTapeLoadResumeAddress = 0xED11;
constexpr std::uint8_t kTapeStatusCell = 0x0E;
constexpr std::uint8_t kTapeStatusLineEnd = 0x40;
constexpr std::uint8_t kTapeStatusEndOfFile = 0x80;

constexpr std::uint8_t kTest512msTimer = 1;
constexpr std::uint8_t kTest2msTimer = 2;
constexpr std::uint8_t kTestKeyboard = 8;

// Latches one of the four port bytes; Q is left on it.
std::uint8_t latch_port(Cpu& cpu, std::uint8_t index) {
    cpu.q = index;
    return cpu.iram[index];
}

void load_a_with_zero_flag(Cpu& cpu, std::uint8_t value) {
    register_a(cpu) = value;
    set_zero(cpu, value == 0);
    finish(cpu, 1, 2);
}

void deliver_tape_byte(Cpu& cpu, Bus& bus) {
    cpu.pc = kTapeLoadResumeAddress;
    cpu.p = kTapeStatusCell;
    const std::uint8_t c = tape_load_byte(bus.tape);
    if (c == kCarriageReturn) cpu.iram[kTapeStatusCell] |= kTapeStatusLineEnd;
    if (c == kTapeEndOfFile) cpu.iram[kTapeStatusCell] |= kTapeStatusEndOfFile;
    register_b(cpu) = c;
}

// TEST on a timer: when its tick has passed, the test consumes it.
bool take_timer_tick(std::int32_t& elapsed, std::int32_t& counter) {
    if (elapsed != 1) return false;
    elapsed = 0;
    counter = 0;
    return true;
}

}  // namespace

void ina(Cpu& cpu, Bus& bus) {
    load_a_with_zero_flag(cpu,
                          read_key_lines(bus.keyboard, bus.memory.key_strobe, bus.ports.port_a));
}

void inb(Cpu& cpu, Bus& bus) {
    bus.ports.port_b |= kPortBTapeEnable;
    if (cpu.pc == kTapeLoadStartAddress) {
        bus.ports.port_b |= kPortBLoadStart;
        if (tape_load_open(bus.tape)) bus.slice_stop = true;
    }
    if (cpu.pc == kTapeLoadByteAddress) deliver_tape_byte(cpu, bus);
    load_a_with_zero_flag(cpu, bus.ports.port_b);
}

void outa(Cpu& cpu, Bus& bus) {
    bus.ports.port_a = latch_port(cpu, kPortAByte);
    finish(cpu, 1, 3);
}

void outb(Cpu& cpu, Bus& bus) {
    bus.ports.port_b = latch_port(cpu, kPortBByte);
    if (bus.ports.port_b & kPortBTapeInputEcho) bus.ports.port_b |= kPortBTapeEnable;
    finish(cpu, 1, 3);
}

void outc(Cpu& cpu, Bus& bus) {
    bus.ports.port_c = latch_port(cpu, kPortCByte);
    if (bus.ports.port_c & kPortCDisplayOn) {
        bus.ports.refresh_request = true;
        bus.slice_stop = true;
    }
    if (bus.ports.port_c & kPortCTimerReset) {
        cpu.counter_512ms = cpu.counter_2ms = 0;
        cpu.elapsed_512ms = cpu.elapsed_2ms = 0;
    }
    finish(cpu, 1, 3);
}

void outf(Cpu& cpu, Bus& bus) {
    bus.ports.port_f = latch_port(cpu, kPortFByte);
    tape_output_bit(bus.tape, bus.ports.port_b, bus.ports.port_f);
    finish(cpu, 1, 3);
}

// TEST n selects one condition (n is a selector, not a mask); Z is cleared when it holds.
void test(Cpu& cpu, Bus& bus) {
    const std::uint8_t selector = operand_byte(cpu, bus);
    if (selector == kTest512msTimer) {
        set_zero(cpu, !take_timer_tick(cpu.elapsed_512ms, cpu.counter_512ms));
    } else if (selector == kTest2msTimer) {
        set_zero(cpu, !take_timer_tick(cpu.elapsed_2ms, cpu.counter_2ms));
    } else if (selector == kTestKeyboard) {
        set_zero(cpu, !poll_keyboard(bus.keyboard));
    }
    finish(cpu, 2, 4);
}

void int_(Cpu& cpu, Bus& bus) {
    register_a(cpu) = operand_byte(cpu, bus);
    finish(cpu, 2, 4);
}

}  // namespace tolvan::op
