// The command ids of the main window's menu, and which RAM size item carries the check mark.
#pragma once

#include <cstdint>

namespace tolvan {

// Each menu item's id, kept as the item's data.
enum class MenuCommand : int {
    kNone = 0,  // a separator
    kAbout = 100,
    kSaveRam = 101,
    kLoadRam = 102,
    kAllReset = 103,
    kBreak = 105,
    kRam16 = 106,
    kRam8 = 107,
    kRam4 = 108,
    kChangeSpeed = 109,
    kFileNames = 111,
    kContent = 112,
    kOpenMachineFolder = 113,
    kHelp = 114,
    kSaveState = 115,
    kLoadState = 116,
    kQuickSaveMenu = 120,  // the submenus of the slots
    kQuickSave1 = 121,     // to kQuickSave1 + kQuickSlots - 1
    kQuickLoadMenu = 130,
    kQuickLoad1 = 131,  // to kQuickLoad1 + kQuickSlots - 1
    kExit = 200,
    kSimpleReset = 300,
    kPasteText = 400,
    kUnassemble = 600,
    kDebugger = 601,
    kLoadSymbols = 602,
    kTimeline = 603,
    kLoadDebugInfo = 604,
    kZoom1 = 701,
    kZoom2 = 702,
    kZoom3 = 703,
};

// The zoom that a View item selects, or 0 for any other id.
int zoom_of_menu_item(MenuCommand command);
// The RAM size item for a RAM size option in kilobytes; any size but 8 and 16 is shown as 4.
MenuCommand ram_size_menu_item(int kilobytes);
// The RAM size in kilobytes that a RAM size item selects, or 0 for any other command.
std::int8_t ram_size_of_menu_item(MenuCommand command);
// The quick slot (from 1) that a Quick save or Quick load item names, or 0 for any other id.
int quick_save_slot(MenuCommand command);
int quick_load_slot(MenuCommand command);
MenuCommand quick_save_item(int slot);
MenuCommand quick_load_item(int slot);

}  // namespace tolvan
