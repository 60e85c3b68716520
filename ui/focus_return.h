// Gives the keyboard back to the window under a box when the box closes. A window manager does
// this by itself; without one nobody does, and the calculator would stop taking typed keys
// after the first message box.
#pragma once

#include <QObject>

namespace tolvan {

class FocusReturn : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tolvan
