#include "app/App.h"

#include "app/Tray.h"
#include "platform/power/PowerWatcher.h"
#include "presentation/LanguageSwitch.h"
#include "presentation/LayoutElements.h"
#include "programming/ProfileRestore.h"
#include "sim/SimulatedMouse.h"
#include "ui/gun/CDialogGun.h"
#include "ui/keys/CShortcutGetKey.h"
#include "ui/pages/PageLogic.h"
#include "ui/pages/WindowReach.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <iostream>

namespace zel {

namespace {

/// A language without a guide of its own shows the English one.
constexpr int kGuideFallbackLanguage = 1;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// The scale of the primary screen as the font sizes take it. The windows are drawn in
/// layout units that Qt already multiplies by the device pixel ratio, texts included, so
/// only the logical resolution enters: at 200 % a text keeps its size in its element and
/// is drawn with twice the pixels.
double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr ? 1.0 : displayScale(screen->logicalDotsPerInchX(), 1.0);
}

/// The device pixel ratio of the primary screen, where the window opens.
qreal screenPixelRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr ? 1.0 : screen->devicePixelRatio();
}

} // namespace

/// Workers have the window redrawn by the window's thread, through the owner's queue; the
/// lighting preview also asks whether the lighting page is shown.
class App::WindowRepaint final : public RepaintSink, public LedPreviewView {
public:
    explicit WindowRepaint(App& app) : m_app(app) {}
    void repaint() override {
        m_app.m_owner.post([app = &m_app] {
            if (app->m_window) {
                app->m_window->update();
            }
        });
    }
    /// The lighting page is on screen: chosen, and the window neither hidden nor minimised.
    bool lightingPageShown() const override {
        return m_app.m_windowOnScreen.load() &&
               m_app.m_shownPage.load() == static_cast<int>(PageId::LightingPage);
    }

private:
    App& m_app;
};

CoreSessionOptions App::coreOptions(const AppOptions& options) {
    CoreSessionOptions core;
    core.appDir = options.appDir;
    core.simulate = options.simulate;
    core.simulatedProduct = options.simulatedProduct;
    core.simulateAbsent = options.simulateAbsent;
    core.linkSleeper = options.linkSleeper;
    core.readOnly = options.renderOnly;
    return core;
}

App::App(AppOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)),
      m_warnings(m_owner, [this](Tip tip) { showWarning(tip); }), m_messages(m_options.renderOnly),
      m_repaint(std::make_unique<WindowRepaint>(*this)),
      m_core(coreOptions(m_options),
             CoreSinks{m_warnings, m_messages,
                       m_options.chooser != nullptr ? *m_options.chooser
                                                    : static_cast<FileChooser&>(m_chooser),
                       *m_repaint, m_owner}) {}

App::~App() {
    if (m_ledPreview) {
        m_ledPreview->stop();
    }
    if (m_sound) {
        m_sound->stop();
    }
    m_core.stopWorkers();
}

std::optional<std::string> App::guideFile(const std::string& document) const {
    const FolderTree& folders = m_core.folders();
    return findGuide(document, folders.languageDir,
                     folders.skinsDir + languageFolderName(kGuideFallbackLanguage));
}

void App::openDocument(const std::string& document) {
    if (isWebAddress(document)) {
        QDesktopServices::openUrl(QUrl(qs(document)));
        return;
    }
    const auto guide = guideFile(document);
    if (!guide) {
        showWarning(Tip::OperationFailed);
        return;
    }
    if (!m_guide) {
        m_guide = std::make_unique<GuideWindow>();
        m_guide->setWindowIcon(m_window->windowIcon());
        // The first time beside the main window (narrowed to the room there, down to a
        // width that still reads well), so that the guide and the page it explains can be
        // seen together; afterwards where the user left it.
        constexpr int kGuideMinWidth = 520;
        if (const QScreen* screen = m_window->screen()) {
            const QRect owner = m_window->frameGeometry();
            const QRect area = screen->availableGeometry();
            const DesktopRect at =
                placeBeside({0, 0, m_guide->width(), m_guide->height()},
                            {owner.x(), owner.y(), owner.width(), owner.height()},
                            {area.x(), area.y(), area.width(), area.height()}, kGuideMinWidth);
            m_guide->setGeometry(at.x, at.y, at.width, at.height);
        }
    }
    m_guide->showGuide(*guide);
}

