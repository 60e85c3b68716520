#include "machine/configuration.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine/state_description.h"

namespace tolvan {

namespace {

constexpr std::string_view kSectionClock = "Horloge";
// The sections of the fields that the state description places in Tolvan.ini, in the order of a
// new file.
constexpr std::string_view kStateSections[] = {"Ram", "Registres", "Ram Interne", kSectionClock};
constexpr std::string_view kSectionFiles = "Fichiers";
constexpr std::string_view kSectionTools = "Tools";

constexpr std::string_view kKeyRamFile = "FileRAM";
constexpr std::string_view kKeyLoadFile = "FileLOAD";
constexpr std::string_view kKeySaveFile = "FileSAVE";
constexpr std::string_view kKeyUnassembleFile = "unassemble_file";
constexpr std::string_view kKeyUnassembleStart = "unassemble_start";
constexpr std::string_view kKeyUnassembleStop = "unassemble_stop";

constexpr std::string_view kDefaultZero = "0";
constexpr std::string_view kDefaultRamFile = "TOLVAN.RAM";
constexpr std::string_view kDefaultTapeFile = "exemple.bas";
constexpr std::string_view kDefaultUnassembleFile = "demo.asm";
constexpr std::string_view kDefaultUnassembleStop = "256";

constexpr std::int32_t kMinTimerLimit512ms = 1000;
constexpr std::int32_t kMinTimerLimit2ms = 1;
constexpr std::int32_t kMinMaxDelay = 0;

constexpr std::uint32_t kDecimalBase = 10;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::int32_t read_number(const IniFile& file, std::string_view section, std::string_view key,
                         std::string_view fallback) {
    return parse_profile_int(file.get(section, key, fallback));
}

template <typename Field>
Field read_field(const IniFile& file, std::string_view section, std::string_view key,
                 std::string_view fallback) {
    return static_cast<Field>(read_number(file, section, key, fallback));
}

// The fields of the state description that Tolvan.ini keeps: the RAM size option, the
// registers, the internal RAM and the timing values.
template <class Owner>
void read_kept_fields(const StateComponent<Owner>& component, Owner& owner, const IniFile& file) {
    for (const auto& field : component.scalars) {
        const IniPlace& ini = field.info.ini;
        if (!ini.section.empty()) {
            field.set(owner, parse_profile_int(file.get(ini.section, ini.key, ini.fallback)));
        }
    }
    for (const auto& field : component.bytes) {
        const IniPlace& ini = field.info.ini;
        if (ini.section.empty()) continue;
        // The cells past those kept read as 0.
        std::vector<std::uint8_t> cells;
        field.get(owner, cells);
        std::ranges::fill(cells, 0);
        for (std::size_t cell = 0; cell < ini.cells && cell < cells.size(); ++cell) {
            const std::string key = std::to_string(cell);
            cells[cell] = static_cast<std::uint8_t>(
                parse_profile_int(file.get(ini.section, key, ini.fallback)));
        }
        static_cast<void>(field.set(owner, cells));  // the length it gave
    }
}

void apply_timing_checks(Cpu& cpu) {
    if (cpu.timer_limit_512ms < kMinTimerLimit512ms)
        cpu.timer_limit_512ms = kDefaultTimerLimit512ms;
    if (cpu.timer_limit_2ms < kMinTimerLimit2ms) cpu.timer_limit_2ms = kDefaultTimerLimit2ms;
    if (cpu.max_delay < kMinMaxDelay) cpu.max_delay = kDefaultMaxDelay;
}

// A name cut to what the program keeps would lead to another file: saves would go there.
std::string overlong_file_names(const IniFile& file) {
    const std::pair<std::string_view, std::string_view> names[] = {
        {kSectionFiles, kKeyRamFile},
        {kSectionFiles, kKeyLoadFile},
        {kSectionFiles, kKeySaveFile},
        {kSectionTools, kKeyUnassembleFile},
    };
    std::string problems;
    for (const auto& [section, key] : names) {
        const std::optional<std::string> value = file.get_whole(section, key);
        if (!value || value->size() <= kIniValueCapacity) continue;
        if (!problems.empty()) problems += "\n";
        problems += std::string(kConfigurationFileName) + ": " + std::string(key) + " is " +
                    std::to_string(value->size()) + " characters long; at most " +
                    std::to_string(kIniValueCapacity) + " are kept";
    }
    return problems;
}

void read_file_names(Emulator& emulator, const IniFile& file) {
    emulator.control.ram_file_name = file.get(kSectionFiles, kKeyRamFile, kDefaultRamFile);
    emulator.bus.tape.load_file_name = file.get(kSectionFiles, kKeyLoadFile, kDefaultTapeFile);
    emulator.bus.tape.save_file_name = file.get(kSectionFiles, kKeySaveFile, kDefaultTapeFile);
    emulator.unassembler.file_name =
        file.get(kSectionTools, kKeyUnassembleFile, kDefaultUnassembleFile);
}

void read_unassembler_range(UnassemblerSettings& settings, const IniFile& file) {
    settings.from =
        read_field<std::uint16_t>(file, kSectionTools, kKeyUnassembleStart, kDefaultZero);
    settings.to =
        read_field<std::uint16_t>(file, kSectionTools, kKeyUnassembleStop, kDefaultUnassembleStop);
}

// Registers, cells and addresses are unsigned; the RAM size option and the timing values are
// signed. Promoting to int or long long gives exactly that text.
template <typename Field>
void write_number(IniFile& file, std::string_view section, std::string_view key, Field value) {
    file.set(section, key, std::to_string(static_cast<long long>(value)));
}

template <class Owner>
void write_kept_fields(const StateComponent<Owner>& component, const Owner& owner,
                       std::string_view section, IniFile& file) {
    for (const auto& field : component.scalars) {
        if (field.info.ini.section == section) {
            write_number(file, section, field.info.ini.key, field.get(owner));
        }
    }
    for (const auto& field : component.bytes) {
        if (field.info.ini.section != section) continue;
        std::vector<std::uint8_t> cells;
        field.get(owner, cells);
        for (std::size_t cell = 0; cell < field.info.ini.cells && cell < cells.size(); ++cell)
            write_number(file, section, std::to_string(cell), cells[cell]);
    }
}

// The description's fields of one section, in the description's order.
void write_section(const Emulator& emulator, std::string_view section, IniFile& file) {
    for_each_state_component(emulator, [&](const auto& component, const auto& owner) {
        write_kept_fields(component, owner, section, file);
    });
}

void write_file_names(const Emulator& emulator, IniFile& file) {
    file.set(kSectionFiles, kKeyRamFile, emulator.control.ram_file_name);
    file.set(kSectionFiles, kKeyLoadFile, emulator.bus.tape.load_file_name);
    file.set(kSectionFiles, kKeySaveFile, emulator.bus.tape.save_file_name);
}

void write_unassembler(const UnassemblerSettings& settings, IniFile& file) {
    file.set(kSectionTools, kKeyUnassembleFile, settings.file_name);
    write_number(file, kSectionTools, kKeyUnassembleStart, settings.from);
    write_number(file, kSectionTools, kKeyUnassembleStop, settings.to);
}

}  // namespace

std::int32_t parse_profile_int(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // Unsigned arithmetic wraps modulo 2^32, which keeps exactly the low-order bits.
    std::uint32_t value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        value = value * kDecimalBase + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) value = 0U - value;
    return static_cast<std::int32_t>(value);
}

