#include "settings/ProfileManager.h"

#include "common/FileChooser.h"
#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace {

FileRequest profileFileRequest(const std::string& appDir, bool forSave) {
    return FileRequest{appDir, forSave ? "ini" : "", "All Files(*.ini)|*.ini||", ""};
}

bool writeAllTo(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool copyFileReplacing(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (std::filesystem::equivalent(from, to, ec)) {
        return true;
    }
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    const auto slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash);
    const std::string name = slash == std::string::npos ? to : to.substr(slash + 1);
    std::string tmp = folder + "/." + name + ".XXXXXX";
    const int out = ::mkstemp(tmp.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
        }
        if (n <= 0) {
            break;
        }
        if (!writeAllTo(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    ok = ok && ::fchmod(out, 0644) == 0 && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    if (!ok || ::rename(tmp.c_str(), to.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

ProfileManager::ProfileManager(ProfileStore& store, ini::IniStore& ini,
                               const DeviceDescription& description, const FolderTree& folders,
                               std::atomic<std::int32_t>& currentProfile, WarningSink& warnings,
                               FileChooser& chooser)
    : m_store(store), m_ini(ini), m_description(description), m_folders(folders),
      m_currentProfile(currentProfile), m_warnings(warnings), m_chooser(chooser) {}

void ProfileManager::notifyRedraw() const {
    if (redraw) {
        redraw();
    }
}

void ProfileManager::selectProfile(int index) {
    if (index < 0 || index > 3) {
        return;
    }
    m_currentProfile.store(index);
    notifyRedraw();
}

void ProfileManager::exportProfiles() {
    const auto path = m_chooser.chooseSave(profileFileRequest(m_folders.appDir, true));
    if (!path || path->empty()) {
        return;
    }
    // Success is the copy itself, not merely a file of that name being present: an old
    // file at the chosen path must not hide a failed export.
    if (copyFileReplacing(m_folders.settingsFile(), *path) && std::filesystem::exists(*path)) {
        notifyRedraw();
    } else {
        m_warnings.warn(6);
    }
}

void ProfileManager::importProfiles() {
    const auto path = m_chooser.chooseOpen(profileFileRequest(m_folders.appDir, false));
    if (!path || path->empty()) {
        return;
    }
    const std::string name = m_ini.read(*path, "PRODUCTNAME", "PRODUCTNAME_CN", 49);
    if (!ini::equalsIgnoreCase(name, m_description.productNameEn) &&
        !ini::equalsIgnoreCase(name, m_description.productNameCn)) {
        m_warnings.warn(9);
        return;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*path, ec)) {
        m_warnings.warn(6);
        return;
    }
    if (!copyFileReplacing(*path, m_folders.settingsFile())) {
        // config.ini is untouched; say so instead of showing the old profiles as imported.
        m_warnings.warn(6);
        return;
    }
    for (int p = 0; p < 4; ++p) {
        m_store.loadProfile(m_folders.configDir, p, false);
    }
    notifyRedraw();
}

void ProfileManager::resetAllProfiles() {
    for (int p = 3; p >= 0; --p) {
        m_store.loadProfile(m_folders.configDir, p, true);
        m_store.saveProfile(m_folders.settingsFile(), p);
    }
    notifyRedraw();
}

} // namespace zel
