// The 64 KB address space, 16 bytes a row: hex, characters and the region each row lies in.
// A click selects a byte; while the machine is paused, hex digits typed there change it.
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>

#include "machine/emulator.h"

namespace tolvan {

class MemoryView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit MemoryView(Emulator& emulator, QWidget* parent = nullptr);

    // Scrolls the address's row to the top and selects the address.
    void go_to(std::uint16_t address);
    std::uint16_t selected() const { return selected_; }
    std::uint16_t top_address() const;
    void set_editable(bool editable);
    // Repaints with the bytes as they are now.
    void show_values() { viewport()->update(); }

    QSize sizeHint() const override;

  signals:
    // The user changed a byte.
    void edited();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void update_scroll_range();
    int visible_rows() const;
    void select(std::uint16_t address);
    void type_digit(int digit);
    int character_width() const;
    int row_height() const;

    Emulator& emulator_;
    std::uint16_t selected_ = 0;
    bool editable_ = false;
    // The high digit of the selected byte was just typed; the next digit completes it.
    bool low_digit_next_ = false;
};

}  // namespace tolvan
