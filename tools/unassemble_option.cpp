#include "tools/unassemble_option.h"

#include <string>

#include "tools/number_text.h"
#include "tools/unassembler.h"

namespace tolvan {

namespace {

constexpr std::uint32_t kLastAddress = 0xFFFF;

}  // namespace

bool set_unassemble_request(UnassemblerSettings& settings, bool source_format,
                            std::string_view from, std::string_view to, std::string_view file) {
    const auto first = parse_unsigned(from, kLastAddress);
    const auto last = parse_unsigned(to, kLastAddress);
    if (!first || !last) return false;
    settings.from = static_cast<std::uint16_t>(*first);
    settings.to = static_cast<std::uint16_t>(*last);
    settings.file_name = std::string(file);
    settings.more_information = source_format ? 1 : 0;
    return true;
}

bool unassemble_from_command_line(Emulator& emulator, std::string_view option,
                                  std::string_view from, std::string_view to,
                                  std::string_view file) {
    const bool source_format = option == kUnassembleSourceOption;
    if (!source_format && option != kUnassembleOption) return false;
    if (!set_unassemble_request(emulator.unassembler, source_format, from, to, file)) {
        return false;
    }
    run_unassembler(emulator);
    return true;
}

}  // namespace tolvan
