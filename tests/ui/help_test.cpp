// The program's own help: the README's key tables are the help's, the Help item opens it, and
// the Info box gives the program's version.
#include <QTextBrowser>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/ui/window_fixture.h"
#include "ui/debug_commands.h"
#include "ui/help_text.h"
#include "ui/help_window.h"

namespace tolvan::testing {
namespace {

std::string readme() {
    std::ifstream in(std::string(TOLVAN_TEST_SOURCE_DIR) + "/../README.md");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The README's tables are written by markdown_table from the tables that the help shows and
// the debugger's window runs: a row changed on one side only fails here.
TEST(Help, TheReadmeHoldsTheKeyTablesAsTheHelpShowsThem) {
    const std::string text = readme();
    ASSERT_FALSE(text.empty());
    for (const HelpTable& table : {pc_key_table(), debugger_key_table()}) {
        const std::string expected = markdown_table(table);
        EXPECT_NE(text.find(expected), std::string::npos)
            << "The README should hold, as it stands:\n"
            << expected;
    }
}

// Two commands on one key, or one accelerator letter, would leave one of them unreachable.
TEST(Help, EveryDebuggerCommandHasAKeyAndALetterOfItsOwn) {
    std::set<int> keys;
    std::set<QChar> letters;
    for (const DebugCommandItem& item : debug_commands()) {
        EXPECT_TRUE(keys.insert(item.key.toCombined()).second) << item.text;
        const QString text = QString::fromLatin1(item.text);
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << item.text;
        EXPECT_TRUE(letters.insert(text.at(amp + 1).toLower()).second) << item.text;
    }
}

using HelpWindowTest = WindowTest;

TEST_F(HelpWindowTest, HelpShowsTheKeysTheDebuggerAndTheMachineFolder) {
    MainWindow& w = open_window();
    trigger(MenuCommand::kHelp);
    HelpWindow* help = w.help_window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString text = help->browser()->toPlainText();
    for (const HelpTable& table : {pc_key_table(), debugger_key_table()}) {
        for (const HelpRow& row : table.rows) {
            QString meaning = QString::fromStdString(row.meaning);
            EXPECT_TRUE(text.contains(meaning.remove(QLatin1Char('`')))) << row.meaning;
        }
    }
    for (const char* words : {"Paste text", "Size 1x", "Open machine folder", "--demo",
                              "Tolvan.ini", "tolvan.conf", "watchpoint"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(words))) << words;
    }
    EXPECT_TRUE(text.contains(QString::fromStdString(directory().string())));
}

}  // namespace
}  // namespace tolvan::testing
