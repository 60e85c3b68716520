#include "bus/tape.h"

#include "bus/ports.h"

namespace tolvan {

namespace {
constexpr int kBitsPerTapeByte = 9;  // start bit and eight data bits

int read_load_byte(Tape& tape) {
    if (!tape.load_file) return kTapeEndOfFile;
    const int c = std::fgetc(tape.load_file.get());
    return c == EOF ? kTapeEndOfFile : c;
}
}  // namespace

void tape_output_bit(Tape& tape, std::uint8_t port_b, std::uint8_t port_f) {
    const int bit = (port_f & kPortFTapeBit) ? 1 : 0;
    if (port_b & kPortBTapeEnable) {
        if (tape.bit_counter == 0) {
            tape.start_flag = bit != 0;
            if (bit) tape.bit_counter = 1;
        } else if (tape.bit_counter < kBitsPerTapeByte) {
            // Data bits arrive least significant first and inverted.
            tape.shift_register = (tape.shift_register >> 1) | ((1 - bit) << 7);
            if (++tape.bit_counter == kBitsPerTapeByte) {
                tape_emit_byte(tape, static_cast<std::uint8_t>(tape.shift_register));
                tape.start_flag = false;
                tape.bit_counter = 0;
            }
        }
    } else if (tape.start_flag) {
        // Output switched off in the middle of a byte: flush what has arrived so far.
        tape_emit_byte(tape, static_cast<std::uint8_t>(tape.shift_register));
        tape.start_flag = false;
    }
}

void tape_emit_byte(Tape& tape, std::uint8_t value) {
    if (!tape.save_file) {
        tape.save_file.reset(std::fopen(tape.save_file_name.c_str(), "wb"));
        if (!tape.save_file) return;
    }
    if (value == kTapeEndOfFile) {
        tape.save_file.reset();
        return;
    }
    std::fputc(value, tape.save_file.get());
    if (value == kCarriageReturn) std::fputc(kLineFeed, tape.save_file.get());
}

void tape_load_open(Tape& tape) {
    if (!tape.load_file) tape.load_file.reset(std::fopen(tape.load_file_name.c_str(), "rb"));
}

std::uint8_t tape_load_byte(Tape& tape) {
    int c = read_load_byte(tape);
    if (c == kLineFeed) c = read_load_byte(tape);
    if (c == kTapeEndOfFile) tape.load_file.reset();
    return static_cast<std::uint8_t>(c);
}

}  // namespace tolvan
