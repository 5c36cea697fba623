#include "settings/ProfileManager.h"

#include "common/FileChooser.h"
#include "common/WarningSink.h"
#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniStore.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"

#include <filesystem>

namespace zel {

namespace {

FileRequest profileFileRequest(const std::string& appDir, bool forSave,
                               const std::string& suggestedName = {}) {
    return FileRequest{appDir, forSave ? "ini" : "", "All Files(*.ini)|*.ini||", suggestedName};
}

} // namespace

bool copyFileReplacing(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (std::filesystem::equivalent(from, to, ec)) {
        return true;
    }
    // Profile files are settings files; anything larger is not one.
    constexpr std::size_t kMaxProfileFile = 64 * 1024 * 1024;
    const auto data = ini::readWholeFile(from, kMaxProfileFile);
    return data && ini::replaceFile(to, *data, 0644);
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
    // The export is offered under the model's name, so several mice's files keep apart.
    const auto path = m_chooser.chooseSave(profileFileRequest(
        m_folders.appDir, true,
        fileNameFrom(m_description.productNameEn, "profiles") + " profiles.ini"));
    if (!path || path->empty()) {
        return;
    }
    // Success is the copy itself, not merely a file of that name being present: an old
    // file at the chosen path must not hide a failed export.
    std::error_code ec;
    if (copyFileReplacing(m_folders.settingsFile(), *path) && std::filesystem::exists(*path, ec)) {
        notifyRedraw();
    } else {
        m_warnings.warn(Tip::OperationFailed);
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
        m_warnings.warn(Tip::OtherModel);
        return;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*path, ec)) {
        m_warnings.warn(Tip::OperationFailed);
        return;
    }
    if (!copyFileReplacing(*path, m_folders.settingsFile())) {
        // config.ini is untouched; say so instead of showing the old profiles as imported.
        m_warnings.warn(Tip::OperationFailed);
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
