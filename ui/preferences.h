// What the user chose for the window and gets again at the next start: its zoom, its place on
// the screen and the machine folder. They live in the user's configuration folder, apart from
// Tolvan.ini, which holds the machine's state.
#pragma once

#include <QPoint>
#include <QString>
#include <optional>

namespace tolvan {

inline constexpr int kSmallestZoom = 1;
inline constexpr int kLargestZoom = 3;

struct WindowPreferences {
    int zoom = kSmallestZoom;
    std::optional<QPoint> position;  // the frame's top-left corner; none before the first close
};

// The stored preferences; a missing or unusable value gives its default.
WindowPreferences load_window_preferences();
// False when the preferences file could not be written.
[[nodiscard]] bool save_window_preferences(const WindowPreferences& preferences);
// The machine folder chosen with Open machine folder, if any.
std::optional<QString> load_machine_folder_preference();
// False when the preferences file could not be written.
[[nodiscard]] bool save_machine_folder_preference(const QString& folder);

// Where the preferences are kept, for messages.
QString window_preferences_file();

}  // namespace tolvan
