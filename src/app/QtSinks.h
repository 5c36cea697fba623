#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"

#include <QObject>
#include <QString>

class QWidget;

#include <deque>
#include <functional>
#include <mutex>

namespace zel {

/// Plain message boxes, or lines on standard error for a run without windows.
class QtMessageSink final : public MessageSink {
public:
    explicit QtMessageSink(bool toStandardError = false) : m_toStandardError(toStandardError) {}
    void message(const std::string& text) override;
    /// Messages written to standard error so far.
    int written() const { return m_written; }
    /// The window the boxes belong to (they open centred on it); none when empty.
    std::function<QWidget*()> parent;

private:
    bool m_toStandardError;
    int m_written = 0;
};

/// The open and save dialogs of the program, over its main window (centred on it). They
/// start in the user's documents folder (or the folder the program asks for when there is
/// none), then where the last file was chosen; the filters name the kind of file in the
/// program's language, and a save proposes the file name the program suggests.
class QtFileChooser final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest& request) override;
    std::optional<std::string> chooseSave(const FileRequest& request) override;

    /// "All Files(*.ini)|*.ini||" becomes "Profile files (*.ini)" (in language `language`:
    /// 0 Chinese, 4 German, English otherwise); kinds it does not know keep their label.
    static QString qtFilter(const std::string& filter, int language = 1);
    /// The folder a dialog opens in.
    QString startFolder(const FileRequest& request) const;

    /// The window the dialogs belong to; none when empty.
    std::function<QWidget*()> parent;
    /// The program's language index.
    std::function<int()> language;

private:
    void remember(const QString& file);
    QString m_lastFolder;
};

/// Tasks for the owner of the records, run by the event loop of the thread that created
/// this object (the window's thread). The tasks wait in a queue of their own, under a
/// lock, and only a call without arguments crosses the event loop; tasks left when the
/// object goes are dropped.
class QueuedOwnerTasks final : public QObject, public OwnerTasks {
    Q_OBJECT
public:
    using QObject::QObject;
    void post(std::function<void()> task) override;

private:
    Q_INVOKABLE void runTasks();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
};

/// Warnings shown through a function on the owner's thread: a warning of a worker (the
/// start-up download) waits there as a task.
class QueuedWarningSink final : public WarningSink {
public:
    QueuedWarningSink(QueuedOwnerTasks& owner, std::function<void(Tip)> show)
        : m_owner(owner), m_show(std::move(show)) {}
    void warn(Tip tip) override;

private:
    QueuedOwnerTasks& m_owner;
    std::function<void(Tip)> m_show;
};

} // namespace zel
