// A one-line note over the bottom of the calculator's face that fades away: the word that a
// command such as Save RAM worked, without a box to close. It leaves the window's size alone.
#pragma once

#include <QLabel>

class QGraphicsOpacityEffect;
class QPropertyAnimation;
class QTimer;

namespace tolvan {

class StatusNote : public QLabel {
    Q_OBJECT

  public:
    explicit StatusNote(QWidget* face);

    // Shows the text for a few seconds, then fades it out.
    void show_note(const QString& text);

  private:
    void place();

    QGraphicsOpacityEffect* opacity_ = nullptr;
    QPropertyAnimation* fade_ = nullptr;
    QTimer* hold_ = nullptr;
};

}  // namespace tolvan
