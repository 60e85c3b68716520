#include "ui/menu_ids.h"

#include "machine/state_file.h"

namespace tolvan {

namespace {
constexpr std::int8_t kRam16 = 16;
constexpr std::int8_t kRam8 = 8;
constexpr std::int8_t kRam4 = 4;
}  // namespace

int zoom_of_menu_item(MenuCommand command) {
    switch (command) {
        case MenuCommand::kZoom1:
            return 1;
        case MenuCommand::kZoom2:
            return 2;
        case MenuCommand::kZoom3:
            return 3;
        default:
            return 0;
    }
}

MenuCommand ram_size_menu_item(int kilobytes) {
    if (kilobytes == kRam8) return MenuCommand::kRam8;
    if (kilobytes == kRam16) return MenuCommand::kRam16;
    return MenuCommand::kRam4;
}

std::int8_t ram_size_of_menu_item(MenuCommand command) {
    switch (command) {
        case MenuCommand::kRam16:
            return kRam16;
        case MenuCommand::kRam8:
            return kRam8;
        case MenuCommand::kRam4:
            return kRam4;
        default:
            return 0;
    }
}

namespace {
// Slots from 1; 0 for an id outside the range.
int slot_of(MenuCommand command, MenuCommand first) {
    const int slot = static_cast<int>(command) - static_cast<int>(first) + 1;
    return slot >= 1 && slot <= kQuickSlots ? slot : 0;
}
}  // namespace

int quick_save_slot(MenuCommand command) {
    return slot_of(command, MenuCommand::kQuickSave1);
}

int quick_load_slot(MenuCommand command) {
    return slot_of(command, MenuCommand::kQuickLoad1);
}

MenuCommand quick_save_item(int slot) {
    return static_cast<MenuCommand>(static_cast<int>(MenuCommand::kQuickSave1) + slot - 1);
}

MenuCommand quick_load_item(int slot) {
    return static_cast<MenuCommand>(static_cast<int>(MenuCommand::kQuickLoad1) + slot - 1);
}

}  // namespace tolvan
