// The source of the code around PC: the file and line that the debug information gives for the
// current instruction, that line marked, a margin whose click sets or clears a breakpoint on a
// line (on its first instruction, or the next line's that has code), and the way from a line
// to its unassembly.
#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "machine/emulator.h"

namespace tolvan {

class SourceView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit SourceView(Emulator& emulator, QWidget* parent = nullptr);

    // Shows the line of PC's instruction, scrolled into sight and marked; a note when the
    // debug information knows no line there.
    void show_pc();
    // Shows the line that emitted the address and puts the cursor on it; false when none did.
    bool go_to_address(std::uint16_t address);
    // The first address of the cursor's line, or of the next line with code.
    std::optional<std::uint16_t> cursor_address() const;
    // Redraws the breakpoint dots after a change elsewhere.
    void show_breakpoints();
    // Sets breakpoints on a line's code, or clears them when one is set (lines count from 1).
    void toggle_breakpoint(int line);
    const std::filesystem::path& file() const { return file_; }
    int pc_line() const { return pc_line_; }
    int margin_width() const;
    // Where a line is drawn in the view; empty when it is not in sight.
    QRect line_rect(int line) const;

  signals:
    void breakpoints_changed();
    // Another file shows ("main.asm"), or none (an empty name).
    void file_shown(const QString& name);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class SourceMargin;
    // Loads the file unless it is the one shown; false when it cannot be read.
    bool show_file(const std::filesystem::path& file);
    void show_note(const QString& text);
    void mark_lines();
    void paint_margin(QPaintEvent* event);
    void margin_clicked(QPoint position);
    // The breakpointed addresses of a line's code.
    bool line_has_breakpoint(int line) const;

    Emulator& emulator_;
    QWidget* margin_;
    std::filesystem::path file_;
    int pc_line_ = 0;
};

}  // namespace tolvan
