// Arbitrary text never crashes the assembler: every line either assembles or is reported.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>

#include "tools/assembler.h"

namespace tolvan {
namespace {

constexpr std::array<std::string_view, 36> kPieces{
    "ORG",   "EQU", "DB", "DW",   "DS",   "INCLUDE", "LIDP", "JRP", "JRM", "CAL", "LP", "PTJ",
    "LII",   "RTN", "?",  "WRIT", "L_12", "L_FFFF",  "x",    "x:",  "&",   "&FF", "0x", "0x10000",
    "65535", "-",   "+",  "(",    ")",    ",",       "\"",   "\\",  "$",   ";",   " ",  "\n"};

TEST(AssemblerRobustness, RandomTokenSoupIsReportedNotFatal) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 80);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        std::string text;
        for (int n = length(random); n > 0; --n) {
            text += kPieces[piece(random)];
            if (n % 3 == 0) text += ' ';
        }
        const AssemblyResult result =
            assemble_source(text, "soup.asm", [](const std::string&) { return std::nullopt; });
        for (const AssemblyError& error : result.errors) {
            EXPECT_FALSE(error.message.empty()) << text;
            EXPECT_GE(error.line, 1) << text;
        }
        (void)assembly_listing(result);
    }
}

}  // namespace
}  // namespace tolvan
