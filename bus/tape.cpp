#include "bus/tape.h"

#include <cerrno>

#include "base/file_place.h"
#include "bus/ports.h"

namespace tolvan {

namespace {
constexpr int kBitsPerTapeByte = 9;  // start bit and eight data bits

int read_load_byte(Tape& tape) {
    if (!tape.load_open || tape.load_position >= tape.load_bytes.size()) return kTapeEndOfFile;
    return tape.load_bytes[tape.load_position++];
}

void close_load_file(Tape& tape) {
    tape.load_open = false;
    tape.load_bytes.clear();
    tape.load_position = 0;
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
    if (tape.replay.take_load) return;
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

bool tape_load_open(Tape& tape) {
    if (tape.load_open) return false;
    ++tape.load_opens;
    tape.load_position = 0;
    if (tape.replay.take_load) {
        tape.load_open = tape.replay.take_load(tape.replay.context, tape.load_bytes);
    } else {
        // A file that cannot be read delivers the end mark at once, as one that is not there.
        ReadFile file = read_regular_file(tape.load_file_name, kMaxLoadFileSize);
        tape.load_open = file.error_number == 0;
        tape.load_bytes.assign(file.bytes.begin(), file.bytes.end());
    }
    if (!tape.load_open) tape.load_bytes.clear();
    return true;
}

std::uint8_t tape_load_byte(Tape& tape) {
    int c = read_load_byte(tape);
    if (c == kLineFeed) c = read_load_byte(tape);
    if (c == kTapeEndOfFile) close_load_file(tape);
    return static_cast<std::uint8_t>(c);
}

}  // namespace tolvan