void App::showWarning(Tip tip, const std::string& suffix, const std::string& prefix,
                      const std::function<void(WarningDlg*)>& opened) {
    const std::string text = prefix + m_core.pack().tipText(tip) + suffix;
    m_shownWarnings.push_back(text);
    if (warningShower) {
        warningShower(text);
        return;
    }
    if (m_options.renderOnly) {
        std::cerr << "zel-gmouse: warning " << tipNumber(tip) << ": " << text << '\n';
        ++m_renderProblems;
        return;
    }
    m_warningRequest.text = text;
    m_warningRequest.kind = 2;
    m_warningRequest.placement = m_core.state().warningPlacement;
    ShowWarning(m_warningRequest, m_warningSkin, m_window.get(), opened);
}

bool App::loadSkins() {
    const FolderTree& folders = m_core.folders();
    ini::IniStore& ini = m_core.ini();
    m_skin.beginLoadPictures(folders.skinsDir, folders.languageDir);
    const ReaderSinks sinks{&m_warnings, &m_messages};
    const std::string other1 = m_core.pack().text(TextTable::Other, 1);
    bool ok = true;
    ok &= loadSkin(ini, folders.languageDir, SkinFile::Main, m_skin.main, sinks, other1) ==
          LoadStatus::Ok;
    ok &= loadSkin(ini, folders.languageDir, SkinFile::Advance, m_skin.advanced, sinks) ==
          LoadStatus::Ok;
    ok &= loadSkin(ini, folders.languageDir, SkinFile::Mac, m_skin.macro, sinks) == LoadStatus::Ok;
    ok &= loadSkin(ini, folders.languageDir, SkinFile::Color, m_skin.lighting, sinks) ==
          LoadStatus::Ok;
    loadSkin(ini, folders.languageDir, SkinFile::Warning, m_warningSkin.layout, sinks);
    m_warningSkin.skinsDir = folders.skinsDir;
    m_warningSkin.font = m_fonts.selectFont(2, m_core.state().language.load());
    m_skin.finishLoading();
    return ok;
}

