#include "ui/run_window.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <cstring>
#include <filesystem>

#include "resources/artwork.h"
#include "ui/main_window.h"
#include "ui/preferences.h"

namespace tolvan {

namespace {

constexpr int kDefaultGrabDelayMs = 1500;
constexpr int kIconSizes[] = {48, 64, 128, 256};

QIcon make_window_icon() {
    QIcon icon;
    for (const int size : kIconSizes) {
        const Image image = make_icon(size);
        icon.addPixmap(
            QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(image.pixels.data()),
                                      image.width, image.height, QImage::Format_RGB32)
                                   .copy()));
    }
    return icon;
}

// For documentation pictures: saves the window as it looks after a while, then closes it.
void schedule_grab(MainWindow& window) {
    const QString path = qEnvironmentVariable("TOLVAN_GRAB");
    if (path.isEmpty()) return;
    bool valid = false;
    int delay = qEnvironmentVariableIntValue("TOLVAN_GRAB_DELAY_MS", &valid);
    if (!valid) delay = kDefaultGrabDelayMs;
    QTimer::singleShot(delay, &window, [&window, path] {
        window.grab().save(path);
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
    if (folder.origin == FolderOrigin::CurrentDirectory) return folder;
    if (const int error = enter_folder(folder.path); error != 0) {
        qWarning("tolvan: cannot use the machine folder %s: %s", folder.path.c_str(),
                 std::strerror(error));
        return {current, FolderOrigin::CurrentDirectory};
    }
    return folder;
}

}  // namespace

int run_window(int argc, char** argv, const std::optional<MachineFolder>& chosen) {
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
