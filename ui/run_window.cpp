#include "ui/run_window.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "machine/debugger.h"
#include "tools/symbols.h"
#include "ui/debugger_window.h"
#include "ui/main_window.h"
#include "ui/preferences.h"

namespace tolvan {

namespace {

constexpr int kDefaultGrabDelayMs = 1500;
constexpr int kGrabGap = 12;
constexpr int kGrabBackgroundDarker = 130;

// Every size of the icon that the build rendered into the program (:/icons/SIZExSIZE/).
QIcon make_window_icon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (sizes.hasNext())
        icon.addFile(sizes.next() + QStringLiteral("/tolvan.png"));
    return icon;
}

bool variable_is_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt aborts the process when it finds no display to connect to, as over SSH or in a container.
// A platform chosen by name (QT_QPA_PLATFORM, such as offscreen) is left to Qt.
bool has_graphical_session() {
    return variable_is_set("QT_QPA_PLATFORM") || variable_is_set("DISPLAY") ||
           variable_is_set("WAYLAND_DISPLAY");
}

// The calculator and, to its right, the debugger's window, on the desktop's colour.
QPixmap side_by_side(const QPixmap& left, const QPixmap& right) {
    QPixmap picture(left.width() + kGrabGap + right.width(),
                    std::max(left.height(), right.height()));
    picture.fill(QApplication::palette().color(QPalette::Window).darker(kGrabBackgroundDarker));
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + kGrabGap, 0, right);
    return picture;
}

// Opens the debugger with a breakpoint at the address or label named; the firmware stops there
// when it next passes.
void stop_in_debugger(MainWindow& window, const QString& stop) {
    window.run_command(MenuCommand::kDebugger);
    Emulator& emulator = window.emulator();
    if (const auto address = parse_address(emulator.symbols, stop.toStdString())) {
        set_breakpoint(emulator.debugger, *address, true);
    } else {
        qWarning("tolvan: TOLVAN_GRAB_STOP: not an address or a label: %s", qPrintable(stop));
    }
}

// For documentation pictures: saves the window as it looks after a while, then closes it.
// TOLVAN_GRAB_STOP adds the debugger's window, stopped at that address or label; the
// breakpoint is set halfway through the delay, once the firmware has drawn its greeting.
void schedule_grab(MainWindow& window) {
    const QString path = qEnvironmentVariable("TOLVAN_GRAB");
    if (path.isEmpty()) return;
    bool valid = false;
    int delay = qEnvironmentVariableIntValue("TOLVAN_GRAB_DELAY_MS", &valid);
    if (!valid) delay = kDefaultGrabDelayMs;
    const QString stop = qEnvironmentVariable("TOLVAN_GRAB_STOP");
    if (!stop.isEmpty()) {
        QTimer::singleShot(delay / 2, &window, [&window, stop] { stop_in_debugger(window, stop); });
    }
    QTimer::singleShot(delay, &window, [&window, path] {
        QPixmap picture = window.grab();
        if (DebuggerWindow* debugger = window.debugger_window()) {
            picture = side_by_side(picture, debugger->grab());
        }
        picture.save(path);
        window.close();
    });
}

// The folder chosen with the remembered preference, made the current directory. When it cannot
// be entered the window stays in the current directory, and says so.
MachineFolder enter_machine_folder() {
    std::error_code ignored;
    const std::filesystem::path current = std::filesystem::current_path(ignored);
    const auto remembered = load_machine_folder_preference();
    const MachineFolder folder = choose_machine_folder(
        current, holds_machine_files(current), user_environment(),
        remembered ? std::optional(std::filesystem::path(remembered->toStdString()))
                   : std::nullopt);
    if (folder.origin == FolderOrigin::kCurrentDirectory) return folder;
    if (const int error = enter_folder(folder.path); error != 0) {
        qWarning("tolvan: cannot use the machine folder %s: %s", folder.path.c_str(),
                 std::strerror(error));
        return {current, FolderOrigin::kCurrentDirectory};
    }
    return folder;
}

}  // namespace

int run_window(int argc, char** argv, const std::optional<MachineFolder>& chosen) {
    if (!has_graphical_session()) {
        std::cerr << "tolvan: the window needs a graphical session (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set); tolvan --headless runs without one\n";
        return kExitNoDisplay;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvan"));
    QApplication::setDesktopFileName(QStringLiteral("tolvan"));
    QApplication::setWindowIcon(make_window_icon());
    // The machine powers on in its folder: the folder is entered before the window is made.
    const MachineFolder folder = chosen ? *chosen : enter_machine_folder();
    MainWindow window;
    window.set_machine_folder(folder);
    window.show();
    window.emulator().control.slice_busy = false;
    schedule_grab(window);
    return QApplication::exec();
}

}  // namespace tolvan
