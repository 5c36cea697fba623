#pragma once

#include <QEvent>

namespace zel {

/// A window message of the program as a Qt event, carrying its number.
class AppMessage final : public QEvent {
public:
    static QEvent::Type eventType();
    explicit AppMessage(int message) : QEvent(eventType()), message(message) {}
    int message;
};

} // namespace zel
