// Reading a request's arguments without trusting the client: a missing or mistyped field is
// absent, never an exception.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace tolvan {

inline const nlohmann::json* json_field(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

inline std::optional<std::int64_t> integer_argument(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = json_field(object, key);
    if (!value) return std::nullopt;
    if (value->is_number_integer()) return value->get<std::int64_t>();
    // A client may send an integral number as a float (JavaScript has only doubles).
    if (value->is_number_float()) {
        const double number = value->get<double>();
        if (number >= -9.0e15 && number <= 9.0e15 &&
            number == static_cast<double>(static_cast<std::int64_t>(number))) {
            return static_cast<std::int64_t>(number);
        }
    }
    return std::nullopt;
}

inline std::optional<std::string> string_argument(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = json_field(object, key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

inline bool bool_argument(const nlohmann::json& object, const char* key, bool fallback) {
    const nlohmann::json* value = json_field(object, key);
    if (!value || !value->is_boolean()) return fallback;
    return value->get<bool>();
}

// The array under the key, or an empty one.
inline const nlohmann::json& array_argument(const nlohmann::json& object, const char* key) {
    static const nlohmann::json kEmpty = nlohmann::json::array();
    const nlohmann::json* value = json_field(object, key);
    return value && value->is_array() ? *value : kEmpty;
}

}  // namespace tolvan
