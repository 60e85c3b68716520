// The panel over the calculator's face while the machine has no ROM images to run: which images
// are missing, their expected sizes, the folder where they belong (with a button that opens it in
// the file manager), and buttons that look again or run the demo firmware instead.
#pragma once

#include <QFrame>
#include <filesystem>
#include <vector>

#include "machine/rom_check.h"

class QLabel;
class QPushButton;

namespace tolvan {

class MissingRomsPanel : public QFrame {
    Q_OBJECT

  public:
    // Covers its parent, whose size it follows.
    explicit MissingRomsPanel(QWidget* parent);

    // Shows the problems of that folder; the demo button is enabled when a demo can run.
    void show_problems(const std::filesystem::path& folder,
                       const std::vector<RomImageProblem>& problems, bool demo_available);

  signals:
    void look_again_requested();
    void run_demo_requested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void follow_parent();
    void open_folder();

    QLabel* text_ = nullptr;
    QPushButton* run_demo_ = nullptr;
    std::filesystem::path folder_;
};

}  // namespace tolvan
