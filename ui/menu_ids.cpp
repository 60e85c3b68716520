#include "ui/menu_ids.h"

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

}  // namespace tolvan
