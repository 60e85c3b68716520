// The command ids of the main window's menu, and which RAM size item carries the check mark.
#pragma once

#include <cstdint>

namespace tolvan {

inline constexpr int kCommandAbout = 100;
inline constexpr int kCommandSaveRam = 101;
inline constexpr int kCommandLoadRam = 102;
inline constexpr int kCommandAllReset = 103;
inline constexpr int kCommandBreak = 105;
inline constexpr int kCommandRam16 = 106;
inline constexpr int kCommandRam8 = 107;
inline constexpr int kCommandRam4 = 108;
inline constexpr int kCommandChangeSpeed = 109;
inline constexpr int kCommandFileNames = 111;
inline constexpr int kCommandContent = 112;
inline constexpr int kCommandExit = 200;
inline constexpr int kCommandSimpleReset = 300;
inline constexpr int kCommandPasteText = 400;
inline constexpr int kCommandZoom1 = 701;
inline constexpr int kCommandZoom2 = 702;
inline constexpr int kCommandZoom3 = 703;
inline constexpr int kCommandUnassemble = 600;

// The zoom that a View item selects, or 0 for any other id.
int zoom_of_menu_item(int command);
// The RAM size item for a RAM size option in kilobytes; any size but 8 and 16 is shown as 4.
int ram_size_menu_item(int kilobytes);
// The RAM size in kilobytes that a RAM size item selects, or 0 for any other id.
std::int8_t ram_size_of_menu_item(int command);

}  // namespace tolvan
