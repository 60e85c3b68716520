#include "ui/client_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace tolvan {

namespace {
bool is_whole_number(qreal ratio) {
    return ratio == static_cast<int>(ratio);
}
}  // namespace

ClientView::ClientView(const Image& client, QWidget* parent) : QWidget(parent), client_(client) {
    setFixedSize(client.width, client.height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void ClientView::set_zoom(int zoom) {
    zoom_ = zoom;
    setFixedSize(client_.width * zoom, client_.height * zoom);
    update();
}

void ClientView::update_image_area(int left, int top, int width, int height) {
    update(left * zoom_, top * zoom_, width * zoom_, height * zoom_);
}

void ClientView::paintEvent(QPaintEvent* event) {
    const QImage image(reinterpret_cast<const uchar*>(client_.pixels.data()), client_.width,
                       client_.height, QImage::Format_RGB32);
    QPainter painter(this);
    // On a screen of whole-number scale every image pixel becomes a crisp block; in between,
    // smoothing keeps the legends even.
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          !is_whole_number(devicePixelRatioF() * zoom_));
    painter.scale(zoom_, zoom_);
    const QRect shown = event->rect();
    const QRect area(QPoint(shown.left() / zoom_, shown.top() / zoom_),
                     QPoint(shown.right() / zoom_, shown.bottom() / zoom_));
    painter.drawImage(area, image, area);
}

void ClientView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint shown = event->position().toPoint();
    emit left_button_pressed({shown.x() / zoom_, shown.y() / zoom_});
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
