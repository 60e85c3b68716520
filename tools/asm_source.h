// Assembler source lines: labels, operation, operands, comments and string literals.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvan {

// A line of source: its file as the assembly names it (the main source as given, an INCLUDEd
// file as found from the file that includes it) and its number, from 1.
struct SourceLocation {
    std::string file;
    int line = 0;
};

// One source line that does something: defines a label, or names an operation (a mnemonic or
// a directive, in upper case) with its operand texts.
struct Statement {
    SourceLocation location;
    std::string label;
    std::string operation;
    std::vector<std::string> operands;
};

struct ParsedLine {
    std::optional<Statement> statement;  // nothing for a blank or comment-only line
    std::string error;                   // a syntax error; the line then counts for nothing
};

// Lines read "[NAME:] [OPERATION [OPERAND, ...]] [; comment]" or "NAME EQU EXPRESSION".
ParsedLine parse_line(std::string_view text, const SourceLocation& location);

bool is_identifier_start(char c);
bool is_identifier_char(char c);
bool is_identifier(std::string_view text);

bool is_string_literal(std::string_view operand);

// The character that a backslash and `c` stand for in strings and character constants:
// \" \' \\ \n \r \t \0; nothing for any other.
std::optional<char> escaped_char(char c);

// The bytes of a "..." literal with the escapes above; nothing (and a message in `error`) when
// it is malformed.
std::optional<std::string> decode_string_literal(std::string_view operand, std::string& error);

std::string to_upper(std::string_view text);

// 'text' for a message, cut short after kExcerptLength characters ("..." says so): one line's
// failure can be repeated on every line that uses its EQU, and a message that quoted a line of
// megabytes each time would fill memory.
inline constexpr std::size_t kExcerptLength = 32;
std::string quoted_excerpt(std::string_view text);

}  // namespace tolvan
