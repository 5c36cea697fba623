#include "platform/power/PowerWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zel;

namespace {

/// A private message bus for the test, so the machine's own buses are never touched.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (m_daemon.waitForReadyRead(5000)) {
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

void emitPrepareForSleep(QDBusConnection& bus, bool start) {
    auto message = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                              QStringLiteral("org.freedesktop.login1.Manager"),
                                              QStringLiteral("PrepareForSleep"));
    message << start;
    bus.send(message);
}

} // namespace

TEST(PowerWatcher, LogindSignalsBecomePowerEvents) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    QDBusConnection logind = QDBusConnection::connectToBus(bus.address(), QStringLiteral("logind"));
    QDBusConnection program = QDBusConnection::connectToBus(bus.address(), QStringLiteral("app"));
    QDBusConnection intruder = QDBusConnection::connectToBus(bus.address(), QStringLiteral("x"));
    ASSERT_TRUE(logind.isConnected());
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));

    PowerWatcher watcher(program);
    ASSERT_TRUE(watcher.watching());
    QSignalSpy events(&watcher, &PowerWatcher::powerEvent);

    // A client that does not own logind's name is not logind.
    emitPrepareForSleep(intruder, true);
    emitPrepareForSleep(logind, true);
    emitPrepareForSleep(logind, false);
    ASSERT_TRUE(events.wait(3000));
    while (events.count() < 2 && events.wait(1000)) {
    }
    ASSERT_EQ(events.count(), 2);
    EXPECT_TRUE(events.at(0).at(0).toBool());
    EXPECT_FALSE(events.at(1).at(0).toBool());
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    QDBusConnection::disconnectFromBus(QStringLiteral("x"));
}

TEST(PowerWatcher, NoBusMeansNoNotificationsAndNoFailure) {
    QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                                         QStringLiteral("none"));
    PowerWatcher watcher(none);
    EXPECT_FALSE(watcher.watching());
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}
