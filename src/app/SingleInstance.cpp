#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace zel {

SingleInstance::SingleInstance(QString name, QString folder, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_folder(std::move(folder)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return dir;
}

QString SingleInstance::socketPath() const {
    return m_folder + QStringLiteral("/") + m_name;
}

bool SingleInstance::becomePrimary() {
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/") + m_name +
                                         QStringLiteral(".lock"));
    // A lock of a process that no longer runs is taken over; age alone never makes one stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(200)) {
        m_lock.reset();
        return false;
    }
    // The socket of a crashed instance would make listen() fail.
    QLocalServer::removeServer(socketPath());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        // Still the only instance (the lock says so); it just cannot be asked to restore.
        return true;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("restore")) {
                    Q_EMIT restoreRequested();
                }
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::askPrimaryToRestore(int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    // The first instance may still be starting: retry until it listens.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(200)) {
            const bool written = socket.write("restore\n") > 0;
            socket.flush();
            const bool sent =
                written && (socket.bytesToWrite() == 0 || socket.waitForBytesWritten(1000));
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace zel
