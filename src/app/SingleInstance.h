#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace zel {

/// One running program per user session. The first instance holds a lock file and listens
/// on a local socket, both named after "CZEL_GMouseApp"; a second start asks the first one
/// to restore its window and then ends without doing anything else.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// `name` names the lock and the socket; `folder` holds them (the runtime folder).
    SingleInstance(QString name, QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the lock and starts listening. False when another instance holds the lock.
    bool becomePrimary();

    /// As a second instance: asks the first one to restore its window. True when the
    /// request was delivered.
    bool askPrimaryToRestore(int timeoutMs = 2000) const;

    /// The runtime folder of the session, or the temporary folder when there is none.
    static QString defaultFolder();

Q_SIGNALS:
    /// A second instance asked for the window.
    void restoreRequested();

private:
    struct Client;
    QString socketPath() const;
    void acceptClients();
    void readClient(Client* client);

    QString m_name;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenFd = -1;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::vector<std::unique_ptr<Client>> m_clients;
};

} // namespace zel
