#include "tools/unassembler.h"

#include <cerrno>

#include "tools/hex_text.h"
#include "tools/mnemonic_table.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kAddressSpaceEnd = 0x10000;
constexpr std::string_view kLabelPrefix = "L_";

// Relative offsets count from the offset byte, one past the opcode.
std::uint16_t relative_target(std::uint16_t address, char marker, std::uint8_t offset) {
    const unsigned base = address + 1u;
    return static_cast<std::uint16_t>(marker == '+' ? base + offset : base - offset);
}

std::uint16_t word_target(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

bool in_range(std::uint16_t target, std::uint16_t from, std::uint16_t to) {
    return target >= from && target <= to;
}

std::string reference(std::uint16_t target, std::uint16_t from, std::uint16_t to) {
    return prefixed_hex(in_range(target, from, to) ? kLabelPrefix : "&", target, 4);
}

// An address operand of the listing.
std::string listing_address(std::uint16_t target, const Symbols* symbols) {
    if (symbols) {
        std::string label = describe_address(*symbols, target);
        if (!label.empty()) return label;
    }
    return hex4(target);
}

}  // namespace

std::string label_lines(std::uint16_t address, const Symbols* symbols) {
    std::string lines;
    if (!symbols) return lines;
    const auto [first, last] = symbols->labels.equal_range(address);
    for (auto it = first; it != last; ++it) {
        lines += it->second;
        lines += ":\n";
    }
    return lines;
}

std::string bytes_column(std::uint16_t address, int length, std::uint8_t opcode, std::uint8_t first,
                         std::uint8_t second) {
    const std::string start = hex4(address) + ": " + hex2(opcode);
    switch (length) {
        case 1:
            return start + "          ";
        case 2:
            return start + " " + hex2(first) + "       ";
        case 3:
            return start + " " + hex2(first) + " " + hex2(second) + "    ";
        default:
            return "";
    }
}

std::string listing_line(std::uint16_t address, std::uint8_t opcode, std::uint8_t first,
                         std::uint8_t second, const Symbols* symbols) {
    const MnemonicRecord& record = mnemonic_table()[opcode];
    const RecordText part = split_marker(record);
    std::string line = bytes_column(address, record.length, opcode, first, second);
    line += part.text;
    switch (part.marker) {
        case '+':
        case '-':
            line += listing_address(relative_target(address, part.marker, first), symbols);
            break;
        case '&':
            line += listing_address(word_target(first, second), symbols);
            break;
        case 'm':
        case 'n':
            line += hex2(first);
            break;
        default:
            break;
    }
    return line + "\n";
}

std::string source_line(std::uint16_t address, std::uint8_t opcode, std::uint8_t first,
                        std::uint8_t second, std::uint16_t from, std::uint16_t to) {
    const RecordText part = split_marker(mnemonic_table()[opcode]);
    std::string line = prefixed_hex(kLabelPrefix, address, 4) + ": ";
    line += part.text;
    switch (part.marker) {
        case 'm':
            line += hex2(first);
            break;
        case 'n':
            line += prefixed_hex("&", first, 2);
            break;
        case '&':
            line += reference(word_target(first, second), from, to);
            break;
        case '+':
        case '-':
            line += reference(relative_target(address, part.marker, first), from, to);
            break;
        default:
            break;
    }
    return line + "\n";
}

std::string unassemble_text(const AddressSpace& memory, std::uint16_t from, std::uint16_t to,
                            bool source_format, const Symbols* symbols) {
    std::string text;
    if (source_format) {
        text += prefixed_hex("ORG &", from, 4) +
                " ; Sets the start address of the program \n\nstart:\n";
    }
    // The loop tests the next address with the length of the instruction just written, so it
    // stops early rather than late; an instruction that reaches the end of the address space
    // ends the run instead of wrapping to 0.
    std::uint32_t address = from;
    std::uint32_t previous_length = 0;
    while (address + previous_length <= to) {
        const auto at = static_cast<std::uint16_t>(address);
        const std::uint8_t opcode = read_program_byte(memory, at);
        const std::uint8_t first = read_program_byte(memory, static_cast<std::uint16_t>(at + 1));
        const std::uint8_t second = read_program_byte(memory, static_cast<std::uint16_t>(at + 2));
        if (source_format) {
            text += source_line(at, opcode, first, second, from, to);
        } else {
            text += label_lines(at, symbols);
            text += listing_line(at, opcode, first, second, symbols);
        }
        previous_length = mnemonic_table()[opcode].length;
        address += previous_length;
        if (address >= kAddressSpaceEnd) break;
    }
    if (source_format) text += prefixed_hex("; End of program = &", address & 0xFFFF, 4) + "\n";
    return text;
}

WriteStatus write_unassembly(const AddressSpace& memory, std::uint16_t from, std::uint16_t to,
                             bool source_format, const std::string& file_name,
                             const Symbols* symbols) {
    return write_file_atomically(file_name,
                                 unassemble_text(memory, from, to, source_format, symbols));
}

bool is_creation_failure(WriteStatus status) {
    switch (status.error_number) {
        case ENOENT:
        case ENOTDIR:
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case ETXTBSY:
            return true;
        default:
            return false;
    }
}

}  // namespace tolvan
