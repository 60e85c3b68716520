#include "tools/asm_source.h"

#include <cctype>

namespace tolvan {

namespace {

constexpr char kQuote = '"';
constexpr char kCharacterQuote = '\'';
constexpr char kEscape = '\\';
constexpr char kCommentStart = ';';
constexpr char kOperandSeparator = ',';
constexpr char kLabelEnd = ':';

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

// Walks a line keeping track of string literals and character constants, so that a ';' or ','
// inside quotes is text.
struct QuoteTracker {
    char quote = 0;  // the quote that opened the literal being walked; 0 outside
    bool escaped = false;

    // True when `c` is outside any literal (quotes themselves count as inside).
    bool outside_after(char c) {
        if (quote != 0) {
            if (escaped) {
                escaped = false;
            } else if (c == kEscape) {
                escaped = true;
            } else if (c == quote) {
                quote = 0;
            }
            return false;
        }
        if (c == kQuote || c == kCharacterQuote) {
            quote = c;
            return false;
        }
        return true;
    }
};

std::string_view strip_comment(std::string_view text) {
    QuoteTracker quotes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quotes.outside_after(text[i]) && text[i] == kCommentStart) return text.substr(0, i);
    }
    return text;
}

std::size_t identifier_length(std::string_view text) {
    if (text.empty() || !is_identifier_start(text.front())) return 0;
    std::size_t length = 1;
    while (length < text.size() && is_identifier_char(text[length]))
        ++length;
    return length;
}

std::string_view take_token(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && !is_space(text[end]))
        ++end;
    const std::string_view token = text.substr(0, end);
    text = trim(text.substr(end));
    return token;
}

bool split_operands(std::string_view text, std::vector<std::string>& operands, std::string& error) {
    if (text.empty()) return true;
    QuoteTracker quotes;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && !(quotes.outside_after(text[i]) && text[i] == kOperandSeparator)) continue;
        const std::string_view operand = trim(text.substr(start, i - start));
        if (operand.empty()) {
            error = "missing operand";
            return false;
        }
        operands.emplace_back(operand);
        start = i + 1;
    }
    if (quotes.quote != 0) {
        error = quotes.quote == kQuote ? "unterminated string" : "unterminated character";
        return false;
    }
    return true;
}

// "NAME EQU value" names its symbol without a colon.
bool take_equ_name(Statement& statement, std::string_view& operation, std::string_view& rest) {
    if (!statement.label.empty() || !is_identifier(operation)) return false;
    std::string_view after = rest;
    if (to_upper(take_token(after)) != "EQU") return false;
    statement.label = std::string(operation);
    operation = "EQU";
    rest = after;
    return true;
}

}  // namespace

std::optional<char> escaped_char(char c) {
    switch (c) {
        case '"':
            return '"';
        case '\'':
            return '\'';
        case '\\':
            return '\\';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case '0':
            return '\0';
        default:
            return std::nullopt;
    }
}

bool is_identifier_start(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.';
}

bool is_identifier_char(char c) {
    return is_identifier_start(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool is_identifier(std::string_view text) {
    return !text.empty() && identifier_length(text) == text.size();
}

bool is_string_literal(std::string_view operand) {
    return !operand.empty() && operand.front() == kQuote;
}

std::string to_upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string quoted_excerpt(std::string_view text) {
    std::string quoted(1, '\'');
    quoted.append(text.substr(0, kExcerptLength));
    if (text.size() > kExcerptLength) quoted.append("...");
    return quoted.append(1, '\'');
}

std::optional<std::string> decode_string_literal(std::string_view operand, std::string& error) {
    if (operand.size() < 2 || operand.front() != kQuote || operand.back() != kQuote) {
        error = "malformed string";
        return std::nullopt;
    }
    std::string bytes;
    const std::string_view body = operand.substr(1, operand.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == kQuote) {
            error = "text after the end of a string";
            return std::nullopt;
        }
        if (body[i] != kEscape) {
            bytes += body[i];
            continue;
        }
        const auto decoded = i + 1 < body.size() ? escaped_char(body[i + 1]) : std::nullopt;
        if (!decoded) {
            error = "unknown escape in string";
            return std::nullopt;
        }
        bytes += *decoded;
        ++i;
    }
    return bytes;
}

ParsedLine parse_line(std::string_view text, const SourceLocation& location) {
    std::string_view rest = trim(strip_comment(text));
    if (rest.empty()) return {};
    Statement statement;
    statement.location = location;
    const std::size_t name_length = identifier_length(rest);
    if (name_length > 0 && name_length < rest.size() && rest[name_length] == kLabelEnd) {
        statement.label = std::string(rest.substr(0, name_length));
        rest = trim(rest.substr(name_length + 1));
    }
    std::string_view operation = take_token(rest);
    take_equ_name(statement, operation, rest);
    statement.operation = to_upper(operation);
    ParsedLine parsed;
    if (!split_operands(rest, statement.operands, parsed.error)) return parsed;
    parsed.statement = std::move(statement);
    return parsed;
}

}  // namespace tolvan
