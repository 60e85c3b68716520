#include "ui/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/help_text.h"

namespace tolvan {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 600;
}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Tolvan help"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(kWidth, kHeight);
}

void HelpWindow::show_help(const QString& machine_folder) {
    browser_->setHtml(help_html(machine_folder));
}

}  // namespace tolvan
