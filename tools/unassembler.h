// The unassembler: a range of the address space as a listing or as assembler source.
#pragma once

#include <cstdint>
#include <string>

#include "base/atomic_file.h"
#include "bus/address_space.h"
#include "tools/symbols.h"

namespace tolvan {

inline constexpr const char* kUnassembleOpenError = "Erreur d'ouverture du fichier unassemble";
inline constexpr const char* kUnassembleWriteError = "Erreur d'écriture du fichier unassemble";

// The listing's bytes column, 18 characters wide for one to three bytes; a four-byte
// instruction (PTJ) has no bytes column at all.
std::string bytes_column(std::uint16_t address, int length, std::uint8_t opcode, std::uint8_t first,
                         std::uint8_t second);

// One listing line for the instruction at `address`: its bytes, then its text. `first` and
// `second` are the two bytes after the opcode, whatever the instruction's length. With
// symbols, an address operand shows as the label ("key_scan", "main_loop+3") where one is
// near.
std::string listing_line(std::uint16_t address, std::uint8_t opcode, std::uint8_t first,
                         std::uint8_t second, const Symbols* symbols = nullptr);

// "NAME:" lines for the labels at the address; empty without symbols or labels.
std::string label_lines(std::uint16_t address, const Symbols* symbols);

// One source line, labelled with its address; references into from..to become labels.
std::string source_line(std::uint16_t address, std::uint8_t opcode, std::uint8_t first,
                        std::uint8_t second, std::uint16_t from, std::uint16_t to);

// The whole file's contents. Memory is read only as the instruction fetch reads it. With
// symbols, the listing puts the labels' lines ("NAME:") before each labelled instruction and
// shows address operands as labels; the source format ignores them, so that it assembles as
// before.
std::string unassemble_text(const AddressSpace& memory, std::uint16_t from, std::uint16_t to,
                            bool source_format, const Symbols* symbols = nullptr);

// Writes unassemble_text of from..to into the named file, replacing it only once the whole text
// is written: on any failure the file keeps its old contents.
WriteStatus write_unassembly(const AddressSpace& memory, std::uint16_t from, std::uint16_t to,
                             bool source_format, const std::string& file_name,
                             const Symbols* symbols = nullptr);

// True when the failure is that the file could not be created at all (no such directory, no
// permission, a read-only file system, a directory in the way), rather than a failure while
// writing it (a full disk).
bool is_creation_failure(WriteStatus status);

}  // namespace tolvan
