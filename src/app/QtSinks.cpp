#include "app/QtSinks.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

#include <iostream>

namespace zel {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void QtMessageSink::message(const std::string& text) {
    if (m_toStandardError) {
        std::cerr << "zel-gmouse: " << text << '\n';
        ++m_written;
        return;
    }
    QMessageBox::information(nullptr, QString(), qs(text));
}

QString QtFileChooser::qtFilter(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const int paren = label.indexOf(QLatin1Char('('));
        if (paren > 0) {
            label = label.left(paren).trimmed();
        }
        filters << QStringLiteral("%1 (%2)").arg(label, parts[i + 1]);
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileChooser::chooseOpen(const FileRequest& request) {
    const QString name = QFileDialog::getOpenFileName(nullptr, QString(), qs(request.initialFolder),
                                                      qtFilter(request.filter));
    return name.isEmpty() ? std::nullopt : std::optional(name.toStdString());
}

std::optional<std::string> QtFileChooser::chooseSave(const FileRequest& request) {
    QFileDialog dialog(nullptr, QString(), qs(request.initialFolder), qtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(qs(request.defaultExtension));
    if (!request.suggestedName.empty()) {
        dialog.selectFile(qs(request.suggestedName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

void QueuedOwnerTasks::post(std::function<void()> task) {
    if (!task) {
        return;
    }
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        first = m_tasks.empty();
        m_tasks.push_back(std::move(task));
    }
    if (first) {
        QMetaObject::invokeMethod(this, "runTasks", Qt::QueuedConnection);
    }
}

void QueuedOwnerTasks::runTasks() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) {
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

void QueuedWarningSink::warn(Tip tip) {
    if (QThread::currentThread() == m_owner.thread()) {
        m_show(tip);
    } else {
        m_owner.post([show = m_show, tip] { show(tip); });
    }
}

} // namespace zel
