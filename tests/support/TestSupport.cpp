#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace zel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files made by a test must not keep the folder alive.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(m_path, ec);
}

TempAppDir::TempAppDir() {
    fs::copy(fs::path(builtAppDir()) / "skins", path() / "skins", fs::copy_options::recursive);
}

std::string builtAppDir() {
    return ZEL_BUILT_APP_DIR;
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::optional<std::string> ScriptedFileChooser::chooseOpen(const FileRequest& request) {
    requests.push_back(request);
    if (answers.empty()) {
        return std::nullopt;
    }
    auto a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedFileChooser::chooseSave(const FileRequest& request) {
    return chooseOpen(request);
}

void QueuedOwnerTasks::post(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
    m_ready.notify_all();
}

bool QueuedOwnerTasks::runUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_until(lock, end, [this] { return !m_tasks.empty(); })) {
            lock.unlock();
            return done();
        }
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
    }
    return true;
}

bool QueuedOwnerTasks::waitForTask(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_ready.wait_for(lock, limit, [this] { return !m_tasks.empty(); });
}

std::size_t QueuedOwnerTasks::waiting() {
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

} // namespace zel::test
