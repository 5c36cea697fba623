#pragma once

#include "common/FileChooser.h"
#include "common/OwnerTasks.h"
#include "common/WarningSink.h"
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "keys/MacVkAndText.h"
#include "lighting/SoundLightState.h"
#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecord.h"
#include "platform/hid/HidBackend.h"
#include "platform/ini/IniStore.h"
#include "platform/system/PointerSettings.h"
#include "platform/system/ProcessRunner.h"
#include "presentation/LanguagePack.h"
#include "presets/WeaponPresets.h"
#include "programming/DeviceMonitor.h"
#include "programming/DeviceMonitorTables.h"
#include "programming/Download.h"
#include "programming/DownloadMacros.h"
#include "programming/MacroPlayer.h"
#include "programming/MacroPlayerSource.h"
#include "programming/SoftMacroState.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileManager.h"
#include "settings/ProfileStore.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zel {

namespace sim {
class SimulatedMouse;
class SimHidBackend;
} // namespace sim

/// How a session finds its data and its mouse.
struct CoreSessionOptions {
    std::string appDir;
    /// Talk to the in-process simulated mouse instead of hidraw; the product ID it
    /// enumerates with (0x1040, or 0x1201 for a fresh mouse).
    bool simulate = false;
    std::uint16_t simulatedProduct = DeviceLink::kProduct1040;
    /// The simulated mouse starts unplugged.
    bool simulateAbsent = false;
    /// The HID devices to search instead of hidraw's (the caller's own simulated mice);
    /// must outlive the session. Ignored with `simulate`.
    hid::HidBackend* backend = nullptr;
    /// Where the device link pauses between reports; null: the steady clock.
    Sleeper* linkSleeper = nullptr;
    /// Where the download sets the system pointer speed and wheel lines; null: the
    /// desktop's own settings.
    system::PointerSettings* pointer = nullptr;
    /// Only read the AppDir: nothing the start-up would tidy up (the macro index) is written
    /// back (the dry run).
    bool readOnly = false;
    /// What the download tells its observers (every member may be empty); the session
    /// adds the player's and the monitor's parts.
    DownloadHooks downloadHooks;
};

/// Where a session reports and asks: the windows of the program, or the terminal of a tool.
struct CoreSinks {
    WarningSink& warnings;
    MessageSink& messages;
    FileChooser& chooser;
    /// Workers ask for a redraw of the main window here.
    RepaintSink& view;
    /// Runs tasks on the thread that owns the records (see `ProfileStore`).
    OwnerTasks& owner;
    /// Names of the mouse buttons for the key tables; null: the language pack's.
    const DevMacNames* names = nullptr;
};

/// The process-wide records and the core objects of one run (settings file, folders,
/// device description, profiles, language pack, macro files and library, weapon presets,
/// key tables, device link, download, event monitor and macro player), and the steps of
/// start-up that need no window. The program, the dry run and the command-line tool each
/// own one; none of it knows about windows.
///
/// The thread that constructs the session owns the profile records (`ProfileStore`). The
/// start-up steps are called in this order: `loadSettings`, `createDevice`,
/// `loadLanguage`, `loadMacros`, then `startWorkers` (when the mouse is followed),
/// `connect`, `loadPresets`.
class CoreSession {
public:
    CoreSession(CoreSessionOptions options, CoreSinks sinks);
    ~CoreSession();
    CoreSession(const CoreSession&) = delete;
    CoreSession& operator=(const CoreSession&) = delete;

    /// The AppDir holds the data set (its skins folder).
    bool hasDataSet() const;
    /// The AppDir holds the settings file.
    bool hasSettings() const;

    /// Folders, the model description, the current profile, the language and the four
    /// profiles from config.ini.
    void loadSettings();
    /// The device link over hidraw or the simulated mouse, and the pointer settings.
    void createDevice();
    /// The language pack of the current language.
    void loadLanguage();
    /// Macro files, the macro library of the current language, the constant macros, and
    /// the download, monitor and player over them.
    void loadMacros();
    /// Starts the event monitor and the macro player on their threads.
    void startWorkers();
    /// Opens the mouse; false when there is none.
    bool connect();
    /// The weapon presets of the current language (published for the workers).
    void loadPresets();
    /// Makes the weapon presets as they are now the ones the event monitor and the macro
    /// player play (owner thread: after the presets were read or the dialog changed them).
    void publishPresets();
    /// Weapon preset `index` as last published (any thread); nothing when there is none.
    std::optional<MacroRecord> publishedPreset(int index) const;
    /// The preset file of the current language.
    std::string presetFile() const;
    /// Factory values for the four profiles and the shared settings (in memory and in
    /// config.ini); the weapon presets are read again afterwards.
    void resetAllProfiles();
    /// In software macro mode, hands the current profile's macro buttons to the program.
    void handOverSoftMacroButtons();

