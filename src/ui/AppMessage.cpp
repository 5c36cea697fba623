#include "ui/AppMessage.h"

namespace zel {

QEvent::Type AppMessage::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace zel
