// Drives the real main window on Qt's offscreen platform, each test in a fresh empty current
// directory, and answers its modal boxes from inside their own event loops.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/scratch_directory.h"
#include "ui/client_view.h"
#include "ui/main_window.h"
#include "ui/menu_ids.h"

namespace tolvan::testing {

// The desktop that the offscreen platform pretends: a wide primary screen, where every size of
// the calculator fits, and to its right a 1600 x 1000 one, where 3x does not.
inline constexpr int kWideScreenWidth = 2560;
inline constexpr int kWideScreenHeight = 1440;
inline constexpr int kSmallScreenWidth = 1600;
inline constexpr int kSmallScreenHeight = 1000;

inline std::filesystem::path write_screen_configuration() {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("tolvan-ui-tests-screens-" + std::to_string(QCoreApplication::applicationPid()) + ".json");
    write_file(file.string(),
               "{\"screens\": [{\"name\": \"wide\", \"x\": 0, \"y\": 0, \"width\": " +
                   std::to_string(kWideScreenWidth) +
                   ", \"height\": " + std::to_string(kWideScreenHeight) +
                   "}, {\"name\": \"small\", \"x\": " + std::to_string(kWideScreenWidth) +
                   ", \"y\": 0, \"width\": " + std::to_string(kSmallScreenWidth) +
                   ", \"height\": " + std::to_string(kSmallScreenHeight) + "}]}");
    return file;
}

// Created once for the whole test program and never destroyed: Qt objects may still refer to
// it while static objects go away.
inline QApplication& application() {
    static QApplication* instance = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        std::filesystem::path screens;
        if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
            screens = write_screen_configuration();
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screens.c_str());
        }
        static int argc = 1;
        static char name[] = "tolvan_ui_tests";
        static char* argv[] = {name, nullptr};
        // The offscreen platform warns about every fixed-size window, and Qt about a missing
        // runtime directory; nothing to see there.
        qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (message.contains(QStringLiteral("propagateSizeHints")) ||
                    message.contains(QStringLiteral("XDG_RUNTIME_DIR")) ||
                    message.contains(QStringLiteral("does not support raise")) ||
                    message.contains(QStringLiteral("does not support grabbing")) ||
                    message.contains(QStringLiteral("does not support QPlatformServices"))) {
                    return;
                }
                if (type != QtDebugMsg) {
                    fprintf(stderr, "%s (%s:%d)\n", qPrintable(message),
                            context.file ? context.file : "", context.line);
                }
            });
        auto* app = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        // Read when the platform started.
        if (!screens.empty()) std::filesystem::remove(screens);
        return app;
    }();
    return *instance;
}

inline constexpr int kDialogPollMs = 5;
inline constexpr int kDialogWaitMs = 3000;

struct DialogSeen {
    bool seen = false;
};

template <typename T>
T* child(QDialog& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

inline void click(QDialog& dialog, const char* button) {
    if (auto* b = child<QPushButton>(dialog, button)) QTest::mouseClick(b, Qt::LeftButton);
}

inline void press_escape(QDialog& dialog) {
    QTest::keyClick(&dialog, Qt::Key_Escape);
}

inline void set_text(QDialog& dialog, const char* edit, const QString& text) {
    if (auto* e = child<QLineEdit>(dialog, edit)) e->setText(text);
}

inline QString text_of(QDialog& dialog, const char* widget) {
    if (auto* e = dialog.findChild<QLineEdit*>(QString::fromLatin1(widget))) return e->text();
    if (auto* l = dialog.findChild<QLabel*>(QString::fromLatin1(widget))) return l->text();
    ADD_FAILURE() << "no field " << widget;
    return {};
}

// Firmware that runs round a loop in the low ROM: two-byte LII instructions up to a jump back
// to 0, so that a running machine moves PC at every slice.
inline void write_running_roms() {
    std::string low(0x2000, '\0');
    low.replace(0x1FFC, 3, "\x79\x00\x00", 3);
    write_file("TOLVANL.ROM", low);
    write_file("TOLVANH.ROM", std::string(0x8000, '\0'));
}

inline constexpr int kSliceWaitMs = 5000;

// Lets the event loop run until PC moves away from `pc`; true when it did in good time.
inline bool wait_for_pc_change(const Emulator& emulator, std::uint16_t pc) {
    for (int waited = 0; waited < kSliceWaitMs && emulator.cpu.pc == pc; waited += kDialogPollMs) {
        QTest::qWait(kDialogPollMs);
    }
    return emulator.cpu.pc != pc;
}

class WindowTest : public ScratchDirectoryTest {
  protected:
    void SetUp() override {
        application();
        ScratchDirectoryTest::SetUp();
        // The window's preferences go to a folder of the test's own, never to the user's, and
        // apart from the machine's files.
        config_directory_.emplace();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config_directory_->path().string()));
    }

    void TearDown() override {
        for (QTimer* watch : watches_)
            delete watch;
        window_.reset();
        ScratchDirectoryTest::TearDown();
        config_directory_.reset();
    }

    // Creates and shows the window with whatever files the directory holds now.
    MainWindow& open_window() {
        window_ = std::make_unique<MainWindow>();
        window_->show();
        QApplication::processEvents();
        return *window_;
    }

    // Runs `action` on the box of that name as soon as it is the active modal widget. The
    // returned record tells whether it was seen; the watch gives up after a while, and ends with
    // the test.
    std::shared_ptr<DialogSeen> when_dialog_opens(const QString& name,
                                                  std::function<void(QDialog&)> action) {
        auto record = std::make_shared<DialogSeen>();
        auto* timer = new QTimer(&application());
        watches_.push_back(timer);
        auto polls = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [=] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            const bool found = dialog && dialog->objectName() == name && dialog->isVisible();
            if (!found && ++*polls * kDialogPollMs < kDialogWaitMs) return;
            timer->stop();
            if (!found) {
                // Some other box is in the way: close it so that the test does not hang.
                if (dialog) dialog->reject();
                return;
            }
            record->seen = true;
            action(*dialog);
        });
        timer->start(kDialogPollMs);
        return record;
    }

    MainWindow& window() { return *window_; }
    // Ends the window as the user does, by closing it, and forgets it.
    void close_window() {
        window_->close();
        window_.reset();
    }
    Emulator& emulator() { return window_->emulator(); }
    Keyboard& keyboard() { return window_->emulator().bus.keyboard; }
    ClientView* view() { return window_->client_view(); }

    void trigger(MenuCommand command) {
        QAction* action = window_->command_action(command);
        ASSERT_NE(action, nullptr) << static_cast<int>(command);
        action->trigger();
    }

    void click_at(int x, int y) { QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(x, y)); }

    bool file_exists(const char* name) const { return std::filesystem::exists(directory() / name); }

    std::vector<std::string> files() const { return entries_of(directory()); }

  private:
    std::optional<ScratchDirectory> config_directory_;
    std::unique_ptr<MainWindow> window_;
    std::vector<QTimer*> watches_;
};

}  // namespace tolvan::testing
