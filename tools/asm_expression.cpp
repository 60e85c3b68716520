#include "tools/asm_expression.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "tools/asm_source.h"

namespace tolvan {

namespace {

constexpr int kDecimal = 10;
constexpr int kHexadecimal = 16;
constexpr std::uint64_t kLargestLiteral = 0xFFFFFFFF;
constexpr char kHexPrefix = '&';
constexpr char kCurrentAddress = '$';
constexpr char kCharacterQuote = '\'';
constexpr char kEscape = '\\';
constexpr int kMaxNesting = 32;
constexpr const char* kOutOfRange = "value leaves the 64-bit range";

bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

struct ExpressionParser {
    std::string_view text;
    std::int64_t here = 0;
    const SymbolLookup& lookup;
    std::size_t position = 0;
    int depth = 0;
    std::string error;

    void skip_spaces() {
        while (position < text.size() && is_space(text[position]))
            ++position;
    }

    bool at_end() {
        skip_spaces();
        return position >= text.size();
    }

    std::optional<std::int64_t> fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return std::nullopt;
    }

    std::optional<std::int64_t> parse_sum() {
        auto value = parse_term();
        while (value && !at_end() && (text[position] == '+' || text[position] == '-')) {
            const char operation = text[position++];
            const auto right = parse_term();
            if (!right) return std::nullopt;
            std::int64_t sum = 0;
            // EQU chains can double a value again and again: every step is checked.
            const bool overflow = operation == '+' ? __builtin_add_overflow(*value, *right, &sum)
                                                   : __builtin_sub_overflow(*value, *right, &sum);
            if (overflow) return fail(kOutOfRange);
            value = sum;
        }
        return value;
    }

    std::optional<std::int64_t> parse_term() {
        if (at_end()) return fail("missing value in expression");
        bool negative = false;
        while (!at_end() && (text[position] == '+' || text[position] == '-')) {
            negative = negative != (text[position++] == '-');
        }
        const auto value = parse_operand();
        if (!value) return std::nullopt;
        if (!negative) return value;
        std::int64_t negated = 0;
        if (__builtin_sub_overflow(std::int64_t{0}, *value, &negated)) return fail(kOutOfRange);
        return negated;
    }

    std::optional<std::int64_t> parse_operand() {
        if (at_end()) return fail("missing value in expression");
        const char c = text[position];
        if (c == '(') return parse_parenthesised();
        if (c == kCurrentAddress) {
            ++position;
            return here;
        }
        if (c == kHexPrefix) {
            ++position;
            return parse_number(kHexadecimal);
        }
        if (c == kCharacterQuote) return parse_character();
        if (is_digit(c)) return parse_decimal_or_hex();
        if (is_identifier_start(c)) return parse_symbol();
        return fail(std::string("unexpected '") + c + "' in expression");
    }

    // 'A', '\'': one byte between quotes, its code as an unsigned value.
    std::optional<std::int64_t> parse_character() {
        const std::size_t start = position++;
        std::optional<char> character;
        if (position < text.size() && text[position] == kEscape) {
            if (++position < text.size()) character = escaped_char(text[position]);
            if (!character) return fail("unknown escape in character");
        } else if (position < text.size() && text[position] != kCharacterQuote) {
            character = text[position];
        }
        if (!character || ++position >= text.size() || text[position] != kCharacterQuote) {
            return fail(
                "a character constant holds one character: " +
                std::string(text.substr(start, std::min(position + 1 - start, kExcerptLength))));
        }
        ++position;
        return static_cast<unsigned char>(*character);
    }

    std::optional<std::int64_t> parse_parenthesised() {
        if (++depth > kMaxNesting) return fail("expression nested too deeply");
        ++position;
        const auto value = parse_sum();
        --depth;
        if (!value) return std::nullopt;
        if (at_end() || text[position] != ')') return fail("missing ')' in expression");
        ++position;
        return value;
    }

    std::optional<std::int64_t> parse_decimal_or_hex() {
        if (text.substr(position, 2) == "0x" || text.substr(position, 2) == "0X") {
            position += 2;
            return parse_number(kHexadecimal);
        }
        return parse_number(kDecimal);
    }

    // Digits run up to the next character that cannot belong to a word, so that "12AB" is
    // rejected as a whole instead of being read as 12 followed by junk.
    std::optional<std::int64_t> parse_number(int base) {
        std::size_t end = position;
        while (end < text.size() && is_identifier_char(text[end]))
            ++end;
        const std::string_view digits = text.substr(position, end - position);
        std::uint64_t value = 0;
        const auto [stop, status] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
        if (digits.empty() || status == std::errc::invalid_argument ||
            stop != digits.data() + digits.size()) {
            return fail("malformed number " + quoted_excerpt(digits));
        }
        if (status == std::errc::result_out_of_range || value > kLargestLiteral) {
            return fail("number too large " + quoted_excerpt(digits));
        }
        position = end;
        return static_cast<std::int64_t>(value);
    }

    std::optional<std::int64_t> parse_symbol() {
        std::size_t end = position;
        while (end < text.size() && is_identifier_char(text[end]))
            ++end;
        const std::string_view name = text.substr(position, end - position);
        position = end;
        Evaluation found = lookup(name);
        if (!found.value) return fail(std::move(found.error));
        return found.value;
    }
};

}  // namespace

Evaluation evaluate_expression(std::string_view text, std::int64_t here,
                               const SymbolLookup& lookup) {
    ExpressionParser parser{text, here, lookup, 0, 0, {}};
    const auto value = parser.parse_sum();
    if (value && !parser.at_end()) {
        return {std::nullopt,
                "unexpected " + quoted_excerpt(text.substr(parser.position)) + " in expression"};
    }
    if (!value) return {std::nullopt, parser.error};
    return {value, ""};
}

}  // namespace tolvan
