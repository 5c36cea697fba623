#pragma once

#include "app/LibraryMacroMenu.h"
#include "app/MacroPageControls.h"
#include "app/QtColourChooser.h"
#include "app/QtSinks.h"
#include "app/SoundLightControl.h"
#include "device/Sleeper.h"
#include "presentation/FontBook.h"
#include "programming/LedPreview.h"
#include "session/AppState.h"
#include "session/CoreSession.h"
#include "ui/CZEL_GMouseDlg.h"
#include "ui/GuideWindow.h"
#include "ui/WarningDlg.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;

namespace zel {

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
    /// The open and save dialogs; null: the desktop's (tests pass scripted ones).
    FileChooser* chooser = nullptr;
    /// Only render the pages (`renderPages`): no mouse is opened or written, nothing of the
    /// AppDir is written, and warnings and messages go to standard error instead of boxes.
    bool renderOnly = false;
    /// With `renderOnly`: the language the pages are drawn in instead of the settings' own
    /// (the build draws the user guide's pictures of every language).
    std::optional<int> renderLanguage;
    /// The colour chooser of the lighting and advanced pages; null: the standard colour
    /// dialog (tests pass a scripted one).
    ColourChooser* colourChooser = nullptr;
    /// Milliseconds since midnight for timing recorded macros; empty: the system clock
    /// (tests set the time).
    std::function<int()> recordingClock;
    /// The Pulse server whose default playback device the sound lighting follows; empty:
    /// the session's (tests pass a private one).
    std::string audioServer;
};

/// The program: one core session (the shared records and the core objects), and around
/// it the main window, the tray icon, the hot-plug and power notifications, the warning
/// box and the dialogs; runs the start-up sequence and shuts down.
///
/// Threads: the window's thread owns the profile records (see `ProfileStore`). The
/// workers of the session (event monitor, macro player, a download) hand their changes to
/// it as queued tasks; after every pointer press, release and drag on the window the
/// records are published again for the workers.
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

    /// Apply: the save, then the full download on its worker (nothing while a download
    /// runs).
    void apply();

    /// Writes each page of the main window (at rest, and with an element hovered and
    /// pressed) as PNG files into `folder`, then shuts down. False when a file failed.
    bool renderPages(const std::string& folder);

    /// Starts a full download on its worker.
    void startDownload();

    CoreSession& core() { return m_core; }
    CZEL_GMouseDlg* mainWindow() const { return m_window.get(); }
    /// The macro page's controls while the macro page is shown.
    MacroPageControls* macroPageControls() const { return m_macroControls.get(); }
    MainWindowSkin& skin() { return m_skin; }
    /// The fonts the windows draw their texts in.
    const FontBook& fonts() const { return m_fonts; }
    const DeviceDescription& description() const { return m_core.description(); }
    AppState& state() { return m_core.state(); }
    ProfileStore& profiles() { return m_core.profiles(); }
    const FolderTree& folders() const { return m_core.folders(); }
    DeviceLink& link() { return m_core.link(); }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }
    /// The simulated mouse when the program runs with one.
    sim::SimulatedMouse* simulatedMouse() const { return m_core.simulatedMouse(); }
    /// The warnings and messages of a render-only run so far.
    int renderProblems() const { return m_renderProblems + m_messages.written(); }
    /// The warning texts shown so far (also what a test looks at).
    const std::vector<std::string>& shownWarnings() const { return m_shownWarnings; }
    /// The sound lighting (its window once opened, meter, timers and worker).
    SoundLightControl* soundLighting() const { return m_sound.get(); }
    /// The lighting page's preview worker is running.
    bool lightingPreviewRunning() const { return m_ledPreview && m_ledPreview->running(); }
    /// The user guide window once the help element opened it.
    GuideWindow* guideWindow() const { return m_guide.get(); }
    /// What the help element does with its text: a web address goes to the desktop's
    /// browser, a guide file (of the current language, else the English one) opens in the
    /// guide window; no such file shows TipText 6.
    void openDocument(const std::string& document);
    /// Shows the warning box for TipText `tip` (kind 2) between `prefix` and `suffix`.
    void showWarning(Tip tip, const std::string& suffix = {}, const std::string& prefix = {},
                     const std::function<void(WarningDlg*)>& opened = {});

    /// Replaces the modal warning box (tests answer it without a window).
    std::function<void(const std::string& text)> warningShower;

    /// Runs when a download was started (tests count them).
    std::function<void()> downloadStarted;

Q_SIGNALS:
    void finished(int exitCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class WindowRepaint;

    static CoreSessionOptions coreOptions(const AppOptions& options);
    bool loadSkins();
    void createWindow();
    void setUpTray();
    void firstConnection();
    void watchSystem();
    void onHotplug();
    void onMessage(QEvent* event);
    void chooseLanguage(int language);
    void showAbout();
    /// Starts the lighting preview when the lighting page is on screen.
    void followLightingPreview();
    /// Publishes the records for the workers once the current event has been handled.
    void publishSoon();
    /// The popups' context, filled from the settings of the moment.
    MenuContext* menuContext();
    /// Stores a function chosen in the assignment popups for the button whose menu is open.
    void assignChosen(std::int32_t code);
    /// What the key capture dialogs are built from, in the language of the moment.
    KeyDialogContext keyDialogContext();
    /// The combination dialog of button `slot`.
    void openCombination(int slot);
    /// The weapon preset dialog, modal over the main window.
    void openWeaponPresets();
    /// The macro page's controls are made when the page is shown and go when it is left.
    void followMacroPage(int page);

    AppOptions m_options;
    QueuedOwnerTasks m_owner;
    QueuedWarningSink m_warnings;
    QtMessageSink m_messages;
    QtFileChooser m_chooser;
    QtColourChooser m_colourChooser;
    std::unique_ptr<WindowRepaint> m_repaint;
    CoreSession m_core;

    FontBook m_fonts;
    WarningSkin m_warningSkin;
    WarningRequest m_warningRequest;
    MainWindowSkin m_skin;
    std::unique_ptr<LedPreviewWorker> m_ledPreview;
    SteadySleeper m_sleeper;
    std::atomic<int> m_shownPage{0};
    std::atomic<bool> m_windowOnScreen{false};

    std::unique_ptr<CZEL_GMouseDlg> m_window;
    MenuContext m_menus;
    std::unique_ptr<LibraryMacroMenu> m_macroMenu;
    std::unique_ptr<MacroPageControls> m_macroControls;
    std::unique_ptr<SoundLightControl> m_sound;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<GuideWindow> m_guide;
    std::unique_ptr<QSocketNotifier> m_hotplugNotifier;
    std::unique_ptr<QObject> m_powerWatcher;
    std::vector<std::string> m_shownWarnings;
    int m_exitCode = 0;
    /// How long the Apply element shows what a download came to.
    static constexpr int kApplyOutcomeMs = 2500;
    int m_applyOutcomeShown = 0;
    void showApplyOutcome(const DownloadChanges& changes);
    /// Set from a new mouse's first connection until its download ends; the box that
    /// waits for it (null when none shows) then says how it ended.
    bool m_firstConnectionRunning = false;
    WarningDlg* m_firstConnectionBox = nullptr;
    void endFirstConnection(int outcome);
    /// The guide file the help element's text names: the current language's, else the
    /// English one.
    std::optional<std::string> guideFile(const std::string& document) const;
    bool m_shutDown = false;
    bool m_publishPending = false;
    int m_renderProblems = 0;
};

} // namespace zel
