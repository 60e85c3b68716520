// The stack that grows down in the processor's internal RAM from R: each return address that a
// call left there with its label, and the bytes pushed between them. Then the internal RAM, 16
// bytes a row.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "machine/emulator.h"

namespace tolvan {

// The stack from R up to its top, one entry a line, innermost first.
std::string stack_text(const Emulator& emulator);
// The 128 bytes, 16 a row, each row headed by its index.
std::string internal_ram_text(const Cpu& cpu);

class StackView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit StackView(const Emulator& emulator, QWidget* parent = nullptr);
    void show_values();

  private:
    const Emulator& emulator_;
};

}  // namespace tolvan
