// The client area: the off-screen image of the calculator's face, shown at 602 x 222
// device-independent pixels times a whole zoom factor, and the mouse input on it. Positions
// that it reports and areas that it repaints are in pixels of the image.
#pragma once

#include <QWidget>

#include "base/image.h"

namespace tolvan {

class ClientView : public QWidget {
    Q_OBJECT

  public:
    // The image must outlive the view; it is shown without being copied.
    explicit ClientView(const Image& client, QWidget* parent = nullptr);

    int zoom() const { return zoom_; }
    // Each pixel of the image becomes zoom x zoom pixels on the screen.
    void set_zoom(int zoom);
    // Repaints an area given in pixels of the image.
    void update_image_area(int left, int top, int width, int height);

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
    int zoom_ = 1;
};

}  // namespace tolvan
