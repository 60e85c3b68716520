#include "machine/control.h"

#include <cstdio>

#include "base/atomic_file.h"
#include "base/file_transaction.h"
#include "base/number_text.h"
#include "base/regular_file.h"
#include "base/sha256.h"
#include "machine/configuration.h"

namespace tolvan {

namespace {

// Reads up to size bytes of a file into the image from start; the cells beyond a short file
// keep what they held. Returns Ok, or the status for a short or a missing file.
[[nodiscard]] PowerOnStatus load_image_file(const char* name, AddressSpace& memory,
                                            std::uint16_t start, std::size_t size,
                                            PowerOnStatus short_code, PowerOnStatus missing_code) {
    // A directory, device or FIFO counts as a file that cannot be opened.
    const FileHandle file = open_regular_file_for_reading(name).file;
    if (!file) return missing_code;
    const std::size_t read = std::fread(&memory.image[start], 1, size, file.get());
    return read < size ? short_code : PowerOnStatus::kOk;
}

std::string image_digest(const AddressSpace& memory, std::uint16_t start, std::size_t size) {
    return sha256_hex({reinterpret_cast<const char*>(&memory.image[start]), size});
}

}  // namespace

Failures recover_saved_files() {
    const FilesStatus status = recover_files(kSaveFolder);
    if (status) return {};
    return failure(
        status.path == kConfigurationFileName ? kConfigurationWriteError : kRamWriteError,
        describe_failure(status));
}

PowerOnResult power_on(Emulator& emulator) {
    AddressSpace& memory = emulator.bus.memory;
    PowerOnResult result;
    result.failures = recover_saved_files();
    if (const ConfigurationStatus configuration = load_configuration(emulator); !configuration.ok())
        result.failures.add(kConfigurationReadError, configuration.problems);
    result.roms = load_image_file(kLowRomFileName, memory, 0x0000, kLowRomSize,
                                  PowerOnStatus::kLowRomShort, PowerOnStatus::kLowRomMissing);
    // A high ROM failure replaces a low ROM code.
    const PowerOnStatus high =
        load_image_file(kHighRomFileName, memory, kHighRomStart, kHighRomSize,
                        PowerOnStatus::kHighRomShort, PowerOnStatus::kHighRomMissing);
    if (high != PowerOnStatus::kOk) result.roms = high;
    emulator.control.power_on_status = result.roms;
    emulator.control.low_rom_sha256 = image_digest(memory, 0x0000, kLowRomSize);
    emulator.control.high_rom_sha256 = image_digest(memory, kHighRomStart, kHighRomSize);
    emulator.executed = {};
    result.ram = load_image_file(emulator.control.ram_file_name.c_str(), memory, kRamImageStart,
                                 kRamImageSize, PowerOnStatus::kRamImageShort,
                                 PowerOnStatus::kRamImageMissing);
    // The same problems as the first time, already told.
    static_cast<void>(load_configuration(emulator));
    if (result.roms != PowerOnStatus::kOk || result.ram != PowerOnStatus::kOk) emulator.cpu.pc = 0;
    return result;
}

void after_load_reset(Emulator& emulator) {
    Cpu& cpu = emulator.cpu;
    emulator.bus.memory.lcd_redraw = true;
    emulator.bus.keyboard.break_counter = 0;
    cpu.counter_512ms = cpu.counter_2ms = 0;
    cpu.elapsed_512ms = cpu.elapsed_2ms = 0;
    cpu.timer_limit_2ms = kDefaultTimerLimit2ms;
}

Failures save_ram_image(const Emulator& emulator) {
    // The names held were cut short: the image would go to another file, and the configuration
    // would lose the names it holds.
    if (const ConfigurationStatus names = check_configured_file_names(); !names.ok()) {
        return failure(kRamWriteError, names.problems);
    }
    const ConfigurationText configuration =
        configuration_text(emulator, ConfigurationKeys::kEverything);
    if (configuration.error_number != 0) {
        return failure(kConfigurationWriteError,
                       describe_failure(kConfigurationFileName, {configuration.error_number}));
    }
    const auto* cells = reinterpret_cast<const char*>(&emulator.bus.memory.image[kRamImageStart]);
    FileTransaction transaction(kSaveFolder);
    FilesStatus status =
        stage_file(transaction, emulator.control.ram_file_name, {cells, kRamImageSize});
    if (status) status = stage_file(transaction, kConfigurationFileName, configuration.text);
    if (status) status = commit_files(transaction);
    if (status) return {};
    return failure(
        status.path == kConfigurationFileName ? kConfigurationWriteError : kRamWriteError,
        describe_failure(status));
}

Failures save_configuration_keys(const Emulator& emulator, ConfigurationKeys keys) {
    const WriteStatus status = save_configuration(emulator, keys);
    if (status) return {};
    return failure(kConfigurationWriteError, describe_failure(kConfigurationFileName, status));
}

Failures check_ram_image(const std::string& file_name) {
    const ReadFile image = read_regular_file(file_name, kRamImageSize);
    if (image.error_number != 0) {
        return failure(kRamReadError, describe_failure(file_name, {image.error_number}));
    }
    if (image.bytes.size() < kRamImageSize) {
        return failure(kRamReadError, file_name + ": " + counted(image.bytes.size(), "byte") +
                                          " instead of " + std::to_string(kRamImageSize));
    }
    return {};
}

Failures take_tape_failure(Tape& tape) {
    if (tape.save_error == 0) return {};
    const int error_number = tape.save_error;
    tape.save_error = 0;
    return failure(kTapeSaveError, describe_failure(tape.save_file_name, {error_number}));
}

}  // namespace tolvan
