// The 64 KB address space, 16 bytes a row: hex, characters and the region each row lies in.
// A click selects a byte, a drag or Shift a range; while the machine is paused, hex digits
// typed there change the byte at the cursor. The context menu sets watchpoints on the range,
// and goes back to the last write of the byte at the cursor.
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <optional>

#include "bus/data_watch.h"

#include "machine/emulator.h"

namespace tolvan {

class MemoryView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit MemoryView(Emulator& emulator, QWidget* parent = nullptr);

    // Scrolls the address's row to the top and selects the address.
    void go_to(std::uint16_t address);
    // The byte at the cursor, where typed digits go: one end of the selected range.
    std::uint16_t selected() const { return selected_; }
    std::uint16_t selection_first() const;
    std::uint16_t selection_last() const;
    void select_range(std::uint16_t first, std::uint16_t last);
    std::uint16_t top_address() const;
    void set_editable(bool editable);
    // Repaints with the bytes as they are now.
    void show_values() { viewport()->update(); }

    QSize sizeHint() const override;

  signals:
    // The user changed a byte.
    void edited();
    // The user asked to stop on accesses to the selected range.
    void watch_requested(Watchpoint watchpoint);
    // The user asked to go back to the instruction that last wrote the byte at the cursor.
    void last_write_requested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void update_scroll_range();
    int visible_rows() const;
    // Moves the cursor; `extend` keeps the other end of the range where it was.
    void select(std::uint16_t address, bool extend = false);
    std::optional<std::uint16_t> address_at(QPoint position) const;
    void type_digit(int digit);
    int character_width() const;
    int row_height() const;

    Emulator& emulator_;
    std::uint16_t selected_ = 0;
    std::uint16_t anchor_ = 0;  // the range's other end
    bool editable_ = false;
    // The high digit of the selected byte was just typed; the next digit completes it.
    bool low_digit_next_ = false;
};

}  // namespace tolvan
