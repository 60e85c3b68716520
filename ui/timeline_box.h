// The timeline: a slider over the machine's history. Moving it takes the machine to that moment,
// and the box shows the calculator's LCD as it was then (the calculator shows it too, but the
// box may lie over it); "Resume here" lets the machine run on from there, "Back to now" returns
// it to where it was when the box opened. While the box is open the machine runs no slice. The
// box also sets how many minutes of emulated time the history keeps.
#pragma once

#include <QDialog>
#include <cstdint>

#include "machine/display.h"
#include "machine/emulator.h"

class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace tolvan {

class TimelineBox : public QDialog {
    Q_OBJECT

  public:
    // `display` is the calculator's picture, which its window draws at every move.
    TimelineBox(Emulator& emulator, const Display& display, QWidget* parent = nullptr);

    // Shows the history as it is now, the slider at the machine's moment.
    void start();
    QSlider* slider() const { return slider_; }
    QPushButton* resume_button() const { return resume_; }
    QPushButton* back_button() const { return back_; }
    QLabel* time_label() const { return time_; }
    QLabel* lcd_label() const { return lcd_; }
    QSpinBox* minutes_box() const { return minutes_; }

  signals:
    // The machine is at another moment: its LCD and the debugger's views show another state.
    void moved();

  private:
    // The slider over the history as it is now, at the machine's moment.
    void show_history();
    void go_to_slider();
    // The length of the history, which the user's preferences keep.
    void change_length(int minutes);
    void show_time();
    // The LCD of the calculator's picture, as it is drawn now.
    void show_lcd();
    // Back where the machine was when the box opened.
    void go_back();

    Emulator& emulator_;
    const Display& display_;
    QLabel* lcd_ = nullptr;
    QSlider* slider_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    QLabel* time_ = nullptr;
    QPushButton* resume_ = nullptr;
    QPushButton* back_ = nullptr;
    std::uint64_t first_ = 0;
    std::uint64_t opened_at_ = 0;
    // Moments per slider step: one, unless the history holds more than a slider counts.
    std::uint64_t step_ = 1;
};

}  // namespace tolvan
