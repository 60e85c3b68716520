// The tape interface, replaced by two host files: bits sent through port F are assembled into
// the SAVE file, and the firmware's load routine is handed the LOAD file byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/file_transaction.h"
#include "base/regular_file.h"

namespace tolvan {

inline constexpr std::uint8_t kTapeEndOfFile = 0x1A;
inline constexpr std::uint8_t kCarriageReturn = 0x0D;
inline constexpr std::uint8_t kLineFeed = 0x0A;

// The largest LOAD file read: far more than any program the machine's RAM can hold.
inline constexpr std::size_t kMaxLoadFileSize = std::size_t{16} << 20;

// While the history replays the machine, the opens of the LOAD file get the bytes that the
// recorded opens got, whatever the file holds now (false: it could not be opened), and nothing
// is written to the SAVE file.
struct TapeReplay {
    bool (*take_load)(void* context, std::vector<std::uint8_t>& bytes) = nullptr;
    void* context = nullptr;
};

struct Tape {
    std::string save_file_name;
    // The SAVE being recorded: its bytes replace the file's only once its end mark has come, so
    // that a SAVE cut short or failing leaves the file as it was.
    std::unique_ptr<FileTransaction> save;
    std::FILE* save_stream = nullptr;  // belongs to the transaction
    // The current SAVE could not be written: its remaining bytes are dropped until its end mark.
    bool save_failed = false;
    // The system's error number of a SAVE failure that the machine has yet to report; 0 if none.
    int save_error = 0;
    std::string load_file_name;
    // The LOAD file, read whole when the firmware's load routine opens it, and how far the load
    // has read; open until its end.
    bool load_open = false;
    std::vector<std::uint8_t> load_bytes;
    std::uint32_t load_position = 0;
    // Opens of the LOAD file (those that failed included) since the tape was made.
    std::uint32_t load_opens = 0;
    TapeReplay replay;
    std::int32_t shift_register = 0;
    std::int32_t bit_counter = 0;
    bool start_flag = false;
};

// One OUTF: takes the port F tape bit while port B enables tape output.
void tape_output_bit(Tape& tape, std::uint8_t port_b, std::uint8_t port_f);
// A SAVE file that cannot be opened or written ends that SAVE: the file keeps its previous
// contents, and the failure is left in save_error, once per SAVE.
void tape_emit_byte(Tape& tape, std::uint8_t value);
// Opens the LOAD file unless it is open; returns whether it tried.
bool tape_load_open(Tape& tape);
// The next byte of the LOAD file, one line feed skipped; the end mark once the file is done.
std::uint8_t tape_load_byte(Tape& tape);

}  // namespace tolvan
