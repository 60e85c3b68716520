#include "ui/preferences.h"

#include <QSettings>

#include "machine/history.h"

namespace tolvan {

namespace {

const QString kZoomKey = QStringLiteral("window/zoom");
const QString kPositionKey = QStringLiteral("window/position");
const QString kFrameKey = QStringLiteral("window/frame");
constexpr int kFrameSides = 4;
// Larger than any window manager's title bar: anything else is not a frame.
constexpr int kLargestFrameSide = 200;
const QString kMachineFolderKey = QStringLiteral("machine/folder");
const QString kDebuggerSizeKey = QStringLiteral("debugger/size");
const QString kDebuggerPanesKey = QStringLiteral("debugger/panes");
const QString kUnassembleSymbolsKey = QStringLiteral("unassemble/use_symbols");
const QString kHistoryMinutesKey = QStringLiteral("history/minutes");

// A text file in the user's configuration folder ($XDG_CONFIG_HOME/tolvan/tolvan.conf on Linux).
QSettings user_settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tolvan"),
                     QStringLiteral("tolvan"));
}

}  // namespace

WindowPreferences load_window_preferences() {
    const QSettings settings = user_settings();
    WindowPreferences preferences;
    bool valid = false;
    const int zoom = settings.value(kZoomKey).toInt(&valid);
    if (valid && zoom >= kSmallestZoom && zoom <= kLargestZoom) preferences.zoom = zoom;
    const QVariant position = settings.value(kPositionKey);
    if (position.typeId() == QMetaType::QPoint) preferences.position = position.toPoint();
    const QVariantList frame = settings.value(kFrameKey).toList();
    if (frame.size() == kFrameSides) {
        int sides[kFrameSides] = {};
        for (int n = 0; n < kFrameSides; ++n) {
            bool number = false;
            sides[n] = frame[n].toInt(&number);
            if (!number || sides[n] < 0 || sides[n] > kLargestFrameSide) return preferences;
        }
        preferences.frame = QMargins(sides[0], sides[1], sides[2], sides[3]);
    }
    return preferences;
}

bool save_window_preferences(const WindowPreferences& preferences) {
    QSettings settings = user_settings();
    settings.setValue(kZoomKey, preferences.zoom);
    if (preferences.position) settings.setValue(kPositionKey, *preferences.position);
    const QMargins& frame = preferences.frame;
    settings.setValue(kFrameKey,
                      QVariantList{frame.left(), frame.top(), frame.right(), frame.bottom()});
    settings.sync();
    return settings.status() == QSettings::NoError;
}

DebuggerLayout load_debugger_layout() {
    const QSettings settings = user_settings();
    DebuggerLayout layout;
    const QVariant size = settings.value(kDebuggerSizeKey);
    if (size.typeId() == QMetaType::QSize && size.toSize().isValid()) layout.size = size.toSize();
    layout.panes = settings.value(kDebuggerPanesKey).toByteArray();
    return layout;
}

bool save_debugger_layout(const DebuggerLayout& layout) {
    QSettings settings = user_settings();
    if (layout.size) settings.setValue(kDebuggerSizeKey, *layout.size);
    settings.setValue(kDebuggerPanesKey, layout.panes);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int load_history_minutes_preference() {
    bool ok = false;
    const int minutes =
        user_settings().value(kHistoryMinutesKey, kDefaultHistoryMinutes).toInt(&ok);
    return ok && minutes >= 0 && minutes <= kMostHistoryMinutes ? minutes : kDefaultHistoryMinutes;
}

bool save_history_minutes_preference(int minutes) {
    QSettings settings = user_settings();
    settings.setValue(kHistoryMinutesKey, minutes);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool load_unassemble_symbols_preference() {
    return user_settings().value(kUnassembleSymbolsKey, true).toBool();
}

bool save_unassemble_symbols_preference(bool use_symbols) {
    QSettings settings = user_settings();
    settings.setValue(kUnassembleSymbolsKey, use_symbols);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<QString> load_machine_folder_preference() {
    const QString folder = user_settings().value(kMachineFolderKey).toString();
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

bool save_machine_folder_preference(const QString& folder) {
    QSettings settings = user_settings();
    settings.setValue(kMachineFolderKey, folder);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString window_preferences_file() {
    return user_settings().fileName();
}

}  // namespace tolvan
