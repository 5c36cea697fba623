#include "platform/power/PowerWatcher.h"

namespace zel {

PowerWatcher::PowerWatcher(const QDBusConnection& bus, QObject* parent) : QObject(parent) {
    if (!bus.isConnected()) {
        return;
    }
    // The service name restricts the signal to the bus name's owner: a signal sent by any
    // other client of the bus is not taken for logind's.
    QDBusConnection connection(bus);
    m_watching = connection.connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(onPrepareForSleep(bool)));
}

void PowerWatcher::onPrepareForSleep(bool start) {
    Q_EMIT powerEvent(start);
}

} // namespace zel
