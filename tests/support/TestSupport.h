#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zel {
/// Failed expectations print a warning as its name and TipText number.
inline void PrintTo(Tip tip, std::ostream* os) {
    const char* name = tipName(tip);
    *os << (name != nullptr ? name : "Tip") << '(' << tipNumber(tip) << ')';
}
} // namespace zel

namespace zel::test {

/// A fresh empty folder under the system's temporary folder, removed again on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

/// A temporary AppDir holding a copy of the data set assembled by the build.
class TempAppDir : public TempDir {
public:
    TempAppDir();
    std::string appDir() const { return str(); }
};

/// The AppDir the build assembled (read-only use).
std::string builtAppDir();

/// Writes `text` to `path`, creating folders as needed.
void writeFile(const std::filesystem::path& path, const std::string& text);
/// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// Records every warning.
class RecordingWarningSink final : public WarningSink {
public:
    void warn(Tip tip) override { warnings.push_back(tip); }
    std::vector<Tip> warnings;
};

/// Records every plain message.
class RecordingMessageSink final : public MessageSink {
public:
    void message(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

/// Answers file dialogs from a queue; an empty queue or std::nullopt is a cancel.
class ScriptedFileChooser final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest& request) override;
    std::optional<std::string> chooseSave(const FileRequest& request) override;
    std::deque<std::optional<std::string>> answers;
    std::vector<FileRequest> requests;
};

/// The test thread as the owner of the profile records: the tasks the workers hand over
/// wait in a queue until the test runs them.
class QueuedOwnerTasks final : public OwnerTasks {
public:
    void post(std::function<void()> task) override;
    /// Runs the queued tasks on the calling thread until `done` holds; false when it still
    /// does not after `limit`.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(5));
    /// Waits until a task is queued, without running it.
    bool waitForTask(std::chrono::milliseconds limit = std::chrono::seconds(5));
    std::size_t waiting();

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_tasks;
};

} // namespace zel::test
