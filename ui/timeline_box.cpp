#include "ui/timeline_box.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "machine/time_travel.h"
#include "ui/lcd_area.h"
#include "ui/preferences.h"

namespace tolvan {

namespace {
constexpr int kSliderWidth = 480;
constexpr int kArrowSteps = 1000;
constexpr int kPageSteps = 20;
constexpr std::uint64_t kSecondsPerMinute = 60;
}  // namespace

TimelineBox::TimelineBox(Emulator& emulator, const Display& display, QWidget* parent)
    : QDialog(parent), emulator_(emulator), display_(display) {
    setObjectName(QStringLiteral("TimelineBox"));
    setWindowTitle(tr("Timeline"));
    setWindowModality(Qt::ApplicationModal);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("TimelineSlider"));
    slider_->setMinimumWidth(kSliderWidth);
    lcd_ = new QLabel(this);
    lcd_->setObjectName(QStringLiteral("TimelineLcd"));
    lcd_->setAlignment(Qt::AlignCenter);
    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("TimelineTime"));
    minutes_ = new QSpinBox(this);
    minutes_->setObjectName(QStringLiteral("HistoryMinutes"));
    minutes_->setRange(0, kMostHistoryMinutes);
    minutes_->setSuffix(tr(" min"));
    minutes_->setSpecialValueText(tr("no history"));
    auto* minutes_label = new QLabel(tr("&Keep at least"), this);
    minutes_label->setBuddy(minutes_);
    resume_ = new QPushButton(tr("&Resume here"), this);
    resume_->setObjectName(QStringLiteral("TimelineResume"));
    resume_->setDefault(true);
    back_ = new QPushButton(tr("&Back to now"), this);
    back_->setObjectName(QStringLiteral("TimelineBack"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("Drag to any moment of the last minutes; the calculator shows it as it was."), this));
    layout->addWidget(lcd_);
    layout->addWidget(slider_);
    layout->addWidget(time_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(minutes_label);
    buttons->addWidget(minutes_);
    buttons->addStretch(1);
    buttons->addWidget(back_);
    buttons->addWidget(resume_);
    layout->addLayout(buttons);
    connect(slider_, &QSlider::valueChanged, this, &TimelineBox::go_to_slider);
    connect(resume_, &QPushButton::clicked, this, &QDialog::accept);
    connect(back_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, &TimelineBox::go_back);
    connect(minutes_, &QSpinBox::valueChanged, this, &TimelineBox::change_length);
}

void TimelineBox::start() {
    opened_at_ = emulator_.history.now.instructions;
    const QSignalBlocker quiet(minutes_);
    minutes_->setValue(static_cast<int>(emulator_.history.settings.length_cycles /
                                        (kSecondsPerMinute * kCyclesPerSecond)));
    show_history();
}

void TimelineBox::change_length(int minutes) {
    set_history_minutes(emulator_.history, minutes);
    if (!save_history_minutes_preference(minutes)) {
        qWarning("tolvan: cannot keep the history's length in %s",
                 qPrintable(window_preferences_file()));
    }
    show_history();
}

void TimelineBox::show_history() {
    const History& history = emulator_.history;
    first_ = history_start(history).instructions;
    const std::uint64_t span = history.end.instructions - first_;
    const auto most = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    step_ = span / most + 1;
    const QSignalBlocker quiet(slider_);
    const int range = static_cast<int>(span / step_);
    slider_->setRange(0, range);
    // The arrow keys move by a thousandth of the history, Page Up and Page Down by a twentieth.
    slider_->setSingleStep(std::max(1, range / kArrowSteps));
    slider_->setPageStep(std::max(1, range / kPageSteps));
    slider_->setValue(static_cast<int>((history.now.instructions - first_) / step_));
    show_time();
    show_lcd();
}

void TimelineBox::show_lcd() {
    const Image& picture = display_.client;
    const Rect area = lcd_area();
    const QImage whole(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                       picture.height, QImage::Format_RGB32);
    lcd_->setPixmap(QPixmap::fromImage(whole.copy(area.left, area.top, area.width, area.height)));
}

void TimelineBox::go_to_slider() {
    const std::uint64_t moment =
        std::min(first_ + static_cast<std::uint64_t>(slider_->value()) * step_,
                 emulator_.history.end.instructions);
    if (!travel_to(emulator_, moment)) return;
    show_time();
    emit moved();
    show_lcd();
}

void TimelineBox::show_time() {
    const History& history = emulator_.history;
    const double behind = static_cast<double>(history.end.cycles - history.now.cycles) /
                          static_cast<double>(kCyclesPerSecond);
    time_->setText(
        behind == 0 ? tr("The latest moment")
                    : tr("%1 s of emulated time before the latest moment").arg(behind, 0, 'f', 2));
}

void TimelineBox::go_back() {
    if (emulator_.history.now.instructions == opened_at_) return;
    if (travel_to(emulator_, opened_at_)) emit moved();
    show_lcd();
}

}  // namespace tolvan
