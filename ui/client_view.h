// The client area: the off-screen image of the calculator's face, shown at 602 x 222
// device-independent pixels times a whole zoom factor (near it on a screen of fractional scale,
// where the dots stay square: see face_scale.h), and the mouse input on it. Positions that it
// reports and areas that it repaints are in pixels of the image.
#pragma once

#include <QWidget>

#include "base/image.h"
#include "ui/face_scale.h"

namespace tolvan {

class ClientView : public QWidget {
    Q_OBJECT

  public:
    // The image must outlive the view; it is shown without being copied.
    explicit ClientView(const Image& client, QWidget* parent = nullptr);

    int zoom() const { return zoom_; }
    // Each pixel of the image becomes zoom x zoom pixels on the screen.
    // Also after a move to a screen of another scale factor, so that the dots keep whole device
    // pixels.
    void set_zoom(int zoom);
    // The view's size at a zoom on the screen it is on now.
    QSize size_at_zoom(int zoom) const;
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
    void apply_scale();

    const Image& client_;
    int zoom_ = 1;
    FaceScale scale_;
};

}  // namespace tolvan
