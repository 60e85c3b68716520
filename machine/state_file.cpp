#include "machine/state_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "base/deflate.h"
#include "base/regular_file.h"
#include "machine/control.h"
#include "machine/state_codec.h"

namespace tolvan {

namespace {

constexpr std::string_view kMagic = "TOLVAN-STATE";
constexpr int kVersionSize = 4;
constexpr int kValueLengthSize = 4;
constexpr int kMaxNumberSize = 8;
constexpr std::string_view kLowRomRecord = "low_rom_sha256";
constexpr std::string_view kHighRomRecord = "high_rom_sha256";
// Far more than the largest state: 64 KB of memory, a LOAD file of at most 16 MB, the rest small.
constexpr std::size_t kMaxStateSize = std::size_t{64} << 20;

void append_record(std::string_view name, std::span<const std::uint8_t> value,
                   std::vector<std::uint8_t>& out) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    append_number(static_cast<std::int64_t>(value.size()), kValueLengthSize, out);
    out.insert(out.end(), value.begin(), value.end());
}

std::span<const std::uint8_t> text_bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

using Records = std::map<std::string, std::span<const std::uint8_t>, std::less<>>;

StateFileStatus problem(StateFileProblem kind, std::string detail = {}) {
    return {kind, 0, std::move(detail)};
}

// Each record once; nothing left over.
StateFileStatus read_records(std::span<const std::uint8_t> bytes, Records& records) {
    std::size_t next = 0;
    while (next < bytes.size()) {
        const std::size_t name_length = bytes[next++];
        if (bytes.size() - next < name_length + kValueLengthSize) {
            return problem(StateFileProblem::kDamaged);
        }
        std::string name(reinterpret_cast<const char*>(&bytes[next]), name_length);
        next += name_length;
        const auto value_length =
            static_cast<std::size_t>(read_number(bytes.subspan(next, kValueLengthSize), false));
        next += kValueLengthSize;
        if (bytes.size() - next < value_length) return problem(StateFileProblem::kDamaged, name);
        if (records.contains(name)) return problem(StateFileProblem::kDamaged, name);
        records.emplace(std::move(name), bytes.subspan(next, value_length));
        next += value_length;
    }
    return {};
}

bool same_text(const Records& records, std::string_view name, const std::string& text) {
    const auto found = records.find(name);
    return found != records.end() && std::ranges::equal(found->second, text_bytes(text));
}

// The file's fields into a machine just made: what it lacks keeps that machine's values.
StateFileStatus apply_records(const Records& records, Emulator& fresh) {
    std::size_t used = 2;  // the ROM digests
    StateFileStatus status;
    for_each_machine_field(fresh, [&](const auto& field, auto& owner) {
        const auto found = records.find(field.info.name);
        if (!status || found == records.end()) return;
        ++used;
        const std::span<const std::uint8_t> value = found->second;
        if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
            if (value.empty() || value.size() > kMaxNumberSize) {
                status = problem(StateFileProblem::kDamaged, found->first);
            } else {
                field.set(owner, read_number(value, field.is_signed));
            }
        } else if (!field.set(owner, value)) {
            status = problem(StateFileProblem::kDamaged, found->first);
        }
    });
    if (status && used != records.size()) {
        // Name the first record that no field took.
        for (const auto& record : records) {
            // Named, not bound: clang before 16 cannot capture a structured binding in a lambda.
            const std::string& name = record.first;
            bool known = name == kLowRomRecord || name == kHighRomRecord;
            for_each_machine_field(
                fresh, [&](const auto& field, auto&) { known = known || field.info.name == name; });
            if (!known) return problem(StateFileProblem::kLaterVersion, name);
        }
    }
    return status;
}

}  // namespace

std::string quick_slot_file_name(int slot) {
    return "TOLVAN" + std::to_string(slot) + ".STA";
}

std::string state_file_bytes(const Emulator& emulator) {
    std::vector<std::uint8_t> records;
    append_record(kLowRomRecord, text_bytes(emulator.control.low_rom_sha256), records);
    append_record(kHighRomRecord, text_bytes(emulator.control.high_rom_sha256), records);
    for_each_machine_field(emulator, [&records](const auto& field, const auto& owner) {
        std::vector<std::uint8_t> value;
        if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
            append_number(field.get(owner), field.size, value);
        } else {
            field.get(owner, value);
        }
        append_record(field.info.name, value, records);
    });
    std::vector<std::uint8_t> head(kMagic.begin(), kMagic.end());
    append_number(kStateFileVersion, kVersionSize, head);
    const std::vector<std::uint8_t> body = deflate_bytes(records);
    std::string bytes(head.begin(), head.end());
    bytes.append(body.begin(), body.end());
    return bytes;
}

WriteStatus save_state_file(const Emulator& emulator, const std::string& path) {
    return write_file_atomically(path, state_file_bytes(emulator));
}

StateFileStatus load_state_bytes(Emulator& emulator, std::string_view file) {
    const std::span<const std::uint8_t> bytes = text_bytes(file);
    const std::size_t head_size = kMagic.size() + kVersionSize;
    if (bytes.size() < head_size || file.substr(0, kMagic.size()) != kMagic) {
        return problem(StateFileProblem::kNotAStateFile);
    }
    const std::int64_t version = read_number(bytes.subspan(kMagic.size(), kVersionSize), false);
    if (version == 0) return problem(StateFileProblem::kNotAStateFile);
    if (version > kStateFileVersion) return problem(StateFileProblem::kLaterVersion);
    const auto body = inflate_bytes(bytes.subspan(head_size), kMaxStateSize);
    if (!body) return problem(StateFileProblem::kDamaged);
    Records records;
    if (StateFileStatus status = read_records(*body, records); !status) return status;
    if (!records.contains(kLowRomRecord) || !records.contains(kHighRomRecord)) {
        return problem(StateFileProblem::kDamaged);
    }
    if (!same_text(records, kLowRomRecord, emulator.control.low_rom_sha256) ||
        !same_text(records, kHighRomRecord, emulator.control.high_rom_sha256)) {
        return problem(StateFileProblem::kOtherRomImages);
    }
    auto fresh = std::make_unique<Emulator>();
    if (StateFileStatus status = apply_records(records, *fresh); !status) return status;
    // Whole fields of a checked machine: this cannot fail.
    static_cast<void>(decode_state(emulator, encode_state(*fresh)));
    return {};
}

StateFileStatus load_state_file(Emulator& emulator, const std::string& path) {
    const ReadFile file = read_regular_file(path, kMaxStateSize + 1);
    if (file.error_number != 0) return {StateFileProblem::kUnreadable, file.error_number, {}};
    if (file.bytes.size() > kMaxStateSize) return problem(StateFileProblem::kDamaged);
    return load_state_bytes(emulator, file.bytes);
}

std::string describe_state_file_status(const std::string& path, const StateFileStatus& status) {
    std::string text = path + ": ";
    switch (status.problem) {
        case StateFileProblem::kNone:
            return text + "loaded";
        case StateFileProblem::kUnreadable:
            return text + std::strerror(status.error_number);
        case StateFileProblem::kNotAStateFile:
            return text + "not a state file";
        case StateFileProblem::kLaterVersion:
            text += "made by a later version of Tolvan";
            break;
        case StateFileProblem::kDamaged:
            text += "damaged";
            break;
        case StateFileProblem::kOtherRomImages:
            return text + "saved from a machine with other ROM images than " + kLowRomFileName +
                   " and " + kHighRomFileName + " here";
    }
    if (!status.detail.empty()) text += " (" + status.detail + ")";
    return text;
}

}  // namespace tolvan
