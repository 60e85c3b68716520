// The registers, flags, timers and port latches, a name and a value each, in two columns. A value
// that differs from the one shown at the previous stop is highlighted; while the machine is paused
// the values can be typed over.
#pragma once

#include <QTableWidget>
#include <vector>

#include "machine/emulator.h"

namespace tolvan {

class RegisterView : public QTableWidget {
    Q_OBJECT

  public:
    explicit RegisterView(Emulator& emulator, QWidget* parent = nullptr);

    // Shows the current values. At a stop they also become the reference for the next stop's
    // highlighting.
    void show_values(bool at_stop);
    void set_editable(bool editable);
    // The cell of a register's value by the register's name ("A", "DP", "Z", ...), or null.
    QTableWidgetItem* value_item(const QString& name) const;
    bool is_highlighted(const QString& name) const;

  signals:
    // The user changed a value in the machine.
    void edited();

  private:
    void commit(QTableWidgetItem* item);
    int field_of(const QString& name) const;

    Emulator& emulator_;
    std::vector<std::uint32_t> at_last_stop_;
    std::vector<bool> highlighted_;
    bool editable_ = false;
    // Set while the view writes its own items, so that only the user's edits reach the machine.
    bool filling_ = false;
};

}  // namespace tolvan
