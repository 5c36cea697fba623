#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace zel {

/// Plain message boxes.
class QtMessageSink final : public MessageSink {
public:
    void message(const std::string& text) override;
};

/// The open and save dialogs of the program.
class QtFileChooser final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest& request) override;
    std::optional<std::string> chooseSave(const FileRequest& request) override;

    /// "All Files(*.ini)|*.ini||" becomes the Qt filter "All Files (*.ini)".
    static QString qtFilter(const std::string& filter);
};

/// Warnings shown through a function on the thread of `receiver`: a warning of a worker
/// (the start-up download) is queued to that thread.
class QueuedWarningSink final : public WarningSink {
public:
    QueuedWarningSink(QObject& receiver, std::function<void(Tip)> show)
        : m_receiver(&receiver), m_show(std::move(show)) {}
    void warn(Tip tip) override;

private:
    QPointer<QObject> m_receiver;
    std::function<void(Tip)> m_show;
};

/// Tasks for the owner of the records, run by the event loop of the thread of `receiver`
/// (the window's thread). Tasks posted after the receiver is gone are dropped.
class QueuedOwnerTasks final : public OwnerTasks {
public:
    explicit QueuedOwnerTasks(QObject& receiver) : m_receiver(&receiver) {}
    void post(std::function<void()> task) override;

private:
    QPointer<QObject> m_receiver;
};

} // namespace zel
