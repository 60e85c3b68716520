// The window without ROM images: the panel over the face names each missing image, its size and
// the folder where it belongs, and its demo button starts the demo firmware in its own folder.
#include <QLabel>
#include <QPushButton>

#include "machine/rom_check.h"
#include "support/scoped_environment.h"
#include "tests/ui/window_fixture.h"
#include "ui/missing_roms_panel.h"

namespace tolvan::testing {
namespace {

using MissingRoms = WindowTest;

TEST_F(MissingRoms, PanelNamesTheImagesAndTheirFolderAndRunsTheDemo) {
    MainWindow& w = open_window();
    MissingRomsPanel* panel = w.missing_roms_panel();
    ASSERT_TRUE(panel->isVisible());
    const QString text = panel->findChild<QLabel*>(QStringLiteral("missing_roms_text"))->text();
    for (const char* fact :
         {"TOLVANL.ROM: missing; 8192 bytes", "TOLVANH.ROM: missing; 32768 bytes"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(fact))) << fact << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(directory().string())));
    EXPECT_NE(panel->findChild<QPushButton*>(QStringLiteral("open_folder_button")), nullptr);

    // The demo's working folder lies under the data home, here one of the test's own.
    const ScratchDirectory data_home;
    {
        const ScopedEnvironment data_home_variable("XDG_DATA_HOME", data_home.path().string());
        QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("run_demo_button")),
                          Qt::LeftButton);
    }
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(emulator().control.power_on_status, PowerOnStatus::kOk);
    EXPECT_EQ(std::filesystem::current_path(), data_home.path() / "tolvan" / "demo");
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("demo firmware")));
    EXPECT_TRUE(files().empty()) << "the folder the window started in is left alone";
}

// With no program that opens folders, the button shows the folder's path to copy instead of
// doing nothing.
TEST_F(MissingRoms, WithoutAFileManagerTheFolderIsShownToCopy) {
    MainWindow& w = open_window();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "");
    QString shown;
    const auto box = when_dialog_opens("FolderPathBox", [&shown](QDialog& d) {
        shown = text_of(d, "folder_path");
        d.accept();
    });
    QTest::mouseClick(
        w.missing_roms_panel()->findChild<QPushButton*>(QStringLiteral("open_folder_button")),
        Qt::LeftButton);
    for (int waited = 0; waited < kDialogWaitMs && !box->seen; waited += kDialogPollMs)
        QTest::qWait(kDialogPollMs);
    qputenv("PATH", path);
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(shown, QString::fromStdString(directory().string()));
}

}  // namespace
}  // namespace tolvan::testing
