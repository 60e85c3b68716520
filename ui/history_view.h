// The last instructions run, oldest first, each with the registers it found.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machine/emulator.h"

namespace tolvan {

struct HistoryEntry;

// One line: address and label, the instruction, then A, B, X, Y, DP, R and the flags before it.
std::string history_line(const Emulator& emulator, const HistoryEntry& entry);

// A row clicked is a moment to go back to: the one before its instruction.
class HistoryView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit HistoryView(const Emulator& emulator, QWidget* parent = nullptr);
    // Shows the history as it is now, scrolled to its newest entry.
    void show_values();
    // The moment of a row, oldest first; nothing past the last.
    std::optional<std::uint64_t> moment_of_row(int row) const;

  signals:
    void moment_chosen(std::uint64_t moment);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const Emulator& emulator_;
    std::vector<std::uint64_t> moments_;
};

}  // namespace tolvan
