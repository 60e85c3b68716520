// Assembler expressions: numbers, character constants, symbols and "$" joined with "+" and "-",
// with parentheses. Numbers are decimal, "&" hexadecimal or "0x" hexadecimal; 'A' is the code
// of the character, one byte, or an escape as in strings.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tolvan {

struct Evaluation {
    std::optional<std::int64_t> value;
    std::string error;  // why there is no value
};

using SymbolLookup = std::function<Evaluation(std::string_view name)>;

// `here` is the value of "$": the address of the statement being assembled.
Evaluation evaluate_expression(std::string_view text, std::int64_t here,
                               const SymbolLookup& lookup);

}  // namespace tolvan
