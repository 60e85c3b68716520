#include "ui/help_text.h"

#include <QKeySequence>
#include <QStringList>
#include <vector>

#include "ui/debug_commands.h"

namespace tolvan {

namespace {

const HelpRow kPcKeys[] = {
    {"a character: letters, digits, space, `+ - * / . , = ( )`",
     "the key with the same legend, whatever modifiers your keyboard needs to type it (`+` "
     "typed with Shift presses only `+`); a letter presses its key in either case"},
    {"Enter", "ENTER"},
    {"Shift, tapped alone (pressed and released with no other key)", "SHIFT"},
    {"Backspace, left arrow", "left arrow"},
    {"up, right, down arrows", "the same arrows"},
    {"Esc", "CCE"},
    {"F1-F9",
     "the nine keys of the top row: CAL, BASIC, BRK (F3), the three teal keys, down, up, left"},
    {"Shift held with Enter, Backspace, Esc, an arrow or F1-F9",
     "SHIFT, then that key (so Shift + left arrow deletes in the demo)"},
    {"Page Up, held",
     "none: the calculator runs backwards through its history, faster the longer the key is "
     "held; let go and it runs on from there"},
    {"F10, F11, F12; with Shift", "none: load quick slot 1, 2, 3; save it (File)"},
};

// `text` becomes code, everything else is escaped.
QString html_of(const std::string& text) {
    QString html;
    bool in_code = false;
    for (const QString& part : QString::fromStdString(text).split(QLatin1Char('`'))) {
        html += in_code ? QStringLiteral("<code>%1</code>").arg(part.toHtmlEscaped())
                        : part.toHtmlEscaped();
        in_code = !in_code;
    }
    return html;
}

QString html_table(const HelpTable& table) {
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
    html += QStringLiteral("<tr><th align=\"left\">%1</th><th align=\"left\">%2</th></tr>")
                .arg(html_of(table.key_heading), html_of(table.meaning_heading));
    for (const HelpRow& row : table.rows) {
        html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(html_of(row.key), html_of(row.meaning));
    }
    return html + QStringLiteral("</table>");
}

// The help's text around the tables; %1 is the PC key table, %2 the debugger's, %3 the
// machine folder.
constexpr const char* kHelpText = R"(
<h2>Typing</h2>
<p>Click the pictured keys, or type on the PC keyboard:</p>
%1
<p>Keys typed or clicked faster than the firmware reads them wait in a queue and reach it one
at a time, in order. BRK never waits: it goes at once and drops the keys still waiting
(Tools, Break does the same).</p>
<h2>Paste</h2>
<p>Edit, Paste text (Ctrl+V) types the clipboard's text the same way, each line end as ENTER.
Characters that no key types are left out, and a message names them.</p>
<h2>Size</h2>
<p>View, Size 1x, 2x, 3x shows the whole face larger, with square dots. A size that does not
fit the screen the window is on cannot be chosen. The size and the window's place come back at
the next start.</p>
<h2>The machine folder</h2>
<p>The machine runs in <b>%3</b>. The folder holds the two ROM images,
<code>TOLVANL.ROM</code> (0x2000 bytes, addresses 0x0000-0x1FFF) and <code>TOLVANH.ROM</code>
(0x8000 bytes, 0x8000-0xFFFF), and the machine's state. File, Open machine folder... chooses
another folder, which is remembered for the next start; the machine restarts from its files.
Without the ROM images nothing runs, and the window says which images are missing.</p>
<h2>The demo firmware</h2>
<p>Tolvan comes with a small firmware of its own, a one-line editor and calculator: the
missing-images panel's "Run the demo firmware" button, or <code>tolvan --demo</code>, runs it in
a folder of its own, apart from your machine folder. Type a line such as <code>12+34</code> and
press ENTER.</p>
<h2>Where files go</h2>
<ul>
<li>In the machine folder: <code>Tolvan.ini</code> (settings, registers, internal RAM) and the
RAM image (<code>TOLVAN.RAM</code> unless File, Change default file names says otherwise).
Save RAM writes both; nothing is written at exit, so use Save RAM to keep the machine's
state.</li>
<li>The tape's LOAD and SAVE files and the Unassemble listing, by the names their boxes give,
relative to the machine folder.</li>
<li>Symbol files (<code>*.sym</code>, <code>NAME HHHH</code> per line) beside the ROM images are
read at every start; Tools, Load symbols... adds another. So is the debug information of
<code>tolvan-asm --debug-info</code> (<code>*.json</code>), which shows your source in the
debugger; Tools, Load debug information... adds another.</li>
<li>The window's size and place, the debugger's layout and the machine folder last chosen:
<code>~/.config/tolvan/tolvan.conf</code>.</li>
</ul>
<h2>Going back in time</h2>
<p>While the machine runs, Tolvan keeps its history: the last ten minutes of emulated time or
more. Hold Page Up and the calculator runs backwards; let go and it runs on from there. Tools,
Timeline... (Ctrl+T) shows a slider over the history: drag it to any moment, the LCD shows it as
it was, and Resume here goes on from there (Back to now returns); it also sets how many minutes
the history keeps. File, Save state... and Load
state... keep the whole machine in a file (<code>.sta</code>) that only a machine with the same
ROM images loads; the quick slots (F10, F11, F12 to load, with Shift to save) keep theirs
beside the ROM images.</p>
<h2>The debugger</h2>
<p>Tools, Debugger (Ctrl+D) opens the debugger's window beside the calculator. The machine
keeps running until you pause it or it reaches a breakpoint or a watchpoint. Its keys:</p>
%2
<p>Every address field takes hexadecimal (<code>1A2F</code>, <code>0x1A2F</code>,
<code>&amp;1A2F</code>), a label, or <code>label+N</code> / <code>label-N</code>. In the memory
view, select bytes (drag, or Shift+click) and use the context menu to stop on reads or writes
of them; the Breakpoints pane lists breakpoints and watchpoints, to enable, disable, delete or
go to. The View menu shows or hides the panes; their places and sizes are kept. The commands
that go back (step back, step back over, reverse continue, reverse run to cursor, go to the last
write of the memory byte selected) take the machine back through its history; a click on a row
of the History pane goes back to the moment before that instruction.</p>
)";

}  // namespace

HelpTable pc_key_table() {
    return {"PC key", "Machine key", kPcKeys};
}

HelpTable debugger_key_table() {
    static const std::vector<HelpRow> rows = [] {
        std::vector<HelpRow> made;
        for (const DebugCommandItem& item : debug_commands()) {
            made.push_back(
                {QKeySequence(item.key).toString(QKeySequence::PortableText).toStdString(),
                 item.help});
        }
        return made;
    }();
    return {"Key (in the debugger's window)", "Command", rows};
}

std::string markdown_table(const HelpTable& table) {
    std::string text = "| " + table.key_heading + " | " + table.meaning_heading + " |\n|---|---|\n";
    for (const HelpRow& row : table.rows)
        text += "| " + row.key + " | " + row.meaning + " |\n";
    return text;
}

QString help_html(const QString& machine_folder) {
    return QString::fromLatin1(kHelpText).arg(html_table(pc_key_table()),
                                              html_table(debugger_key_table()),
                                              machine_folder.toHtmlEscaped());
}

}  // namespace tolvan
