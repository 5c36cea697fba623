#include "app/QtSinks.h"

#include "common/LanguageWords.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QTreeView>

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
    QMessageBox::information(parent ? parent() : nullptr, QString(), qs(text));
}

namespace {

/// What a filter's pattern holds, named in each language.
struct FileKind {
    const char* pattern;
    LanguageWords name;
};
constexpr FileKind kFileKinds[] = {
    {"*.ini", {"配置文件", "Profile files", "Profildateien"}},
    {"*.dat", {"宏组文件", "Macro group files", "Makrogruppen-Dateien"}},
    {"*.sdat", {"单个宏文件", "Single macro files", "Einzelmakro-Dateien"}},
};

} // namespace

QString QtFileChooser::qtFilter(const std::string& filter, int language) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const int paren = label.indexOf(QLatin1Char('('));
        if (paren > 0) {
            label = label.left(paren).trimmed();
        }
        for (const FileKind& kind : kFileKinds) {
            if (parts[i + 1] == QLatin1String(kind.pattern)) {
                label = QString::fromUtf8(wordsIn(kind.name, language));
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(label, parts[i + 1]);
    }
    return filters.join(QStringLiteral(";;"));
}

QString QtFileChooser::startFolder(const FileRequest& request) const {
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir()) {
        return m_lastFolder;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return qs(request.initialFolder);
}

void QtFileChooser::remember(const QString& file) {
    m_lastFolder = QFileInfo(file).absolutePath();
}

namespace {

/// Room for the file list's four columns (a long name and the whole date) without
/// dragging the dialog wider; never larger than the screen it opens on.
void giveRoom(QFileDialog& dialog) {
    QSize size(860, 520);
    if (const QScreen* screen = dialog.screen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 40));
    }
    dialog.resize(size);
    // The list's widgets exist once the dialog runs (when it is not the desktop's own).
    QTimer::singleShot(0, &dialog, [&dialog] {
        for (QTreeView* list : dialog.findChildren<QTreeView*>()) {
            QHeaderView* header = list->header();
            header->setStretchLastSection(false);
            header->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int column = 1; column < header->count(); ++column) {
                header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
            }
        }
    });
}

} // namespace

std::optional<std::string> QtFileChooser::chooseOpen(const FileRequest& request) {
    QFileDialog dialog(parent ? parent() : nullptr, QString(), startFolder(request),
                       qtFilter(request.filter, language ? language() : 1));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    giveRoom(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString name = dialog.selectedFiles().front();
    remember(name);
    return name.toStdString();
}

std::optional<std::string> QtFileChooser::chooseSave(const FileRequest& request) {
    QFileDialog dialog(parent ? parent() : nullptr, QString(), startFolder(request),
                       qtFilter(request.filter, language ? language() : 1));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    giveRoom(dialog);
    dialog.setDefaultSuffix(qs(request.defaultExtension));
    if (!request.suggestedName.empty()) {
        dialog.selectFile(qs(request.suggestedName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString name = dialog.selectedFiles().front();
    remember(name);
    return name.toStdString();
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
