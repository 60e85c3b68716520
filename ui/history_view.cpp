#include "ui/history_view.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QScrollBar>

#include "machine/debugger.h"
#include "tools/hex_text.h"
#include "tools/labelled_instruction.h"

namespace tolvan {

namespace {

constexpr std::size_t kPlaceWidth = 24;
constexpr std::size_t kInstructionWidth = 26;

void append_padded(std::string& line, const std::string& text, std::size_t width) {
    line += text;
    if (text.size() < width) line.append(width - text.size(), ' ');
    line += ' ';
}

void append_register(std::string& line, const char* name, const std::string& value) {
    line += name;
    line += '=';
    line += value;
    line += ' ';
}

}  // namespace

std::string history_line(const Emulator& emulator, const HistoryEntry& entry) {
    std::string line = hex4(entry.pc);
    line += "  ";
    append_padded(line, describe_address(emulator.symbols, entry.pc), kPlaceWidth);
    append_padded(line, labelled_instruction(emulator.bus.memory, emulator.symbols, entry.pc).text,
                  kInstructionWidth);
    const Cpu& cpu = entry.cpu;
    append_register(line, "A", hex2(cpu.iram[kRegisterA]));
    append_register(line, "B", hex2(cpu.iram[kRegisterB]));
    append_register(line, "X", hex4(register_pair(cpu, kRegisterXL)));
    append_register(line, "Y", hex4(register_pair(cpu, kRegisterYL)));
    append_register(line, "DP", hex4(cpu.dp));
    append_register(line, "R", hex2(cpu.r));
    line += zero_flag(cpu) ? 'Z' : '-';
    line += carry_flag(cpu) ? 'C' : '-';
    return line;
}

HistoryView::HistoryView(const Emulator& emulator, QWidget* parent)
    : QPlainTextEdit(parent), emulator_(emulator) {
    setObjectName(QStringLiteral("HistoryView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMaximumBlockCount(static_cast<int>(kHistorySize) + 1);
}

void HistoryView::show_values() {
    std::string text;
    moments_.clear();
    for (const HistoryEntry& entry : history(emulator_.debugger)) {
        text += history_line(emulator_, entry);
        text += '\n';
        moments_.push_back(entry.moment);
    }
    setPlainText(QString::fromStdString(text));
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

std::optional<std::uint64_t> HistoryView::moment_of_row(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= moments_.size()) return std::nullopt;
    return moments_[static_cast<std::size_t>(row)];
}

void HistoryView::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    // A click, not the end of a selection of text to copy.
    if (textCursor().hasSelection()) return;
    if (const auto moment = moment_of_row(cursorForPosition(event->pos()).blockNumber())) {
        emit moment_chosen(*moment);
    }
}

}  // namespace tolvan