    /// The request of a download now: a copy of the records and the state it reads
    /// (owner thread).
    DownloadRequest downloadRequest();
    /// A full download on the calling thread, which must be the owner: its changes are
    /// applied and published when it ends.
    DownloadResult runDownload();
    /// A full download on a thread of its own (waiting for an earlier one); its changes go
    /// to the owner as a task when it ends. Called on the owner thread.
    void startDownload();
    /// Waits for a download started by `startDownload`.
    void waitForDownload();
    /// Applies a download's changes to the records and publishes them (owner thread).
    void takeDownloadChanges(const DownloadChanges& changes);
    /// Told on the owner's thread when a download's changes are taken (its outcome).
    std::function<void(const DownloadChanges&)> downloadEnded;
    /// Applies the changes of the last download of the worker, once (owner thread).
    void takePendingChanges();

    /// Ends the transfer and sends the close command when the mouse is open.
    void closeDevice();
    /// Stops the monitor and the player and waits for a running download.
    void stopWorkers();

    /// Why the settings file could not be read at start-up ("" when it was read or absent).
    const std::string& settingsProblem() const { return m_settingsProblem; }

    /// The name of the group macro an AssignCode names ("" when there is none).
    std::string macroName(int code) const;

    AppState& state() { return m_state; }
    const AppState& state() const { return m_state; }
    ini::IniStore& ini() { return m_ini; }
    FolderTree& folders() { return m_folders; }
    const FolderTree& folders() const { return m_folders; }
    const DeviceDescription& description() const { return m_description; }
    LanguagePack& pack() { return m_pack; }
    const MacVkAndText& keys() const { return m_keys; }
    ProfileStore& profiles() { return m_profiles; }
    ProfileManager& manager() { return *m_manager; }
    MacroFiles& macroFiles() { return *m_macroFiles; }
    MacroLibrary& library() { return *m_library; }
    const MacroLibrary& library() const { return *m_library; }
    MacroGroupState& group() { return m_group; }
    const ConstMacros& constMacros() const { return m_constMacros; }
    WeaponPresets& presets() { return m_presets; }
    DeviceLink& link() { return *m_link; }
    /// The HID devices the link searches (after `createDevice`).
    hid::HidBackend& backend() { return m_backend ? *m_backend : *m_options.backend; }
    sim::SimulatedMouse* simulatedMouse() const { return m_simMouse.get(); }
    SoftMacroState& softMacros() { return m_soft; }
    system::PointerSettings& pointer() { return *m_pointer; }
    /// The words the sound-reactive lighting shares; the DPI stage in it follows the
    /// downloads and the DPI changes the mouse reports.
    SoundLightState& sound() { return m_sound; }

private:
    SoftMacroContext softMacroContext();

    CoreSessionOptions m_options;
    CoreSinks m_sinks;
    std::string m_settingsProblem;
    AppState m_state;
    ini::IniStore m_ini;
    FolderTree m_folders;
    DeviceDescription m_description;
    LanguagePack m_pack;
    MacVkAndText m_keys;
    ProfileStore m_profiles;
    std::unique_ptr<ProfileManager> m_manager;
    std::unique_ptr<MacroFiles> m_macroFiles;
    MacroGroupState m_group;
    ConstMacros m_constMacros;
    std::unique_ptr<MacroLibrary> m_library;
    WeaponPresets m_presets;
    /// The presets the workers read: the owner changes `m_presets` and publishes a copy.
    mutable std::mutex m_publishedPresetsMutex;
    std::vector<MacroRecord> m_publishedPresets;
    /// The weapon presets as the download's catalogue sees them, refreshed before each
    /// download.
    MacroBuffer m_presetBuffer;

    std::unique_ptr<sim::SimulatedMouse> m_simMouse;
    std::unique_ptr<hid::HidBackend> m_backend;
    SteadySleeper m_sleeper;
    std::unique_ptr<DeviceLink> m_link;
    system::SpawnProcessRunner m_runner;
    std::unique_ptr<system::PointerSettings> m_ownPointer;
    system::PointerSettings* m_pointer = nullptr;

    std::unique_ptr<LibraryMacroCatalogue> m_catalogue;
    std::unique_ptr<Download> m_download;
    SoftMacroState m_soft;
    SoundLightState m_sound;
    SharedButtonTables m_tables;
    std::unique_ptr<FileMacroSource> m_macroSource;
    std::unique_ptr<DeviceMonitor> m_monitor;
    std::unique_ptr<LinkPlayerCommands> m_playerCommands;
    std::unique_ptr<MacroPlayer> m_player;
    std::unique_ptr<DeviceMonitorWorker> m_monitorWorker;
    std::unique_ptr<MacroPlayerWorker> m_playerWorker;
    std::mutex m_changesMutex;
    std::optional<DownloadChanges> m_pendingChanges; ///< left by the download worker
    std::jthread m_downloadWorker;
};

} // namespace zel
