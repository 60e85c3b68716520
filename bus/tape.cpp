#include "bus/tape.h"

#include <cerrno>

#include "base/file_place.h"
#include "bus/ports.h"

namespace tolvan {

namespace {
constexpr int kBitsPerTapeByte = 9;  // start bit and eight data bits

int read_load_byte(Tape& tape) {
    if (!tape.load_file) return kTapeEndOfFile;
    const int c = std::fgetc(tape.load_file.get());
    return c == EOF ? kTapeEndOfFile : c;
}

void fail_save(Tape& tape, int error_number, std::uint8_t value) {
    tape.save.reset();
    tape.save_stream = nullptr;
    tape.save_error = error_number;
    tape.save_failed = value != kTapeEndOfFile;
}

bool put(Tape& tape, std::uint8_t value) {
    return std::fputc(value, tape.save_stream) != EOF;
}

bool open_save_file(Tape& tape, std::uint8_t value) {
    auto save = std::make_unique<FileTransaction>(directory_of(tape.save_file_name));
    std::FILE* stream = nullptr;
    const FilesStatus status = stage_stream(*save, tape.save_file_name, stream);
    if (!status) {
        fail_save(tape, status.error_number, value);
        return false;
    }
    tape.save = std::move(save);
    tape.save_stream = stream;
    return true;
}

void close_save_file(Tape& tape, std::uint8_t value) {
    const FilesStatus status = commit_files(*tape.save);
    tape.save.reset();
    tape.save_stream = nullptr;
    if (!status) fail_save(tape, status.error_number, value);
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
    if (tape.save_failed) {
        if (value == kTapeEndOfFile) tape.save_failed = false;
        return;
    }
    if (!tape.save && !open_save_file(tape, value)) return;
    if (value == kTapeEndOfFile) {
        close_save_file(tape, value);
        return;
    }
    const bool written = put(tape, value) && (value != kCarriageReturn || put(tape, kLineFeed));
    if (!written) fail_save(tape, errno, value);
}

void tape_load_open(Tape& tape) {
    if (!tape.load_file) tape.load_file = open_regular_file_for_reading(tape.load_file_name).file;
}

std::uint8_t tape_load_byte(Tape& tape) {
    int c = read_load_byte(tape);
    if (c == kLineFeed) c = read_load_byte(tape);
    if (c == kTapeEndOfFile) tape.load_file.reset();
    return static_cast<std::uint8_t>(c);
}

}  // namespace tolvan
