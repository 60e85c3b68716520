// What the user chose for the windows and gets again at the next start: the calculator's zoom
// and place on the screen, the debugger's size and panes, the Unassemble box's switch, the length
// of the machine's history and the machine folder. They live in the user's configuration folder,
// apart from Tolvan.ini, which holds the machine's state.
#pragma once

#include <QByteArray>
#include <QMargins>
#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

namespace tolvan {

inline constexpr int kSmallestZoom = 1;
inline constexpr int kLargestZoom = 3;

struct WindowPreferences {
    int zoom = kSmallestZoom;
    // The client area's top-left corner, inside the frame: the place that the window is put
    // back at, so that it never creeps by the frame's size. None before the first close.
    std::optional<QPoint> position;
    // The frame around it when it was saved (title bar and borders), which the window manager
    // adds again only once the window shows: what the restored place is checked with.
    QMargins frame;
};

struct DebuggerLayout {
    std::optional<QSize> size;
    QByteArray panes;  // which panes show, where, at what sizes; empty for the default layout
};

// The stored preferences; a missing or unusable value gives its default.
WindowPreferences load_window_preferences();
// False when the preferences file could not be written.
[[nodiscard]] bool save_window_preferences(const WindowPreferences& preferences);
DebuggerLayout load_debugger_layout();
[[nodiscard]] bool save_debugger_layout(const DebuggerLayout& layout);
// The Unassemble box's "Use symbol names": on unless the user turned it off.
bool load_unassemble_symbols_preference();
[[nodiscard]] bool save_unassemble_symbols_preference(bool use_symbols);
// How many minutes of emulated time the machine's history keeps (0: none), as the timeline's
// box sets it.
int load_history_minutes_preference();
[[nodiscard]] bool save_history_minutes_preference(int minutes);
// The machine folder chosen with Open machine folder, if any.
std::optional<QString> load_machine_folder_preference();
// False when the preferences file could not be written.
[[nodiscard]] bool save_machine_folder_preference(const QString& folder);

// Where the preferences are kept, for messages.
QString window_preferences_file();

}  // namespace tolvan
