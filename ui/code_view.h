// The unassembly around PC: one instruction per line, with its label, the current instruction
// marked and a margin whose click sets or clears a breakpoint. A click on a line puts the
// cursor there, for Run to cursor.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "machine/emulator.h"

namespace tolvan {

class CodeView : public QWidget {
    Q_OBJECT

  public:
    explicit CodeView(Emulator& emulator, QWidget* parent = nullptr);

    // Marks the instruction at PC, scrolling to it when it is out of sight.
    void show_pc();
    // Scrolls to the address and puts the cursor on it.
    void go_to(std::uint16_t address);
    std::optional<std::uint16_t> cursor() const { return cursor_; }
    // Sets a breakpoint at the address, or clears the one that is there.
    void toggle_breakpoint(std::uint16_t address);
    // The addresses shown, top to bottom.
    const std::vector<std::uint16_t>& lines() const { return lines_; }
    // Where the line of an address is drawn; an empty rectangle when it is not shown.
    QRect line_rect(std::uint16_t address) const;
    int margin_width() const;

    QSize sizeHint() const override;

  signals:
    void breakpoints_changed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    // The line list from the top address, as many as fit.
    void lay_out();
    // Scrolls so that `address` has a few instructions above it.
    void anchor(std::uint16_t address);
    void scroll_lines(int count);
    int line_height() const;
    int visible_line_count() const;
    std::uint16_t next_address(std::uint16_t address) const;
    void move_cursor(int lines);

    Emulator& emulator_;
    std::uint16_t top_ = 0;
    std::uint16_t pc_ = 0;
    std::optional<std::uint16_t> cursor_;
    std::vector<std::uint16_t> lines_;
};

}  // namespace tolvan