void App::createWindow() {
    AppState& state = m_core.state();
    ProfileManager& manager = m_core.manager();
    MainWindowHooks hooks;
    hooks.apply = [this] { apply(); };
    // The records change through the profile dialogs; the workers get them at once.
    hooks.importProfiles = [this, &manager] {
        manager.importProfiles();
        publishSoon();
    };
    hooks.exportProfiles = [&manager] { manager.exportProfiles(); };
    hooks.resetProfiles = [this] {
        m_core.resetAllProfiles();
        publishSoon();
    };
    hooks.shutDown = [this] { shutDown(); };
    hooks.warn = [this](Tip tip) { showWarning(tip); };
    hooks.openDocument = [this](const std::string& document) { openDocument(document); };
    hooks.chooseLanguage = [this](int language) { chooseLanguage(language); };
    hooks.macroName = [this](int code) { return m_core.macroName(code); };
    hooks.presetName = [this](int index) {
        const WeaponPresets& presets = m_core.presets();
        return index >= 0 && index < kMaxPresets ? presets.names[static_cast<std::size_t>(index)]
                                                 : std::string();
    };
    hooks.presetCount = [this] { return static_cast<int>(m_core.presets().count); };
    hooks.otherMessage = [this](QEvent* event) { onMessage(event); };
    hooks.menus = [this] { return menuContext(); };
    hooks.colourChooser =
        m_options.colourChooser != nullptr ? m_options.colourChooser : &m_colourChooser;
    hooks.openCombination = [this](int slot) { openCombination(slot); };
    hooks.recordsChanged = [this] { publishSoon(); };
    hooks.macroPagePressed = [this](int element) {
        if (m_macroControls) {
            m_macroControls->pagePressed(element);
        }
    };
    hooks.recording = [this] { return m_macroControls && m_macroControls->recording(); };
    hooks.macroRunModeElement = [this] {
        return m_macroControls ? m_macroControls->runModeElement() : -1;
    };
    hooks.rebuildFonts = [this] {
        const int language = m_core.state().language.load();
        m_fonts.buildFonts(screenScale(), m_core.pack(), language, m_core.folders().skinsDir,
                           &m_warnings);
        m_warningSkin.font = m_fonts.selectFont(2, language);
    };
    hooks.pageChanged = [this](int page) {
        m_shownPage = page;
        followLightingPreview();
        followMacroPage(page);
    };
    hooks.openSoundWindow = [this] {
        if (m_sound) {
            m_sound->openSoundWindow();
        }
    };
    m_window = std::make_unique<CZEL_GMouseDlg>(
        MainWindowContext{state, m_core.profiles(), m_core.description(), m_core.pack(), m_fonts,
                          m_core.folders()},
        m_skin, std::move(hooks));
    m_window->setWindowTitle(qs(m_core.description().productName(state.language.load())));
    m_window->setWindowIcon(programIcon());
    m_window->trayAvailable = [this] { return m_tray != nullptr; };
    m_window->installEventFilter(this);
    m_window->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_window.get(), &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        // The window has no caption: its system menu opens on a right click.
        QMenu menu;
        menu.addAction(tr("Minimise"), m_window.get(), &QWidget::showMinimized);
        menu.addSeparator();
        menu.addAction(QStringLiteral("&About ZEL_GMouse..."), this, &App::showAbout);
        menu.exec(m_window->mapToGlobal(at));
    });

    m_sound = std::make_unique<SoundLightControl>(
        SoundLightInputs{m_core, m_sleeper, m_options.audioServer, &m_messages,
                         [this](Tip tip) { showWarning(tip); },
                         [this] { return m_fonts.selectFont(2, m_core.state().language.load()); }},
        m_window.get());

    // The lighting preview repaints the lighting page at the effect's pace while it shows.
    const PublishedRecords& published = m_core.profiles().published();
    m_ledPreview = std::make_unique<LedPreviewWorker>(
        *m_repaint,
        [&published] { return static_cast<int>(published.current()->shared.ledCycleTime); },
        m_sleeper);
}

