// Any text as a configuration file: reading must not fail, and what is saved must read back as
// the very fields it was saved from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "machine/configuration.h"

namespace {

using tolvan::Emulator;
using tolvan::IniFile;

void require(bool condition) {
    if (!condition) std::abort();
}

bool same_fields(const Emulator& a, const Emulator& b) {
    return a.bus.memory.ram_size == b.bus.memory.ram_size && a.cpu.pc == b.cpu.pc &&
           a.cpu.dp == b.cpu.dp && a.cpu.p == b.cpu.p && a.cpu.q == b.cpu.q && a.cpu.r == b.cpu.r &&
           a.cpu.iram == b.cpu.iram && a.cpu.timer_limit_512ms == b.cpu.timer_limit_512ms &&
           a.cpu.timer_limit_2ms == b.cpu.timer_limit_2ms && a.cpu.max_delay == b.cpu.max_delay &&
           a.control.ram_file_name == b.control.ram_file_name &&
           a.bus.tape.load_file_name == b.bus.tape.load_file_name &&
           a.bus.tape.save_file_name == b.bus.tape.save_file_name &&
           a.unassembler.file_name == b.unassembler.file_name &&
           a.unassembler.from == b.unassembler.from && a.unassembler.to == b.unassembler.to;
}

// Every key that the file holds, read back through its own section and key names.
void read_every_line(const IniFile& file) {
    std::string section;
    for (const std::string& line : file.lines) {
        const std::size_t open = line.find('[');
        if (open != std::string::npos && line.find_first_not_of(" \t\r\f\v") == open) {
            section = line.substr(open + 1, line.find(']', open) - open - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string value = file.get(section, line.substr(0, equals), "");
        require(value.size() <= tolvan::kIniValueCapacity);
        tolvan::parse_profile_int(value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tolvan::parse_profile_int(text);

    IniFile file = IniFile::parse(text);
    read_every_line(file);
    Emulator first;
    static_cast<void>(tolvan::read_configuration(first, file));

    tolvan::write_configuration(first, file);
    const IniFile reread = IniFile::parse(file.text());
    Emulator second;
    static_cast<void>(tolvan::read_configuration(second, reread));
    require(same_fields(first, second));

    // Once every key exists, a second save changes nothing.
    IniFile again = reread;
    tolvan::write_configuration(second, again);
    require(again.text() == reread.text());
    return 0;
}
