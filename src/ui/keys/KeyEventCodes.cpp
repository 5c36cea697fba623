#include "ui/keys/KeyEventCodes.h"

#include <QKeyEvent>

namespace zel {

// A first mapping from Qt's key numbers only: letters, digits and function keys.
std::uint8_t virtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return static_cast<std::uint8_t>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<std::uint8_t>(0x70 + (key - Qt::Key_F1));
    }
    return 0;
}

} // namespace zel
