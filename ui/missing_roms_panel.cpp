#include "ui/missing_roms_panel.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/dialogs.h"

namespace tolvan {

namespace {

// The face shows round the panel, so that the user still sees which window this is.
constexpr int kMarginToFace = 8;

QPushButton* add_button(QHBoxLayout* row, const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    row->addWidget(button);
    return button;
}

QString escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

MissingRomsPanel::MissingRomsPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MissingRomsPanel"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("missing_roms_text"));
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::RichText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QHBoxLayout;
    QPushButton* open = add_button(buttons, tr("Open the folder"), "open_folder_button");
    QPushButton* look_again = add_button(buttons, tr("Look again"), "look_again_button");
    run_demo_ = add_button(buttons, tr("Run the demo firmware"), "run_demo_button");
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);
    connect(open, &QPushButton::clicked, this, &MissingRomsPanel::open_folder);
    connect(look_again, &QPushButton::clicked, this, &MissingRomsPanel::look_again_requested);
    connect(run_demo_, &QPushButton::clicked, this, &MissingRomsPanel::run_demo_requested);
    parent->installEventFilter(this);
    follow_parent();
}

void MissingRomsPanel::show_problems(const std::filesystem::path& folder,
                                     const std::vector<RomImageProblem>& problems,
                                     bool demo_available) {
    folder_ = folder;
    QString text = tr("<b>No instruction runs: the ROM images are missing or short.</b>");
    text += QStringLiteral("<ul style=\"margin: 4px\">");
    for (const RomImageProblem& problem : problems) {
        text +=
            QStringLiteral("<li>") + escaped(describe_problem(problem)) + QStringLiteral("</li>");
    }
    text += QStringLiteral("</ul>");
    text += tr("They belong in <b>%1</b>. The firmware belongs to the machine's owner and is not "
               "part of Tolvan: put your two ROM images there and choose Look again, or run "
               "Tolvan's own demo firmware.")
                .arg(escaped(folder.string()));
    text_->setText(text);
    run_demo_->setEnabled(demo_available);
    run_demo_->setToolTip(demo_available ? QString()
                                         : tr("The demo firmware is not installed with Tolvan"));
    follow_parent();
    show();
    raise();
}

bool MissingRomsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) follow_parent();
    return QFrame::eventFilter(watched, event);
}

void MissingRomsPanel::follow_parent() {
    setGeometry(parentWidget()->rect().adjusted(kMarginToFace, kMarginToFace, -kMarginToFace,
                                                -kMarginToFace));
}

void MissingRomsPanel::open_folder() {
    const QString path = QString::fromStdString(folder_.string());
    const auto show_path = [this, path] {
        show_folder_path_box(this,
                             tr("No file manager could open the folder. Put the ROM images in "
                                "this folder, then press Look again:"),
                             path);
    };
    // The desktop's opener tells by its exit status whether a file manager took the folder;
    // Qt's own call only knows whether the opener started, and a desktop without a file manager
    // would then show nothing at all.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::finished, this,
            [opener, show_path](int code, QProcess::ExitStatus status) {
                opener->deleteLater();
                if (status != QProcess::NormalExit || code != 0) show_path();
            });
    connect(opener, &QProcess::errorOccurred, this,
            [opener, show_path, path](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart) return;
                opener->deleteLater();
                // No such opener: Qt's way may still find one of the desktop's own.
                if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) show_path();
            });
    opener->start(QStringLiteral("xdg-open"), {path});
}

}  // namespace tolvan
