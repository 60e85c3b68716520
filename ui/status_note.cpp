#include "ui/status_note.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QTimer>

namespace tolvan {

namespace {

// Long enough to read a file name, short enough not to be in the way.
constexpr int kHoldMs = 2500;
constexpr int kFadeMs = 600;
constexpr int kMargin = 6;

}  // namespace

StatusNote::StatusNote(QWidget* face) : QLabel(face) {
    setObjectName(QStringLiteral("StatusNote"));
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral(
        "background: rgba(20, 20, 20, 210); color: white; padding: 3px 8px; border-radius: 4px"));
    opacity_ = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(opacity_);
    fade_ = new QPropertyAnimation(opacity_, "opacity", this);
    fade_->setDuration(kFadeMs);
    fade_->setStartValue(1.0);
    fade_->setEndValue(0.0);
    connect(fade_, &QPropertyAnimation::finished, this, &QWidget::hide);
    hold_ = new QTimer(this);
    hold_->setSingleShot(true);
    connect(hold_, &QTimer::timeout, fade_, [this] { fade_->start(); });
    hide();
}

void StatusNote::show_note(const QString& text) {
    fade_->stop();
    opacity_->setOpacity(1.0);
    setText(text);
    place();
    show();
    raise();
    hold_->start(kHoldMs);
}

void StatusNote::place() {
    const QWidget* face = parentWidget();
    setMaximumWidth(face->width() - 2 * kMargin);
    adjustSize();
    move(kMargin, face->height() - height() - kMargin);
}

}  // namespace tolvan
