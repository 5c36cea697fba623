#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"

#include <QObject>

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

private:
    bool m_toStandardError;
    int m_written = 0;
};

/// The open and save dialogs of the program.
class QtFileChooser final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest& request) override;
    std::optional<std::string> chooseSave(const FileRequest& request) override;

    /// "All Files(*.ini)|*.ini||" becomes the Qt filter "All Files (*.ini)".
    static QString qtFilter(const std::string& filter);
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
