#include "ui/menu_ids.h"

namespace tolvan {

namespace {
constexpr std::int8_t kRam16 = 16;
constexpr std::int8_t kRam8 = 8;
constexpr std::int8_t kRam4 = 4;
}  // namespace

int zoom_of_menu_item(int command) {
    if (command < kCommandZoom1 || command > kCommandZoom3) return 0;
    return command - kCommandZoom1 + 1;
}

int ram_size_menu_item(int kilobytes) {
    if (kilobytes == kRam8) return kCommandRam8;
    if (kilobytes == kRam16) return kCommandRam16;
    return kCommandRam4;
}

std::int8_t ram_size_of_menu_item(int command) {
    switch (command) {
        case kCommandRam16:
            return kRam16;
        case kCommandRam8:
            return kRam8;
        case kCommandRam4:
            return kRam4;
        default:
            return 0;
    }
}

}  // namespace tolvan