bool App::start() {
    // Folders first: everything else is found through them.
    if (!m_core.hasDataSet()) {
        std::cerr << "zel-gmouse: no data set in " << m_options.appDir << "\n";
        m_exitCode = 2;
        return false;
    }
    // The Apply element tells for a moment what each download came to.
    m_core.downloadEnded = [this](const DownloadChanges& changes) { showApplyOutcome(changes); };
    // Dialogs and message boxes open over the main window, in the program's language.
    m_chooser.parent = [this]() -> QWidget* { return m_window.get(); };
    m_chooser.language = [this] { return m_core.state().language.load(); };
    m_messages.parent = [this]() -> QWidget* { return m_window.get(); };
    m_colourChooser.parent = [this]() -> QWidget* { return m_window.get(); };
    // Apply saves the settings first: the macro open on the macro page goes to its group
    // file then, so the download sends what the page shows.
    m_core.profiles().beforeSaveAll = [this] {
        if (m_macroControls) {
            m_macroControls->saveOpenMacro();
        }
    };
    AppState& state = m_core.state();
    state.warningPlacement = 2;
    m_skin.setPictureCacheFolder(m_options.pictureCacheFolder);
    m_skin.pictureScale = pictureScaleFor(screenPixelRatio());
    m_skin.beginMainPage(FolderTree::make(m_options.appDir, 0).skinsDir);
    m_core.loadSettings();
    if (m_options.renderOnly && m_options.renderLanguage) {
        // Read by every step from here on; nothing of a render-only run is written back.
        state.language = *m_options.renderLanguage;
    }
    if (!m_core.settingsProblem().empty()) {
        m_messages.message(m_core.settingsProblem() +
                           ". The program runs on the factory settings and does not write "
                           "that file until it can be read.");
    }
    // The device link and the workers that follow the mouse start before anything else of
    // the mouse; until the mouse is opened they only wait.
    m_core.createDevice();

    // The pack carries the font keys, so it is read before the fonts are built.
    m_core.loadLanguage();
    m_fonts.setSystemFontConfiguration(m_options.systemFontConfiguration);
    m_fonts.beginBuildFonts(screenScale(), m_core.pack(), state.language.load(),
                            m_core.folders().skinsDir, &m_warnings);
    if (!loadSkins()) {
        // A missing main layout ends the program as the close procedure does.
        m_exitCode = m_options.renderOnly ? 2 : 0;
        return false;
    }
    createWindow();

    // Macro library and constant macros of the current language, and the workers.
    m_core.loadMacros();
    if (m_options.renderOnly) {
        // The pages are drawn from the settings alone: no mouse, no window on screen.
        m_window->showNotice = [this](const QString& text) {
            std::cerr << "zel-gmouse: " << text.toStdString() << '\n';
            ++m_renderProblems;
        };
        m_core.loadPresets();
        m_fonts.finishBuildFonts();
        return true;
    }
    m_core.startWorkers();

    if (!m_core.connect()) {
        showWarning(Tip::MouseNotFound, m_core.description().productName(state.language.load()));
        shutDown();
        return false;
    }

    setUpTray();
    if (commandLineAsksHidden(m_options.commandLine)) {
        state.startMinimised = true;
    }
    m_core.loadPresets();
    m_core.handOverSoftMacroButtons();
    state.warningPlacement = 0;
    watchSystem();

    // The fonts are ready before the first text is drawn.
    m_fonts.finishBuildFonts();
    if (state.startMinimised.load()) {
        m_window->showMinimized();
        state.startMinimised = false;
    } else {
        m_window->show();
    }
    if (state.productKind.load() == ProductKind::Pid1201) {
        firstConnection();
    } else {
        startDownload();
    }
    return true;
}

void App::watchSystem() {
    if (const int fd = m_core.link().hotplugFd(); fd >= 0) {
        m_hotplugNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(m_hotplugNotifier.get(), &QSocketNotifier::activated, this, &App::onHotplug);
    }
    auto* power =
        new PowerWatcher(m_options.powerBusAddress.empty()
                             ? QDBusConnection::systemBus()
                             : QDBusConnection::connectToBus(qs(m_options.powerBusAddress),
                                                             QStringLiteral("zel-gmouse-power")));
    // After a sleep the mouse gets its configuration again.
    connect(power, &PowerWatcher::powerEvent, this, &App::startDownload);
    m_powerWatcher.reset(power);
}

void App::setUpTray() {
    if (m_options.noTray || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return; // no tray: the window stays reachable through its own minimise
    }
    // The tooltip is the product name of the start-up language and stays so; the menu
    // follows the language, as a menu built when it opens would.
    m_tray = makeTrayIcon(
        m_core.description().productName(m_core.state().language.load()), m_window.get(),
        [this] { m_window->showAndRestore(); },
        [this] {
            // Open dialogs end first, then the program.
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(w);
                    dialog != nullptr && dialog->isVisible()) {
                    dialog->done(0);
                }
            }
            shutDown();
        });
    setTrayMenuTexts(*m_tray, m_core.pack());
    m_tray->show();
}