ConfigurationStatus read_configuration(Emulator& emulator, const IniFile& file) {
    for_each_state_component(emulator, [&file](const auto& component, auto& owner) {
        read_kept_fields(component, owner, file);
    });
    apply_timing_checks(emulator.cpu);
    read_file_names(emulator, file);
    read_unassembler_range(emulator.unassembler, file);
    return {overlong_file_names(file)};
}

void write_configuration(const Emulator& emulator, IniFile& file, ConfigurationKeys keys) {
    switch (keys) {
        case ConfigurationKeys::kEverything:
            for (const std::string_view section : kStateSections)
                write_section(emulator, section, file);
            write_file_names(emulator, file);
            write_unassembler(emulator.unassembler, file);
            break;
        case ConfigurationKeys::kFileNames:
            write_file_names(emulator, file);
            break;
        case ConfigurationKeys::kTiming:
            write_section(emulator, kSectionClock, file);
            break;
        case ConfigurationKeys::kUnassembler:
            write_unassembler(emulator.unassembler, file);
            break;
    }
}

ConfigurationStatus load_configuration(Emulator& emulator) {
    // A file that exists but cannot be read gives the defaults, as a missing one does.
    return read_configuration(emulator, IniFile::load(kConfigurationFileName).value_or(IniFile{}));
}

std::string configured_ram_file_name() {
    const IniFile file = IniFile::load(kConfigurationFileName).value_or(IniFile{});
    return file.get(kSectionFiles, kKeyRamFile, kDefaultRamFile);
}

ConfigurationText configuration_text(const Emulator& emulator, ConfigurationKeys keys) {
    int read_error = 0;
    std::optional<IniFile> file = IniFile::load(kConfigurationFileName, &read_error);
    if (!file) return {{}, read_error};
    write_configuration(emulator, *file, keys);
    return {file->text(), 0};
}

ConfigurationStatus check_configured_file_names() {
    return {overlong_file_names(IniFile::load(kConfigurationFileName).value_or(IniFile{}))};
}

WriteStatus save_configuration(const Emulator& emulator, ConfigurationKeys keys) {
    const ConfigurationText text = configuration_text(emulator, keys);
    if (text.error_number != 0) return {text.error_number};
    return write_file_atomically(kConfigurationFileName, text.text);
}

}  // namespace tolvan
