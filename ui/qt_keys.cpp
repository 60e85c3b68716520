#include "ui/qt_keys.h"

#include <Qt>

#include "machine/key_mapping.h"

namespace tolvan {

namespace {
constexpr int kVirtualKeySpace = 0x20;
constexpr int kVirtualKeyF24 = 0x87;
constexpr int kFunctionKeys = kVirtualKeyF24 - kVirtualKeyF1 + 1;
}  // namespace

int virtual_key_for_qt_key(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Backspace:
            return kVirtualKeyBackspace;
        case Qt::Key_Shift:
            return kVirtualKeyShift;
        case Qt::Key_Escape:
            return kVirtualKeyEscape;
        case Qt::Key_Left:
            return kVirtualKeyLeft;
        case Qt::Key_Up:
            return kVirtualKeyUp;
        case Qt::Key_Right:
            return kVirtualKeyRight;
        case Qt::Key_Down:
            return kVirtualKeyDown;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVirtualKeyReturn;
        case Qt::Key_Space:
            return kVirtualKeySpace;
        default:
            break;
    }
    if (qt_key >= Qt::Key_F1 && qt_key < Qt::Key_F1 + kFunctionKeys) {
        return kVirtualKeyF1 + (qt_key - Qt::Key_F1);
    }
    // Letters and digits have the codes of their upper-case characters.
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) ||
        (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)) {
        return qt_key;
    }
    return 0;
}

}  // namespace tolvan
