#include "ui/run_window.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include "resources/artwork.h"
#include "ui/main_window.h"

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

}  // namespace

int run_window(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvan"));
    QApplication::setDesktopFileName(QStringLiteral("tolvan"));
    QApplication::setWindowIcon(make_window_icon());
    MainWindow window;
    window.show();
    window.emulator().control.slice_busy = false;
    schedule_grab(window);
    return QApplication::exec();
}

}  // namespace tolvan
