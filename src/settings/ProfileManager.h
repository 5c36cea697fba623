#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace zel::ini {
class IniStore;
}

namespace zel {

class FileChooser;
class ProfileStore;
class WarningSink;
struct DeviceDescription;
struct FolderTree;

/// Copies `from` over `to` through a temporary file in the target folder and a rename,
/// so `to` is either the old file or the complete copy. False when the copy failed.
bool copyFileReplacing(const std::string& from, const std::string& to);

/// Switching, exporting, importing and resetting the four profiles. Works on config.ini
/// and the in-memory records only; the mouse gets the result at the next Apply.
class ProfileManager {
public:
    ProfileManager(ProfileStore& store, ini::IniStore& ini, const DeviceDescription& description,
                   const FolderTree& folders, std::atomic<std::int32_t>& currentProfile,
                   WarningSink& warnings, FileChooser& chooser);

    /// Called at the end of every operation that changed what the window shows.
    std::function<void()> redraw;

    /// Makes profile `index` (0..3) the current one; nothing is written.
    void selectProfile(int index);
    /// Copies config.ini to a file the user chooses (Tip::OperationFailed when that fails).
    void exportProfiles();
    /// Replaces config.ini by a profile file of the same model and reloads the profiles
    /// (Tip::OtherModel for another model, Tip::OperationFailed for a missing file or a
    /// failed copy).
    void importProfiles();
    /// Factory values for all four profiles and the shared settings, in memory and file.
    void resetAllProfiles();

private:
    void notifyRedraw() const;

    ProfileStore& m_store;
    ini::IniStore& m_ini;
    const DeviceDescription& m_description;
    const FolderTree& m_folders;
    std::atomic<std::int32_t>& m_currentProfile;
    WarningSink& m_warnings;
    FileChooser& m_chooser;
};

} // namespace zel
