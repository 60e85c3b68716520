#include "ui/stack_view.h"

#include <QFontDatabase>

#include "machine/stack_walk.h"
#include "tools/hex_text.h"
#include "tools/labelled_instruction.h"

namespace tolvan {

namespace {

constexpr unsigned kRowBytes = 16;

}  // namespace

std::string stack_text(const Emulator& emulator) {
    const Cpu& cpu = emulator.cpu;
    std::string text = "R = ";
    text += hex2(cpu.r);
    text += '\n';
    if (cpu.r >= kStackTop) return text += "(empty)\n";
    for (const StackSlot& slot : stack_slots(emulator)) {
        text += hex2(slot.index);
        text += ": ";
        if (slot.return_address) {
            text += "return to ";
            text += describe_with_hex(emulator.symbols, slot.value);
        } else {
            text += hex2(slot.value);
        }
        text += '\n';
    }
    return text;
}

std::string internal_ram_text(const Cpu& cpu) {
    std::string text;
    for (unsigned row = 0; row < cpu.iram.size(); row += kRowBytes) {
        text += hex2(row);
        text += ':';
        for (unsigned n = 0; n < kRowBytes; ++n) {
            text += ' ';
            text += hex2(cpu.iram[row + n]);
        }
        text += '\n';
    }
    return text;
}

StackView::StackView(const Emulator& emulator, QWidget* parent)
    : QPlainTextEdit(parent), emulator_(emulator) {
    setObjectName(QStringLiteral("StackView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void StackView::show_values() {
    std::string text = "Stack\n";
    text += stack_text(emulator_);
    text += "\nInternal RAM\n";
    text += internal_ram_text(emulator_.cpu);
    setPlainText(QString::fromStdString(text));
}

}  // namespace tolvan
