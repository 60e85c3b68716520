#include "ui/stack_view.h"

#include <QFontDatabase>

#include "tools/hex_text.h"
#include "tools/labelled_instruction.h"

namespace tolvan {

namespace {

// The stack's top: the port latch bytes start there, so the stack grows down from just below.
constexpr unsigned kStackTop = kPortAByte;
constexpr unsigned kRowBytes = 16;

}  // namespace

std::string stack_text(const Emulator& emulator) {
    const Cpu& cpu = emulator.cpu;
    std::string text = "R = ";
    text += hex2(cpu.r);
    text += '\n';
    unsigned index = cpu.r;
    if (index >= kStackTop) return text += "(empty)\n";
    while (index < kStackTop) {
        const std::uint8_t low = cpu.iram[index];
        text += hex2(index);
        text += ": ";
        // A call pushes the high byte, then the low one, so the low byte is nearer R.
        if (index + 1 < kStackTop) {
            const auto address = static_cast<std::uint16_t>(cpu.iram[index + 1] << 8 | low);
            if (follows_call(emulator.bus.memory, address)) {
                text += "return to ";
                text += describe_with_hex(emulator.symbols, address);
                text += '\n';
                index += 2;
                continue;
            }
        }
        text += hex2(low);
        text += '\n';
        ++index;
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
