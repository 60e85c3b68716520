#include "machine/state_json.h"

#include <cstdio>
#include <vector>

#include "machine/state_description.h"

namespace tolvan {

namespace {

void add_member(std::string& json, std::string_view key, const std::string& value) {
    json += json.size() > 1 ? ", \"" : "\"";
    json += key;
    json += "\": ";
    json += value;
}

// Under the field's name, and under its old key when that differs.
void add_field(std::string& json, const FieldInfo& info, const std::string& value) {
    add_member(json, info.name, value);
    if (!info.old_name.empty() && info.old_name != info.name)
        add_member(json, info.old_name, value);
}

std::string hex_string(const std::vector<std::uint8_t>& bytes) {
    std::string text = "\"";
    char digits[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text + '"';
}

}  // namespace

std::string state_json(const Emulator& emulator) {
    std::string json = "{";
    for_each_state_component(emulator, [&json](const auto& component, const auto& owner) {
        for (const auto& field : component.scalars)
            add_field(json, field.info, std::to_string(field.get(owner)));
        for (const auto& field : component.bytes) {
            if (!field.printed) continue;
            std::vector<std::uint8_t> bytes;
            field.get(owner, bytes);
            add_field(json, field.info, hex_string(bytes));
        }
    });
    return json + "}";
}

}  // namespace tolvan