void App::firstConnection() {
    showWarning(Tip::FirstConnectionWriting);
    m_core.manager().resetAllProfiles();
    m_core.state().currentProfile = 0;
    m_core.profiles().publish();
    m_firstConnectionRunning = true;
    startDownload();
    // The box shows while the download runs; when the download ends it says how.
    showWarning(Tip::FirstConnectionWait, {}, {},
                [this](WarningDlg* box) { m_firstConnectionBox = box; });
}

void App::endFirstConnection(int outcome) {
    m_firstConnectionRunning = false;
    const LanguagePack& pack = m_core.pack();
    const std::string text =
        outcome == kApplyDone ? pack.tipText(Tip::FirstConnectionDone)
        : outcome == kApplyMemoryFull
            ? pack.tipText(Tip::MacroMemoryFull)
            : pack.tipText(Tip::MouseNotFound) +
                  m_core.description().productName(m_core.state().language.load());
    m_shownWarnings.push_back(text);
    if (m_firstConnectionBox != nullptr) {
        m_firstConnectionBox->setMessage(QString::fromStdString(text));
    } else if (warningShower) {
        warningShower(text);
    }
}

void App::showApplyOutcome(const DownloadChanges& changes) {
    AppState& state = m_core.state();
    state.applyOutcome = changes.aborted                                       ? kApplyMemoryFull
                         : changes.failedWrites > 0 || !state.connected.load() ? kApplyNoMouse
                                                                               : kApplyDone;
    if (m_firstConnectionRunning) {
        endFirstConnection(state.applyOutcome);
    }
    const int shown = ++m_applyOutcomeShown;
    if (m_window) {
        m_window->update();
    }
    QTimer::singleShot(kApplyOutcomeMs, this, [this, shown] {
        // A later outcome keeps its own moment.
        if (shown == m_applyOutcomeShown) {
            m_core.state().applyOutcome = kApplyNothing;
            if (m_window) {
                m_window->update();
            }
        }
    });
}

void App::startDownload() {
    if (downloadStarted) {
        downloadStarted();
    }
    m_core.startDownload();
}

void App::apply() {
    if (m_core.state().downloadBusy.load()) {
        return;
    }
    m_core.waitForDownload();
    ProfileStore& profiles = m_core.profiles();
    const std::string& file = m_core.folders().settingsFile();
    if (!profiles.saveAllProfiles(file, m_core.state().currentProfile.load())) {
        // The mouse still gets the settings; the file keeps what it had.
        m_messages.message("The settings could not be saved to " + file +
                           (m_core.ini().check(file).state == ini::IniStore::FileState::Unreadable
                                ? ", which could not be read: it was left as it is."
                                : "."));
    }
    profiles.publish();
    startDownload();
}

void App::followLightingPreview() {
    // The preview runs only while the lighting page is on screen; it ends by itself when
    // the page is left or the window goes.
    m_windowOnScreen = m_window && m_window->isVisible() && !m_window->isMinimized();
    if (m_ledPreview && m_windowOnScreen.load() &&
        m_shownPage.load() == static_cast<int>(PageId::LightingPage)) {
        m_ledPreview->start();
    }
}

bool App::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window.get()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowStateChange) {
            // After Qt has handled it, so that the window's state is the new one.
            QMetaObject::invokeMethod(this, &App::followLightingPreview, Qt::QueuedConnection);
        }
        // A press on the window first ends the editing in the macro page's controls.
        if (type == QEvent::MouseButtonPress && m_macroControls) {
            m_macroControls->commitEdits();
        }
        // A press, a release or a drag on the window is what changes the records there.
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
            (type == QEvent::MouseMove &&
             static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)) {
            publishSoon();
        }
    }
    return QObject::eventFilter(watched, event);
}

void App::publishSoon() {
    if (m_publishPending) {
        return;
    }
    m_publishPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_publishPending = false;
            m_core.profiles().publish();
        },
        Qt::QueuedConnection);
}

