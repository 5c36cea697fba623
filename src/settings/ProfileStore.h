#pragma once

#include "settings/ProfileSettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace zel::ini {
class IniStore;
class IniSnapshot;
} // namespace zel::ini

namespace zel {

class MacVkAndText;
class WarningSink;

/// The four profiles and the shared settings as one value: what a download or a worker
/// takes as its copy.
struct ProfileRecords {
    std::array<ProfileSettings, kProfileCount> profiles{};
    SharedSettings shared{};
};

/// The copy of the records that the worker threads (event monitor, macro player) read. The
/// owner thread publishes it after it changes the records; a worker takes the latest copy
/// for each report it handles and never sees a half-written record.
class PublishedRecords {
public:
    PublishedRecords() : m_current(std::make_shared<const ProfileRecords>()) {}
    void publish(ProfileRecords records) {
        auto next = std::make_shared<const ProfileRecords>(std::move(records));
        std::lock_guard lock(m_mutex);
        m_current = std::move(next);
    }
    std::shared_ptr<const ProfileRecords> current() const {
        std::lock_guard lock(m_mutex);
        return m_current;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const ProfileRecords> m_current;
};

/// The four profiles and the shared settings in memory, and their load from and save to
/// config.ini (or the factory copy configReset.ini).
///
/// Threads: the records belong to one thread, the owner (the window's thread in the
/// program, the caller's in the tools). Only the owner reads or writes `profiles` and
/// `shared`, and only the owner loads and saves them. Other threads never touch them: a
/// download works on a copy taken by the owner when it starts and hands its changes back
/// to the owner when it ends; the event monitor and the macro player read the copy the
/// owner publishes (`publish`, `published`) and send what they change (a profile switched
/// on the mouse, a DPI level stored) to the owner as a task.
class ProfileStore {
public:
    /// `language` gives the current language index, whose key table turns combination keys
    /// into device codes.
    ProfileStore(ini::IniStore& ini, WarningSink& warnings, const MacVkAndText& keys,
                 std::function<int()> language);

    std::array<ProfileSettings, kProfileCount> profiles{};
    SharedSettings shared{};

    /// A copy of the records (owner thread).
    ProfileRecords snapshot() const { return ProfileRecords{profiles, shared}; }
    /// Publishes a copy of the records to the worker threads (owner thread).
    void publish() { m_published.publish(snapshot()); }
    /// The copy the workers read.
    const PublishedRecords& published() const { return m_published; }

    /// Run first by `saveAllProfiles` (the macro editor saves its open macro there).
    std::function<void()> beforeSaveAll;

    /// Reads section Config<profile> and all of ShareData from `folder` + "configReset.ini"
    /// (fromFactory) or `folder` + "config.ini". A missing file shows TipText 5 and changes
    /// nothing. A profile outside 0..3 changes nothing.
    bool loadProfile(const std::string& folder, int profile, bool fromFactory);

    /// Writes Config<profile> and all of ShareData into `settingsFile` (one file replace).
    bool saveProfile(const std::string& settingsFile, int profile);

    /// The save behind Apply: Init/CurConfig, then the four profiles, as one file replace.
    bool saveAllProfiles(const std::string& settingsFile, int currentProfile);

    /// Writes ShareData/DPI_LEVEL = dpiLevel at once.
    bool storeDpiLevel(const std::string& settingsFile);

    /// ShareData/DPI_LEVEL as stored in the file.
    std::int32_t readStoredDpiLevel(const std::string& settingsFile) const;

    /// Init/CurConfig, brought into 0..3 (anything else is profile 0).
    std::int32_t readCurrentProfile(const std::string& settingsFile) const;

    /// Takes a captured key combination: `argument` = slot * 256 + main key code (255: none),
    /// `keyNames` the names joined by "&split&". Stores it as the combination text of the slot
    /// in `currentProfile` and rebuilds the records. Returns 1.
    int setCombination(int currentProfile, std::uint32_t argument, const std::string& keyNames);

    /// Recomputes every combination record from the codes and combination texts.
    void rebuildCombinationRecords();

    /// The ten-field combination text of a capture (see setCombination), or the record of a
    /// combination text: exposed for the capture dialog and the tests.
    static std::string combinationText(std::uint8_t mainKey, const std::string& keyNames);
    MacroRecord combinationRecord(const std::string& comboText) const;

private:
    void loadFrom(const ini::IniSnapshot& file, int profile);
    void rebuildRecords();

    ini::IniStore& m_ini;
    WarningSink& m_warnings;
    const MacVkAndText& m_keys;
    std::function<int()> m_language;
    PublishedRecords m_published;
};

} // namespace zel
