#pragma once

#include "app/CZEL_GMouseDlg.h"
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "keys/MacVkAndText.h"
#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecord.h"
#include "platform/hid/HidBackend.h"
#include "platform/ini/IniStore.h"
#include "platform/system/DesktopPointerSettings.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presets/WeaponPresets.h"
#include "programming/DeviceMonitor.h"
#include "programming/DeviceMonitorTables.h"
#include "programming/Download.h"
#include "programming/DownloadMacros.h"
#include "programming/LedPreview.h"
#include "programming/MacroPlayer.h"
#include "programming/MacroPlayerSource.h"
#include "programming/ProfileRestore.h"
#include "programming/SoftMacroState.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileManager.h"
#include "settings/ProfileStore.h"
#include "ui/WarningDlg.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class QSocketNotifier;

namespace zel {

namespace sim {
class SimulatedMouse;
class SimHidBackend;
} // namespace sim

/// How the program was started.
struct AppOptions {
    std::string appDir;
    /// Where decoded skin pictures are kept between runs (empty: not kept).
    std::string pictureCacheFolder;
    /// The system's font configuration being read since the process started (none: the
    /// font database reads it when first asked).
    std::shared_future<void> systemFontConfiguration;
    /// Run against the in-process simulated mouse instead of hidraw; the product ID it
    /// enumerates with (0x1040, or 0x1201 for a fresh mouse).
    bool simulate = false;
    std::uint16_t simulatedProduct = 0x1040;
    /// The command line after the program's name, as one text (for "-HIDE").
    std::string commandLine;
    /// Start without the tray icon even where a tray exists (tests).
    bool noTray = false;
    /// End the Qt application when the program ends (tests only watch `finished`).
    bool quitApplication = true;
    /// The simulated mouse starts unplugged (a start without a mouse).
    bool simulateAbsent = false;
    /// Where the device link pauses between reports; null: the steady clock (tests pass
    /// one that does not wait).
    Sleeper* linkSleeper = nullptr;
    /// The bus whose logind sends the power notifications; empty: the system bus.
    std::string powerBusAddress;
};

/// The program: owns every shared record, runs the start-up sequence, hosts the main
/// window, the tray icon and the hot-plug and power notifications, and shuts down.
class App final : public QObject {
    Q_OBJECT
public:
    explicit App(AppOptions options, QObject* parent = nullptr);
    ~App() override;

    /// The start-up sequence. False when the program ends at once (no mouse, or no usable
    /// data): `exitCode()` then tells the process's exit code.
    bool start();
    int exitCode() const { return m_exitCode; }

    /// The shut-down sequence: tray icon removed, end of transfer, close command, quit.
    void shutDown();

    /// Apply: the save and the full download (nothing while a download runs).
    void apply();

    /// Writes each page of the main window (at rest, and with an element hovered and
    /// pressed) as PNG files into `folder`, then shuts down. False when a file failed.
    bool renderPages(const std::string& folder);

    /// One full download on the calling thread.
    void runDownload();

    CZEL_GMouseDlg* mainWindow() const { return m_window.get(); }
    MainWindowSkin& skin() { return m_skin; }
    const DeviceDescription& description() const { return m_description; }
    AppState& state() { return m_state; }
    ProfileStore& profiles() { return *m_profiles; }
    const FolderTree& folders() const { return m_folders; }
    DeviceLink& link() { return *m_link; }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }
    /// The simulated mouse when the program runs with one.
    sim::SimulatedMouse* simulatedMouse() const { return m_simMouse.get(); }
    /// The warning texts shown so far (also what a test looks at).
    const std::vector<std::string>& shownWarnings() const { return m_shownWarnings; }
    /// Shows the warning box (kind 2) with the text of `tip` followed by `suffix`.
    void showWarning(Tip tip, const std::string& suffix = {});

    /// Replaces the modal warning box (tests answer it without a window).
    std::function<void(const std::string& text)> warningShower;

    /// Runs when a download was started (tests count them).
    std::function<void()> downloadStarted;

Q_SIGNALS:
    void finished(int exitCode);

private:
    class WarningAdapter;
    class MessageAdapter;
    class Chooser;
    class WindowRepaint;

    bool loadSkins();
    void loadLanguage();
    void setUpTray();
    void firstConnection();
    void startDownloadWorker();
    void handOverSoftMacroButtons();
    void onHotplug();
    void onPowerEvent();
    void onMessage(QEvent* event);
    void chooseLanguage(int language);
    std::string macroName(int code) const;
    void showAbout();
    void createDevice();
    void startWorkers();

    AppOptions m_options;
    AppState m_state;
    ini::IniStore m_ini;
    FolderTree m_folders;
    DeviceDescription m_description;
    std::unique_ptr<WarningAdapter> m_warnings;
    std::unique_ptr<MessageAdapter> m_messages;
    std::unique_ptr<Chooser> m_chooser;
    LanguagePack m_pack;
    MacVkAndText m_keys;
    FontBook m_fonts;
    std::unique_ptr<ProfileStore> m_profiles;
    std::unique_ptr<ProfileManager> m_manager;
    std::unique_ptr<MacroFiles> m_macroFiles;
    MacroGroupState m_group;
    ConstMacros m_constMacros;
    std::unique_ptr<MacroLibrary> m_library;
    WeaponPresets m_presets;
    WarningSkin m_warningSkin;
    WarningRequest m_warningRequest;
    MainWindowSkin m_skin;

    std::unique_ptr<sim::SimulatedMouse> m_simMouse;
    std::unique_ptr<hid::HidBackend> m_backend;
    SteadySleeper m_sleeper;
    std::unique_ptr<DeviceLink> m_link;

    // Device programming and the workers beside it.
    system::SpawnProcessRunner m_runner;
    std::unique_ptr<system::PointerSettings> m_pointer;
    MacroBuffer m_presetBuffer;
    std::unique_ptr<LibraryMacroCatalogue> m_catalogue;
    std::unique_ptr<Download> m_download;
    SoftMacroState m_soft;
    SharedButtonTables m_tables;
    std::unique_ptr<FileMacroSource> m_macroSource;
    std::unique_ptr<WindowRepaint> m_repaint;
    std::unique_ptr<DeviceMonitor> m_monitor;
    std::unique_ptr<LinkPlayerCommands> m_playerCommands;
    std::unique_ptr<MacroPlayer> m_player;
    std::unique_ptr<DeviceMonitorWorker> m_monitorWorker;
    std::unique_ptr<MacroPlayerWorker> m_playerWorker;
    std::unique_ptr<LedPreviewWorker> m_ledPreview;
    std::atomic<int> m_shownPage{0};

    std::unique_ptr<CZEL_GMouseDlg> m_window;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<QSocketNotifier> m_hotplugNotifier;
    std::unique_ptr<QObject> m_powerWatcher;
    std::jthread m_downloadWorker;
    std::vector<std::string> m_shownWarnings;
    int m_exitCode = 0;
    bool m_shutDown = false;
};

} // namespace zel
