#include "ui/client_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace tolvan {

ClientView::ClientView(const Image& client, QWidget* parent) : QWidget(parent), client_(client) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    apply_scale();
}

void ClientView::set_zoom(int zoom) {
    zoom_ = zoom;
    apply_scale();
}

QSize ClientView::size_at_zoom(int zoom) const {
    const FaceScale scale = face_scale(zoom, devicePixelRatioF());
    return {scale.shown_length(client_.width), scale.shown_length(client_.height)};
}

void ClientView::apply_scale() {
    scale_ = face_scale(zoom_, devicePixelRatioF());
    setFixedSize(size_at_zoom(zoom_));
    update();
}

void ClientView::update_image_area(int left, int top, int width, int height) {
    const int x = scale_.shown_start(left);
    const int y = scale_.shown_start(top);
    update(x, y, scale_.shown_end(left, width) - x, scale_.shown_end(top, height) - y);
}

void ClientView::paintEvent(QPaintEvent* event) {
    const QImage image(reinterpret_cast<const uchar*>(client_.pixels.data()), client_.width,
                       client_.height, QImage::Format_RGB32);
    QPainter painter(this);
    // The view may be a device pixel wider than the image shows; that sliver stays dark.
    painter.fillRect(event->rect(), Qt::black);
    const double factor = scale_.dot_pixels / scale_.device_pixel_ratio;
    painter.scale(factor, factor);
    const QRect shown = event->rect();
    const QRect area =
        QRect(QPoint(scale_.image_coordinate(shown.left()), scale_.image_coordinate(shown.top())),
              QPoint(scale_.image_coordinate(shown.right() + 1),
                     scale_.image_coordinate(shown.bottom() + 1)))
            .intersected(QRect(0, 0, client_.width, client_.height));
    // No smoothing: every dot a block of whole device pixels.
    painter.drawImage(area, image, area);
}

void ClientView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPointF shown = event->position();
    emit left_button_pressed(
        {scale_.image_coordinate(shown.x()), scale_.image_coordinate(shown.y())});
}

void ClientView::mouseMoveEvent(QMouseEvent*) {
    emit pointer_moved_or_released();
}

void ClientView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit pointer_moved_or_released();
}

void ClientView::mouseDoubleClickEvent(QMouseEvent*) {}

void ClientView::showEvent(QShowEvent*) {
    emit shown();
}

}  // namespace tolvan
