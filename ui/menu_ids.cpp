#include "ui/menu_ids.h"

namespace tolvan {

namespace {
constexpr std::int8_t kRam16 = 16;
constexpr std::int8_t kRam8 = 8;
constexpr std::int8_t kRam4 = 4;
}  // namespace

int zoom_of_menu_item(MenuCommand command) {
    switch (command) {
        case MenuCommand::Zoom1:
            return 1;
        case MenuCommand::Zoom2:
            return 2;
        case MenuCommand::Zoom3:
            return 3;
        default:
            return 0;
    }
}

MenuCommand ram_size_menu_item(int kilobytes) {
    if (kilobytes == kRam8) return MenuCommand::Ram8;
    if (kilobytes == kRam16) return MenuCommand::Ram16;
    return MenuCommand::Ram4;
}

std::int8_t ram_size_of_menu_item(MenuCommand command) {
    switch (command) {
        case MenuCommand::Ram16:
            return kRam16;
        case MenuCommand::Ram8:
            return kRam8;
        case MenuCommand::Ram4:
            return kRam4;
        default:
            return 0;
    }
}

}  // namespace tolvan
