// The client area: the off-screen image of the calculator's face, shown at 602 x 222
// device-independent pixels, and the mouse input on it.
#pragma once

#include <QWidget>

#include "base/image.h"

namespace tolvan {

class ClientView : public QWidget {
    Q_OBJECT

  public:
    // The image must outlive the view; it is shown without being copied.
    explicit ClientView(const Image& client, QWidget* parent = nullptr);

  signals:
    void left_button_pressed(QPoint position);
    // A mouse move, or the release of the left button.
    void pointer_moved_or_released();
    // The view became visible: its background is to be drawn anew.
    void shown();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The second click of a double click presses no key.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    const Image& client_;
};

}  // namespace tolvan