void App::onHotplug() {
    const HotplugResult result = m_core.link().processHotplug(0);
    if (result == HotplugResult::Removed) {
        // The mouse is gone: the icon goes and the program ends without sending anything.
        m_tray.reset();
        m_core.state().connected = false;
        if (m_window) {
            m_window->hide();
        }
        m_exitCode = 0;
        Q_EMIT finished(0);
        if (m_options.quitApplication) {
            QCoreApplication::exit(0);
        }
    }
}

void App::onMessage(QEvent* event) {
    auto* message = static_cast<AppMessage*>(event);
    if (m_macroControls && message->message == msg::kMacroEditor) {
        m_macroControls->menuCommand(static_cast<int>(message->wParam),
                                     static_cast<int>(message->lParam));
    } else if (m_macroControls && message->message == msg::kListEdited) {
        m_macroControls->rowEdited(static_cast<int>(message->wParam),
                                   static_cast<int>(message->lParam), message->text);
    } else if (m_macroControls && message->message == msg::kKeyCaptured) {
        m_macroControls->keyCaptured();
    } else if (m_macroControls && (message->message == msg::kMacroLedMode ||
                                   message->message == msg::kMacroLedLevel)) {
        m_macroControls->lightingChosen(message->message == msg::kMacroLedMode,
                                        static_cast<int>(message->wParam));
    }
    if (message->message == static_cast<int>(kMsgRestoreLighting)) {
        // Bar steps of the sound lighting change the extent; the profile's own is full.
        m_core.sound().lightingExtent.store(kLightingExtentFull);
        restoreLightingAndDpi(m_core.link(), m_core.profiles(), m_core.folders().settingsFile(),
                              m_sleeper);
        m_core.profiles().publish();
    }
}

void App::chooseLanguage(int language) {
    FolderTree& folders = m_core.folders();
    int current = m_core.state().language.load();
    LanguageContext context{m_core.ini(), folders.skinsDir, current, m_core.pack(), &m_messages};
    LanguageHooks hooks;
    // The macro page's controls go before the folders change: what the open macro holds
    // is written to its group file in the old language's folder.
    const bool macroPageShown = m_macroControls != nullptr;
    hooks.saveOpenMacro = [this] { m_macroControls.reset(); };
    // The skins are read from the new language's folder: the folder tree and the state
    // follow the index before anything is reloaded.
    hooks.reloadMainSkins = [this, &folders, &current] {
        folders.setLanguage(current);
        m_core.state().language = current;
        loadSkins();
    };
    hooks.rebuildMacroFolders = [this, &folders, &current] {
        folders.setLanguage(current);
        m_core.macroFiles().setLanguage(current);
        m_core.library().setFolders(
            MacroFolders{folders.macroDir, folders.macroResetDir, folders.configDir});
        m_core.library().start();
    };
    hooks.setEnglishTitle = [this] {
        m_window->setWindowTitle(qs(m_core.description().productNameEn));
    };
    hooks.reloadWeaponPresets = [this] { m_core.loadPresets(); };
    switchLanguage(language, context, hooks);
    m_core.state().language = current;
    folders.setLanguage(current);
    m_fonts.dropMainSet();
    m_fonts.buildFonts(screenScale(), m_core.pack(), current, folders.skinsDir, &m_warnings);
    m_warningSkin.font = m_fonts.selectFont(2, current);
    if (m_tray) {
        setTrayMenuTexts(*m_tray, m_core.pack());
    }
    // The macro page's controls show the new language's library in its font.
    if (macroPageShown) {
        followMacroPage(static_cast<int>(PageId::MacroPage));
    }
    m_window->update();
    // An open guide follows the language, as the help element of the new layout names it.
    if (m_guide && m_guide->isVisible()) {
        if (const auto guide = guideFile(m_skin.main.area(layout::skin_main::kHelp).label)) {
            m_guide->showGuide(*guide);
        }
    }
}

