#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zel {

namespace {

/// The socket address of `path`; false when the path does not fit.
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray local = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (local.isEmpty() || static_cast<std::size_t>(local.size()) >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, local.constData(), static_cast<std::size_t>(local.size()));
    return true;
}

} // namespace

/// A second instance connected to the first; what it writes is read until "restore" or
/// its end.
struct SingleInstance::Client {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> readable;
    std::string received;
    ~Client() {
        readable.reset();
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

SingleInstance::SingleInstance(QString name, QString folder, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_folder(std::move(folder)) {}

SingleInstance::~SingleInstance() {
    m_clients.clear();
    m_listening.reset();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
}

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
    // From here on this is the only instance (the lock says so); a socket that cannot be
    // set up only means it cannot be asked to restore its window.
    sockaddr_un address{};
    if (!socketAddress(socketPath(), address)) {
        return true;
    }
    // The socket of a crashed instance would make bind() fail.
    ::unlink(address.sun_path);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        return true;
    }
    // Only the user may connect: the socket is made without access for others.
    const mode_t oldMask = ::umask(0077);
    const bool bound =
        ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(m_listenFd, 4) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return true;
    }
    m_listening = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    connect(m_listening.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptClients);
    return true;
}

void SingleInstance::acceptClients() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Client* raw = client.get();
        connect(client->readable.get(), &QSocketNotifier::activated, this,
                [this, raw] { readClient(raw); });
        m_clients.push_back(std::move(client));
    }
}

void SingleInstance::readClient(Client* client) {
    char buffer[64];
    bool finished = false;
    for (;;) {
        const ssize_t n = ::read(client->fd, buffer, sizeof buffer);
        if (n > 0) {
            client->received.append(buffer, static_cast<std::size_t>(n));
            // A client that talks on and on is not listened to.
            finished = client->received.size() > 256;
            if (finished) {
                break;
            }
            continue;
        }
        finished = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
        break;
    }
    const bool restore = client->received.find("restore") != std::string::npos;
    if (restore || finished) {
        client->readable->setEnabled(false);
        // The client is dropped once this notification has returned.
        QMetaObject::invokeMethod(
            this,
            [this, client] {
                std::erase_if(m_clients, [client](const auto& c) { return c.get() == client; });
            },
            Qt::QueuedConnection);
    }
    if (restore) {
        Q_EMIT restoreRequested();
    }
}

bool SingleInstance::askPrimaryToRestore(int timeoutMs) const {
    sockaddr_un address{};
    if (!socketAddress(socketPath(), address)) {
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    // The first instance may still be starting: retry until it listens.
    while (clock.elapsed() < timeoutMs) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            static constexpr char kRequest[] = "restore\n";
            const bool sent = ::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) ==
                              static_cast<ssize_t>(sizeof kRequest - 1);
            ::close(fd);
            return sent;
        }
        ::close(fd);
        QThread::msleep(50);
    }
    return false;
}

} // namespace zel
