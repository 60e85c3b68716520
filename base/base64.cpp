#include "base/base64.h"

#include <array>

namespace tolvan {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> make_values() {
    std::array<int, 256> values{};
    values.fill(kNotInAlphabet);
    for (std::size_t n = 0; n < kAlphabet.size(); ++n) {
        values[static_cast<unsigned char>(kAlphabet[n])] = static_cast<int>(n);
    }
    return values;
}
constexpr std::array<int, 256> kValues = make_values();

}  // namespace

std::string base64_encode(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t n = 0; n < bytes.size(); n += 3) {
        const std::size_t left = bytes.size() - n;
        std::uint32_t group = std::uint32_t{bytes[n]} << 16;
        if (left > 1) group |= std::uint32_t{bytes[n + 1]} << 8;
        if (left > 2) group |= bytes[n + 2];
        text += kAlphabet[group >> 18 & 0x3F];
        text += kAlphabet[group >> 12 & 0x3F];
        text += left > 1 ? kAlphabet[group >> 6 & 0x3F] : '=';
        text += left > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> base64_decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t n = 0; n < text.size(); n += 4) {
        const bool last = n + 4 == text.size();
        int padding = 0;
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = text[n + k];
            // Padding only ends the text, and only in its last two places.
            if (c == '=' && last && k >= 2) {
                ++padding;
                group <<= 6;
                continue;
            }
            const int value = kValues[static_cast<unsigned char>(c)];
            if (value == kNotInAlphabet || padding != 0) return std::nullopt;
            group = group << 6 | static_cast<std::uint32_t>(value);
        }
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return bytes;
}

}  // namespace tolvan
