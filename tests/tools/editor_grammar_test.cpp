// The editor extension's syntax grammar names every mnemonic of the opcode table and nothing
// else, so that the two cannot drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "cpu/opcode_table.h"

namespace tolvan {
namespace {

std::set<std::string> grammar_mnemonics() {
    std::ifstream file(std::string(TOLVAN_TEST_SOURCE_DIR) +
                       "/../editors/vscode/syntaxes/tolvan-asm.tmLanguage.json");
    const nlohmann::json grammar = nlohmann::json::parse(file);
    // "(?i)\b(LIDP|LIDL|...)\b"
    const std::string pattern = grammar["repository"]["mnemonic"]["match"];
    const std::size_t open = pattern.find('(', pattern.find(')') + 1);
    const std::size_t close = pattern.find(')', open);
    std::set<std::string> names;
    std::stringstream list(pattern.substr(open + 1, close - open - 1));
    for (std::string name; std::getline(list, name, '|');)
        names.insert(name);
    return names;
}

TEST(EditorGrammar, NamesExactlyTheMnemonicsOfTheOpcodeTable) {
    std::set<std::string> table;
    // "?" stands for the opcodes that are not instructions; it is no word to colour.
    for (const OpcodeInfo& info : kOpcodeTable) {
        if (info.mnemonic.find('?') == std::string_view::npos)
            table.insert(std::string(info.mnemonic));
    }
    EXPECT_EQ(grammar_mnemonics(), table);
}

}  // namespace
}  // namespace tolvan
