// Help > Tolvan help: the program's own help in a window of its own, beside the calculator, so
// that the keys can be looked up while typing.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace tolvan {

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget* owner);

    // The text, naming the folder the machine runs in now.
    void show_help(const QString& machine_folder);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace tolvan
