// The program's own help. Its two key tables are also the README's: a test checks that the
// README holds them exactly as markdown_table writes them, so that the two cannot drift.
#pragma once

#include <QString>
#include <span>
#include <string>

namespace tolvan {

struct HelpRow {
    std::string key;
    std::string meaning;  // `code` marks what is typed as it stands
};

struct HelpTable {
    std::string key_heading;
    std::string meaning_heading;
    std::span<const HelpRow> rows;
};

// The PC keys and the machine keys they press.
HelpTable pc_key_table();
// The keys of the debugger's window, from its command table.
HelpTable debugger_key_table();

// The table as the README writes it: a header row, a rule, one line per row.
std::string markdown_table(const HelpTable& table);

// The whole help as rich text; `machine_folder` is the folder the machine runs in now.
QString help_html(const QString& machine_folder);

}  // namespace tolvan
