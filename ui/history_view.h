// The last instructions run, oldest first, each with the registers it found.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "machine/emulator.h"

namespace tolvan {

struct HistoryEntry;

// One line: address and label, the instruction, then A, B, X, Y, DP, R and the flags before it.
std::string history_line(const Emulator& emulator, const HistoryEntry& entry);

class HistoryView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit HistoryView(const Emulator& emulator, QWidget* parent = nullptr);
    // Shows the history as it is now, scrolled to its newest entry.
    void show_values();

  private:
    const Emulator& emulator_;
};

}  // namespace tolvan
