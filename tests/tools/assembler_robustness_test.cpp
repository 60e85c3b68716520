// Arbitrary text never crashes the assembler: every line either assembles or is reported.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

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

// A name and a number: built by appending, as numbered("A", n) trips a false overlap
// warning in GCC 12's string library.
std::string numbered(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

AssemblyResult assemble_alone(const std::string& text) {
    return assemble_source(text, "big.asm", [](const std::string&) { return std::nullopt; });
}

// Each name is defined after the line that uses it, so that working out the first EQU walks
// the whole chain: 20,000 levels, deeper than any stack would allow by recursion.
TEST(AssemblerRobustness, DeepEquChainsAreWorkedOut) {
    constexpr int kDepth = 20000;
    std::string text = "ORG 0\nLIDP " + numbered("A", kDepth) + "\n";
    for (int level = kDepth; level > 0; --level)
        text += numbered("A", level) + " EQU " + numbered("A", level - 1) + " + 1\n";
    text += "A0 EQU 0\n";
    const AssemblyResult result = assemble_alone(text);
    ASSERT_TRUE(result.ok()) << format_error(result.errors.front());
    EXPECT_EQ(result.bytes.at(1), kDepth >> 8);
    EXPECT_EQ(result.bytes.at(2), kDepth & 0xFF);
    // Closed into a loop, the chain is an error at every EQU, found as fast; the first thousand
    // are listed, and how many more there are.
    text.replace(text.rfind("A0 EQU 0"), 8, "A0 EQU " + numbered("A", kDepth));
    const AssemblyResult loop = assemble_alone(text);
    ASSERT_EQ(loop.errors.size(), 1001u);
    EXPECT_EQ(format_error(loop.errors.back()), "big.asm:1001: and 19002 more errors, not listed");
}

// A31 is 2^63 - 1, the largest value; A32 would be 2^64 - 1, which must not wrap into a small
// number ("LII A32 + 5" assembled as "LII 4").
TEST(AssemblerRobustness, ValuesThatLeaveTheSixtyFourBitRangeAreErrors) {
    std::string text = "A0 EQU &FFFFFFFF\n";
    for (int level = 1; level <= 32; ++level) {
        const std::string previous = numbered("A", level - 1);
        text += numbered("A", level) + " EQU " + previous + " + " + previous + " + 1\n";
    }
    text += "LII A32 + 5\nLII A31 + 1\nLII -(0 - A31 - 1)\nLII A31 - A31 + 5\n";
    const AssemblyResult result = assemble_alone(text);
    std::vector<std::string> messages;
    for (const AssemblyError& error : result.errors)
        messages.push_back(format_error(error));
    EXPECT_EQ(messages, (std::vector<std::string>{"big.asm:33: value leaves the 64-bit range",
                                                  "big.asm:34: value leaves the 64-bit range",
                                                  "big.asm:35: value leaves the 64-bit range",
                                                  "big.asm:36: value leaves the 64-bit range"}));
    EXPECT_EQ(result.bytes.at(7), 5);
}

// The bounds hold for one file as for many: too many lines, or too many bytes, end the run with
// one error.
TEST(AssemblerRobustness, SourcesBeyondTheBoundsStopWithAnError) {
    const AssemblyResult lines = assemble_alone(std::string(kMaxSourceLines + 5, '\n'));
    ASSERT_EQ(lines.errors.size(), 1u);
    EXPECT_EQ(format_error(lines.errors[0]),
              "big.asm:1000001: the source has more than 1000000 lines (all INCLUDEs together); "
              "assembly stopped");
    // Each file is small, but it is included 2^14 times.
    std::map<std::string, std::string> files;
    for (int level = 0; level < 14; ++level) {
        std::string next = "\"";
        next += numbered("f", level + 1) + "\"";
        files[numbered("f", level)] =
            (level < 13 ? "INCLUDE " + next + "\nINCLUDE " + next + "\n" : "") + "; " +
            std::string(2000, '-') + "\n";
    }
    const AssemblyResult bytes =
        assemble_source("INCLUDE \"f0\"\n", "big.asm", [&files](const std::string& path) {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        });
    ASSERT_EQ(bytes.errors.size(), 1u);
    EXPECT_NE(bytes.errors[0].message.find("the source is larger than 16777216 bytes"),
              std::string::npos);
}

// 8,000 blocks at one address: every pair overlaps, 32 million pairs that were once compared and
// each given a message. Each block after the first is one error, the summary counts them all,
// and the messages past the first thousand are not built.
TEST(AssemblerRobustness, ThousandsOfOverlappingBlocksAreEachOneError) {
    constexpr int kBlocks = 8000;
    std::string text;
    for (int block = 0; block < kBlocks; ++block)
        text += "ORG &100\nDB 1\n";
    const AssemblyResult result = assemble_alone(text);
    EXPECT_EQ(result.error_count, std::size_t{kBlocks - 1});
    ASSERT_EQ(result.errors.size(), 1001u);
    EXPECT_EQ(format_error(result.errors[0]),
              "big.asm:3: overlapping ORG ranges: &0100-&0100 overlaps &0100-&0100 (big.asm:1)");
    EXPECT_EQ(format_error(result.errors.back()), "big.asm:2001: and 6999 more errors, not listed");
    // In a row of ranges that each overlap the next, each one is reported against the range
    // that reaches furthest before it.
    const AssemblyResult chain =
        assemble_alone("ORG 10\nDS 10\nORG 0\nDS 12\nORG 15\nDS 10\nORG 30\nDS 1\n");
    std::vector<std::string> messages;
    for (const AssemblyError& error : chain.errors)
        messages.push_back(format_error(error));
    EXPECT_EQ(messages,
              (std::vector<std::string>{"big.asm:3: overlapping ORG ranges: &0000-&000B overlaps "
                                        "&000A-&0013 (big.asm:1)",
                                        "big.asm:5: overlapping ORG ranges: &000F-&0018 overlaps "
                                        "&000A-&0013 (big.asm:1)"}));
}

// An EQU's failure is reported on every line that uses it: its message quotes a long name cut
// short, or 20,000 lines would copy a megabyte each.
TEST(AssemblerRobustness, MessagesQuoteLongTextsCutShort) {
    std::string text = "A EQU " + std::string(1'000'000, 'n') + "\n";
    for (int line = 0; line < 20000; ++line)
        text += "LIA A\n";
    const AssemblyResult result = assemble_alone(text);
    EXPECT_EQ(result.error_count, 20001u);
    EXPECT_EQ(format_error(result.errors[1]),
              "big.asm:2: undefined label '" + std::string(kExcerptLength, 'n') + "...'");
}

// A byte-order mark that an editor put at the start of a file is no text, in the main source
// as in an included one; elsewhere it is still an error.
TEST(AssemblerRobustness, ByteOrderMarksStartingAFileAreSkipped) {
    const std::string mark = "\xEF\xBB\xBF";
    const IncludeLoader loader = [&mark](const std::string& path) -> LoadedFile {
        if (path == "part.asm") return std::optional<std::string>(mark + "LIA 1\n");
        return std::nullopt;
    };
    const AssemblyResult result =
        assemble_source(mark + "ORG 0\nINCLUDE \"part.asm\"\nRTN\n", "m.asm", loader);
    ASSERT_TRUE(result.ok()) << format_error(result.errors.front());
    EXPECT_EQ(result.bytes, (std::map<std::uint16_t, std::uint8_t>{{0, 2}, {1, 1}, {2, 0x37}}));
    EXPECT_FALSE(assemble_source("RTN\n" + mark + "RTN\n", "m.asm", loader).ok());
}

}  // namespace
}  // namespace tolvan
