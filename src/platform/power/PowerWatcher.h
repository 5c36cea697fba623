#pragma once

#include <QDBusConnection>
#include <QObject>

namespace zel {

/// Reports the system's power notifications: logind's PrepareForSleep on the system bus,
/// both before a suspend (true) and after the resume (false). Without a bus, or without
/// logind, there are simply no notifications.
class PowerWatcher : public QObject {
    Q_OBJECT
public:
    /// Watches `bus` (normally the system bus; tests pass a private one).
    explicit PowerWatcher(const QDBusConnection& bus, QObject* parent = nullptr);

    /// True when the watcher is connected to the signal.
    bool watching() const { return m_watching; }

Q_SIGNALS:
    /// A power notification; `suspending` is true before a suspend, false after a resume.
    void powerEvent(bool suspending);

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    bool m_watching = false;
};

} // namespace zel
