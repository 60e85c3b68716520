#include "ui/focus_return.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace tolvan {

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Hide) return false;
    auto* box = qobject_cast<QDialog*>(watched);
    if (!box || !box->isWindow() || !box->parentWidget()) return false;
    QPointer<QWidget> owner = box->parentWidget()->window();
    // Once the box is gone, and only when no window of the program has the keyboard: a window
    // manager may already have given it back, and the user may have gone to another program.
    QTimer::singleShot(0, this, [owner] {
        if (!owner || !owner->isVisible() || QApplication::activeModalWidget()) return;
        if (QApplication::activeWindow() && QApplication::activeWindow() != owner) return;
        owner->activateWindow();
        if (QWidget* focus = owner->focusWidget()) focus->setFocus(Qt::OtherFocusReason);
    });
    return false;
}

}  // namespace tolvan