MenuContext* App::menuContext() {
    const int language = m_core.state().language.load();
    const std::string skinsDir = m_core.folders().skinsDir;
    if (!m_macroMenu) {
        m_macroMenu = std::make_unique<LibraryMacroMenu>(m_core.library());
    }
    MenuContext& c = m_menus;
    c.skinsDir = skinsDir;
    c.pack = &m_core.pack();
    c.mainLayout = &m_skin.main;
    c.font = m_fonts.selectFont(2, language);
    c.macros = m_macroMenu.get();
    c.assign = [this](std::int32_t code) { assignChosen(code); };
    c.closeFirstLevelOnPaint = [this] { m_window->pointer().closePopupOnPaint = true; };
    ProfileStore& profiles = m_core.profiles();
    c.shared = &profiles.shared;
    c.profile = &profiles.profiles[static_cast<std::size_t>(
        std::clamp(m_core.state().currentProfile.load(), 0, kProfileCount - 1))];
    // Every effect of the mouse, in code order.
    c.effectList.clear();
    for (int effect = 0; effect < 14; ++effect) {
        c.effectList.push_back(effect);
    }
    for (std::size_t i = 0; i < c.userColours.size(); ++i) {
        const ColourRef colour = profiles.shared.userDisplayColour[i];
        c.userColours[i] = QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    const WeaponPresets& presets = m_core.presets();
    c.presetNames.assign(presets.names.begin(),
                         presets.names.begin() + std::clamp(static_cast<int>(presets.count), 0,
                                                            static_cast<int>(kMaxPresets)));
    c.languageFolder = [skinsDir](int index) { return languageDir(skinsDir, index); };
    c.perLanguageFonts = m_fonts.embeddedMode();
    c.dropSharedFonts = [this] { m_fonts.dropMainSet(); };
    c.showNotice = [this](const QString& text) { m_messages.message(text.toStdString()); };
    return &c;
}

void App::followMacroPage(int page) {
    if (page != static_cast<int>(PageId::MacroPage)) {
        m_macroControls.reset();
        return;
    }
    if (m_macroControls) {
        return;
    }
    const int language = m_core.state().language.load();
    MacroPageInputs inputs{
        *m_window,
        m_core.library(),
        m_core.group(),
        m_core.keys(),
        m_core.pack(),
        m_skin.macro,
        m_fonts.selectFont(2, language),
        m_core.folders().skinsDir,
        language,
        [this] { return menuContext(); },
        [this](Tip tip, const std::string& prefix) { showWarning(tip, {}, prefix); },
        &m_messages,
        [this]() -> std::optional<KeyDialogContext> { return keyDialogContext(); },
        m_options.recordingClock,
        [this] { openWeaponPresets(); }};
    m_macroControls = std::make_unique<MacroPageControls>(std::move(inputs));
    m_macroControls->prepare();
}

void App::assignChosen(std::int32_t code) {
    const int profile = std::clamp(m_core.state().currentProfile.load(), 0, kProfileCount - 1);
    ProfileSettings& settings = m_core.profiles().profiles[static_cast<std::size_t>(profile)];
    const int slot = m_window->pointer().menuButton - layout::skin_main::kButtonLabelFirst;
    assignButton(settings.buttonCode, settings.macroLight, profile, slot, code,
                 m_core.description().keyCount);
    publishSoon();
}

KeyDialogContext App::keyDialogContext() {
    const int language = m_core.state().language.load();
    const FolderTree& folders = m_core.folders();
    return KeyDialogContext{m_core.ini(),
                            folders.skinsDir,
                            folders.languageDir,
                            language,
                            m_core.keys(),
                            m_fonts.selectFont(2, language),
                            qs(m_core.description().productName(language)),
                            &m_messages};
}

void App::openCombination(int slot) {
    if (slot < 0 || slot >= kButtonSlots) {
        return;
    }
    const int profile = std::clamp(m_core.state().currentProfile.load(), 0, kProfileCount - 1);
    const ProfileSettings& settings = m_core.profiles().profiles[static_cast<std::size_t>(profile)];
    const KeyDialogContext context = keyDialogContext();
    CombinationRequest request;
    request.slot = slot;
    request.assignCode = settings.buttonCode[static_cast<std::size_t>(slot)];
    request.storedText = settings.comboText[static_cast<std::size_t>(slot)];
    request.pressKeyPrompt = m_core.pack().text(TextTable::ShortCut, 1);
    request.noModifierPrompt = m_core.pack().text(TextTable::ShortCut, 2);
    // The window's handler of the entered combination makes the button a combination
    // button and keeps a left click.
    CombinationInput input;
    CShortcutGetKey dialog(context, request, input, m_window.get());
    dialog.exec();
}

void App::openWeaponPresets() {
    const int language = m_core.state().language.load();
    const FolderTree& folders = m_core.folders();
    PresetStore store(m_core.macroFiles(), m_messages);
    GunDialogModel model(store, m_core.presets(), m_core.presetFile());
    const GunDialogContext context{m_core.ini(),
                                   folders.skinsDir,
                                   folders.languageDir,
                                   m_fonts.selectFont(2, language),
                                   qs(m_core.description().productName(language)),
                                   &m_messages,
                                   menuContext()};
    CDialogGun dialog(context, model, m_window.get());
    dialog.move(m_window->frameGeometry().center() - dialog.rect().center());
    dialog.exec();
    // The monitor and the player play the presets as the dialog left them.
    m_core.publishPresets();
    // The dialog took the button's release.
    m_window->pointer().pressed = false;
    m_window->update();
}

void App::showAbout() {
    QMessageBox::about(m_window.get(),
                       qs(m_core.description().productName(m_core.state().language.load())),
                       QStringLiteral("ZEL GMouse %1\nThe configuration program of the ZEL "
                                      "programmable gaming mouse.")
                           .arg(QCoreApplication::applicationVersion()));
}

bool App::renderPages(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        shutDown();
        return false;
    }
    bool ok = true;
    static constexpr std::array<const char*, 4> kNames = {"main", "advanced", "macro", "lighting"};
    // A hovered and a pressed element per page: a button label, a DPI level, the record
    // element, the effect choice.
    static constexpr std::array<std::pair<int, int>, 4> kHot = {
        std::pair{layout::skin_main::kButtonLabelFirst, 0},
        std::pair{kNoElement, layout::skin_advance::kDpiRowFirst},
        std::pair{kNoElement, layout::skin_mac::kRecord},
        std::pair{kNoElement, layout::skin_color::kEffect}};
    PointerState& ps = m_window->pointer();
    for (int page = 0; page < 4; ++page) {
        ps = PointerState{};
        ps.page = static_cast<PageId>(page);
        const std::string base = folder + "/" + kNames[static_cast<std::size_t>(page)];
        ok &= m_window->compose().save(qs(base + ".png"));
        const auto [main, other] = kHot[static_cast<std::size_t>(page)];
        ps.hotMain = main;
        ps.hotAdvanced = page == 1 ? other : kNoElement;
        ps.hotMacro = page == 2 ? other : kNoElement;
        ps.hotLighting = page == 3 ? other : kNoElement;
        ok &= m_window->compose().save(qs(base + "_hover.png"));
        ps.pressed = true;
        ok &= m_window->compose().save(qs(base + "_pressed.png"));
    }
    ps = PointerState{};
    shutDown();
    return ok;
}

void App::shutDown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_tray.reset();
    if (m_sound) {
        m_sound->stop();
    }
    m_core.closeDevice();
    if (m_guide) {
        m_guide->hide();
    }
    if (m_window) {
        m_window->hide();
    }
    Q_EMIT finished(m_exitCode);
    if (m_options.quitApplication) {
        QCoreApplication::exit(m_exitCode);
    }
}

} // namespace zel
