// The command ids of the main window's menu, and which RAM size item carries the check mark.
#pragma once

#include <cstdint>

namespace tolvan {

// Each menu item's id, kept as the item's data.
enum class MenuCommand : int {
    None = 0,  // a separator
    About = 100,
    SaveRam = 101,
    LoadRam = 102,
    AllReset = 103,
    Break = 105,
    Ram16 = 106,
    Ram8 = 107,
    Ram4 = 108,
    ChangeSpeed = 109,
    FileNames = 111,
    Content = 112,
    OpenMachineFolder = 113,
    Exit = 200,
    SimpleReset = 300,
    PasteText = 400,
    Unassemble = 600,
    Debugger = 601,
    LoadSymbols = 602,
    Zoom1 = 701,
    Zoom2 = 702,
    Zoom3 = 703,
};

// The zoom that a View item selects, or 0 for any other id.
int zoom_of_menu_item(MenuCommand command);
// The RAM size item for a RAM size option in kilobytes; any size but 8 and 16 is shown as 4.
MenuCommand ram_size_menu_item(int kilobytes);
// The RAM size in kilobytes that a RAM size item selects, or 0 for any other command.
std::int8_t ram_size_of_menu_item(MenuCommand command);

}  // namespace tolvan
