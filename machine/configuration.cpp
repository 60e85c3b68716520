#include "machine/configuration.h"

#include <optional>
#include <string>
#include <utility>

namespace tolvan {

namespace {

constexpr std::string_view kSectionRam = "Ram";
constexpr std::string_view kSectionRegisters = "Registres";
constexpr std::string_view kSectionInternalRam = "Ram Interne";
constexpr std::string_view kSectionClock = "Horloge";
constexpr std::string_view kSectionFiles = "Fichiers";
constexpr std::string_view kSectionTools = "Tools";

constexpr std::string_view kKeyRamSize = "Ko";
constexpr std::string_view kKeyPc = "PC";
constexpr std::string_view kKeyDp = "DP";
constexpr std::string_view kKeyP = "P";
constexpr std::string_view kKeyQ = "Q";
constexpr std::string_view kKeyR = "R";
constexpr std::string_view kKeyMaxHorloge512 = "MaxHorloge512";
constexpr std::string_view kKeyMaxHorloge002 = "MaxHorloge002";
constexpr std::string_view kKeyMaxDelay = "MaxDelay";
constexpr std::string_view kKeyRamFile = "FileRAM";
constexpr std::string_view kKeyLoadFile = "FileLOAD";
constexpr std::string_view kKeySaveFile = "FileSAVE";
constexpr std::string_view kKeyUnassembleFile = "unassemble_file";
constexpr std::string_view kKeyUnassembleStart = "unassemble_start";
constexpr std::string_view kKeyUnassembleStop = "unassemble_stop";

constexpr std::string_view kDefaultZero = "0";
constexpr std::string_view kDefaultRamSize = "16";
constexpr std::string_view kDefaultRamFile = "TOLVAN.RAM";
constexpr std::string_view kDefaultTapeFile = "exemple.bas";
constexpr std::string_view kDefaultUnassembleFile = "demo.asm";
constexpr std::string_view kDefaultUnassembleStop = "256";

constexpr std::int32_t kMinTimerLimit512ms = 1000;
constexpr std::int32_t kMinTimerLimit2ms = 1;
constexpr std::int32_t kMinMaxDelay = 0;

// Cells 0x60-0x7F are scratch space that the firmware sets up again; they are not kept.
constexpr int kKeptInternalRamCells = 0x60;

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

void read_registers(Cpu& cpu, const IniFile& file) {
    cpu.pc = read_field<std::uint16_t>(file, kSectionRegisters, kKeyPc, kDefaultZero);
    cpu.dp = read_field<std::uint16_t>(file, kSectionRegisters, kKeyDp, kDefaultZero);
    cpu.p = read_field<std::uint8_t>(file, kSectionRegisters, kKeyP, kDefaultZero);
    cpu.q = read_field<std::uint8_t>(file, kSectionRegisters, kKeyQ, kDefaultZero);
    cpu.r = read_field<std::uint8_t>(file, kSectionRegisters, kKeyR, kDefaultZero);
}

void read_internal_ram(Cpu& cpu, const IniFile& file) {
    for (int cell = 0; cell < kKeptInternalRamCells; ++cell) {
        cpu.iram[cell] =
            read_field<std::uint8_t>(file, kSectionInternalRam, std::to_string(cell), kDefaultZero);
    }
    for (int cell = kKeptInternalRamCells; cell < kInternalRamSize; ++cell)
        cpu.iram[cell] = 0;
}

void read_timing(Cpu& cpu, const IniFile& file) {
    cpu.timer_limit_512ms = read_number(file, kSectionClock, kKeyMaxHorloge512,
                                        std::to_string(kDefaultTimerLimit512ms));
    if (cpu.timer_limit_512ms < kMinTimerLimit512ms)
        cpu.timer_limit_512ms = kDefaultTimerLimit512ms;
    cpu.timer_limit_2ms =
        read_number(file, kSectionClock, kKeyMaxHorloge002, std::to_string(kDefaultTimerLimit2ms));
    if (cpu.timer_limit_2ms < kMinTimerLimit2ms) cpu.timer_limit_2ms = kDefaultTimerLimit2ms;
    cpu.max_delay =
        read_number(file, kSectionClock, kKeyMaxDelay, std::to_string(kDefaultMaxDelay));
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

void write_registers(const Cpu& cpu, IniFile& file) {
    write_number(file, kSectionRegisters, kKeyPc, cpu.pc);
    write_number(file, kSectionRegisters, kKeyDp, cpu.dp);
    write_number(file, kSectionRegisters, kKeyP, cpu.p);
    write_number(file, kSectionRegisters, kKeyQ, cpu.q);
    write_number(file, kSectionRegisters, kKeyR, cpu.r);
}

void write_internal_ram(const Cpu& cpu, IniFile& file) {
    for (int cell = 0; cell < kKeptInternalRamCells; ++cell) {
        write_number(file, kSectionInternalRam, std::to_string(cell), cpu.iram[cell]);
    }
}

void write_timing(const Cpu& cpu, IniFile& file) {
    write_number(file, kSectionClock, kKeyMaxHorloge512, cpu.timer_limit_512ms);
    write_number(file, kSectionClock, kKeyMaxHorloge002, cpu.timer_limit_2ms);
    write_number(file, kSectionClock, kKeyMaxDelay, cpu.max_delay);
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
    emulator.bus.memory.ram_size =
        read_field<std::int8_t>(file, kSectionRam, kKeyRamSize, kDefaultRamSize);
    read_registers(emulator.cpu, file);
    read_internal_ram(emulator.cpu, file);
    read_timing(emulator.cpu, file);
    read_file_names(emulator, file);
    read_unassembler_range(emulator.unassembler, file);
    return {overlong_file_names(file)};
}

void write_configuration(const Emulator& emulator, IniFile& file, ConfigurationKeys keys) {
    switch (keys) {
        case ConfigurationKeys::kEverything:
            write_number(file, kSectionRam, kKeyRamSize, emulator.bus.memory.ram_size);
            write_registers(emulator.cpu, file);
            write_internal_ram(emulator.cpu, file);
            write_timing(emulator.cpu, file);
            write_file_names(emulator, file);
            write_unassembler(emulator.unassembler, file);
            break;
        case ConfigurationKeys::kFileNames:
            write_file_names(emulator, file);
            break;
        case ConfigurationKeys::kTiming:
            write_timing(emulator.cpu, file);
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
