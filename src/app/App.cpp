#include "app/App.h"

#include "app/PageLogic.h"
#include "common/FileChooser.h"
#include "device/DeviceCommands.h"
#include "platform/hid/HidrawBackend.h"
#include "platform/power/PowerWatcher.h"
#include "presentation/LanguageSwitch.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QUrl>

#include <filesystem>
#include <iostream>

namespace zel {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// The program's icon, drawn rather than shipped: a dark rounded tile with the accent
/// mouse outline.
QIcon programIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(30, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setPen(QPen(QColor(7, 188, 255), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(20, 12, 24, 40), 12, 12);
    p.drawLine(QPointF(32, 14), QPointF(32, 26));
    return QIcon(pixmap);
}

/// The tray menu's "show" and "exit" texts in the current language.
void setTrayMenuTexts(QSystemTrayIcon& tray, const LanguagePack& pack) {
    if (QMenu* menu = tray.contextMenu(); menu != nullptr && menu->actions().size() == 2) {
        menu->actions()[0]->setText(qs(pack.text(TextTable::DevMac, 34)));
        menu->actions()[1]->setText(qs(pack.text(TextTable::DevMac, 35)));
    }
}

/// The scale of the primary screen as the font sizes take it.
double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr
               ? 1.0
               : displayScale(screen->logicalDotsPerInchX(), screen->devicePixelRatio());
}

} // namespace

/// The core's warnings shown in the warning box with the current language's texts.
class App::WarningAdapter final : public WarningSink {
public:
    explicit WarningAdapter(App& app) : m_app(app) {}
    void warn(Tip tip) override {
        // Workers (the download at start-up) report through the window's thread.
        if (QThread::currentThread() == m_app.thread()) {
            m_app.showWarning(tip);
        } else {
            QMetaObject::invokeMethod(
                &m_app, [app = &m_app, tip] { app->showWarning(tip); }, Qt::QueuedConnection);
        }
    }

private:
    App& m_app;
};

/// Workers repaint the window by posting it a repaint message; the lighting preview also
/// asks whether the lighting page is shown.
class App::WindowRepaint final : public RepaintSink, public LedPreviewView {
public:
    explicit WindowRepaint(App& app) : m_app(app) {}
    void repaint() override {
        if (CZEL_GMouseDlg* w = m_app.m_window.get()) {
            QCoreApplication::postEvent(w, new AppMessage(kMsgRepaint, 0, 0));
        }
    }
    bool lightingPageShown() const override {
        return m_app.m_shownPage.load() == static_cast<int>(PageId::LightingPage);
    }

private:
    App& m_app;
};

/// Plain message boxes.
class App::MessageAdapter final : public MessageSink {
public:
    void message(const std::string& text) override {
        QMessageBox::information(nullptr, QString(), qs(text));
    }
};

/// The open and save dialogs of the program.
class App::Chooser final : public FileChooser {
public:
    std::optional<std::string> chooseOpen(const FileRequest& request) override {
        const QString name = QFileDialog::getOpenFileName(
            nullptr, QString(), qs(request.initialFolder), filter(request));
        return name.isEmpty() ? std::nullopt : std::optional(name.toStdString());
    }
    std::optional<std::string> chooseSave(const FileRequest& request) override {
        QFileDialog dialog(nullptr, QString(), qs(request.initialFolder), filter(request));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(qs(request.defaultExtension));
        if (!request.suggestedName.empty()) {
            dialog.selectFile(qs(request.suggestedName));
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().front().toStdString();
    }

private:
    /// "All Files(*.ini)|*.ini||" becomes the Qt filter "All Files (*.ini)".
    static QString filter(const FileRequest& request) {
        const QString f = qs(request.filter);
        const QStringList parts = f.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        QStringList filters;
        for (int i = 0; i + 1 < parts.size(); i += 2) {
            QString label = parts[i];
            const int paren = label.indexOf(QLatin1Char('('));
            if (paren > 0) {
                label = label.left(paren).trimmed();
            }
            filters << QStringLiteral("%1 (%2)").arg(label, parts[i + 1]);
        }
        return filters.join(QStringLiteral(";;"));
    }
};

App::App(AppOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)),
      m_warnings(std::make_unique<WarningAdapter>(*this)),
      m_messages(std::make_unique<MessageAdapter>()), m_chooser(std::make_unique<Chooser>()),
      m_keys(&m_pack) {}

App::~App() {
    if (m_downloadWorker.joinable()) {
        m_downloadWorker.join();
    }
    if (m_ledPreview) {
        m_ledPreview->stop();
    }
    if (m_playerWorker) {
        m_playerWorker->stop();
    }
    if (m_monitorWorker) {
        m_monitorWorker->stop();
    }
}

void App::showWarning(Tip tip, const std::string& suffix) {
    const std::string text = m_pack.tipText(tip) + suffix;
    m_shownWarnings.push_back(text);
    if (warningShower) {
        warningShower(text);
        return;
    }
    m_warningRequest.text = text;
    m_warningRequest.kind = 2;
    m_warningRequest.placement = m_state.warningPlacement;
    ShowWarning(m_warningRequest, m_warningSkin, m_window.get());
}

void App::loadLanguage() {
    m_folders.setLanguage(m_state.language.load());
    m_pack.load(m_ini, m_folders.languageDir, m_messages.get());
}

bool App::loadSkins() {
    m_skin.beginLoadPictures(m_folders.skinsDir, m_folders.languageDir);
    const ReaderSinks sinks{m_warnings.get(), m_messages.get()};
    const std::string other1 = m_pack.text(TextTable::Other, 1);
    bool ok = true;
    ok &= loadSkin(m_ini, m_folders.languageDir, SkinFile::Main, m_skin.main, sinks, other1) ==
          LoadStatus::Ok;
    ok &= loadSkin(m_ini, m_folders.languageDir, SkinFile::Advance, m_skin.advanced, sinks) ==
          LoadStatus::Ok;
    ok &= loadSkin(m_ini, m_folders.languageDir, SkinFile::Mac, m_skin.macro, sinks) ==
          LoadStatus::Ok;
    ok &= loadSkin(m_ini, m_folders.languageDir, SkinFile::Color, m_skin.lighting, sinks) ==
          LoadStatus::Ok;
    loadSkin(m_ini, m_folders.languageDir, SkinFile::Warning, m_warningSkin.layout, sinks);
    m_warningSkin.skinsDir = m_folders.skinsDir;
    m_warningSkin.font = m_fonts.selectFont(2, m_state.language.load());
    m_skin.finishLoading();
    return ok;
}

void App::createDevice() {
    if (m_options.simulate) {
        sim::SimLayout layout;
        layout.productId = m_options.simulatedProduct;
        if (!m_description.deviceString.empty()) {
            layout.productString = m_description.deviceString;
        }
        m_simMouse = std::make_unique<sim::SimulatedMouse>(layout);
        if (m_options.simulateAbsent) {
            m_simMouse->unplug();
        }
        auto backend = std::make_unique<sim::SimHidBackend>();
        backend->addDevice(*m_simMouse, "/dev/zel-simulated-mouse");
        m_backend = std::move(backend);
    } else {
        m_backend = std::make_unique<hid::HidrawBackend>();
    }
    m_link = std::make_unique<DeviceLink>(
        *m_backend, m_options.linkSleeper != nullptr ? *m_options.linkSleeper : m_sleeper,
        acceptProductString(m_description.deviceString));
    m_pointer =
        system::makePointerSettings(system::DesktopEnvironment::fromProcess(), m_runner, m_ini);
}

void App::startWorkers() {
    m_catalogue =
        std::make_unique<LibraryMacroCatalogue>(*m_macroFiles, *m_library, m_group, m_presetBuffer);
    DownloadHooks downloadHooks;
    downloadHooks.clearToggleState = [this] { m_soft.clearToggle(); };
    downloadHooks.publishTables = [this](const ButtonTables& tables) { m_tables.publish(tables); };
    m_download = std::make_unique<Download>(DownloadContext{*m_link, *m_profiles, m_description,
                                                            *m_catalogue, m_keys, *m_warnings,
                                                            *m_pointer, m_state.downloadBusy},
                                            std::move(downloadHooks));

    m_macroSource = std::make_unique<FileMacroSource>(
        *m_macroFiles, *m_library, m_ini, [this] { return m_group.datVersion; },
        [this](int index) -> std::optional<MacroRecord> {
            if (index < 0 || index >= m_presets.count || index >= 12) {
                return std::nullopt;
            }
            return m_presets.records[static_cast<std::size_t>(index)];
        });
    m_repaint = std::make_unique<WindowRepaint>(*this);
    const SoftMacroContext context{*m_profiles, m_state.currentProfile,   m_description,
                                   m_tables,    *m_macroSource,           *m_repaint,
                                   m_ini,       m_folders.settingsFile(), m_folders.configDir,
                                   nullptr};
    m_monitor = std::make_unique<DeviceMonitor>(m_soft, context, *m_link);
    m_monitor->loadInitialWorkingMacro();
    m_playerCommands = std::make_unique<LinkPlayerCommands>(*m_link);
    m_player = std::make_unique<MacroPlayer>(m_soft, context, *m_playerCommands, m_sleeper);
    m_monitorWorker = std::make_unique<DeviceMonitorWorker>(*m_monitor, *m_link);
    m_playerWorker = std::make_unique<MacroPlayerWorker>(*m_player);
    m_ledPreview = std::make_unique<LedPreviewWorker>(
        *m_repaint, [this] { return static_cast<int>(m_profiles->shared.ledCycleTime); },
        m_sleeper);
}

bool App::start() {
    // Folders first: everything else is found through them.
    std::error_code ec;
    if (!std::filesystem::is_directory(m_options.appDir + "/skins", ec)) {
        std::cerr << "zel-gmouse: no data set in " << m_options.appDir << "\n";
        m_exitCode = 2;
        return false;
    }
    m_state.warningPlacement = 2;
    m_folders = FolderTree::make(m_options.appDir, 0);
    m_skin.setPictureCacheFolder(m_options.pictureCacheFolder);
    m_skin.beginMainPage(m_folders.skinsDir);
    m_description = loadDeviceDescription(m_ini, m_folders.settingsFile());

    m_profiles = std::make_unique<ProfileStore>(m_ini, *m_warnings, m_keys,
                                                [this] { return m_state.language.load(); });
    m_state.currentProfile = m_profiles->readCurrentProfile(m_folders.settingsFile());
    m_state.language = readLanguageIndex(m_ini, m_folders.settingsFile());
    m_folders.setLanguage(m_state.language.load());
    for (int p = 0; p < 4; ++p) {
        m_profiles->loadProfile(m_folders.configDir, p, false);
    }
    // The device link and the workers that follow the mouse start before anything else of
    // the mouse; until the mouse is opened they only idle.
    createDevice();
    m_manager = std::make_unique<ProfileManager>(*m_profiles, m_ini, m_description, m_folders,
                                                 m_state.currentProfile, *m_warnings, *m_chooser);

    // The pack carries the font keys, so it is read before the fonts are built.
    static_cast<void>(m_ini.read(m_folders.settingsFile(), "Init", "ConfigNum", 4));
    loadLanguage();
    m_fonts.setSystemFontConfiguration(m_options.systemFontConfiguration);
    m_fonts.beginBuildFonts(screenScale(), m_pack, m_state.language.load(), m_folders.skinsDir,
                            m_warnings.get());
    if (!loadSkins()) {
        // A missing main layout ends the program as the close procedure does.
        m_exitCode = 0;
        return false;
    }

    MainWindowHooks hooks;
    hooks.apply = [this] { apply(); };
    hooks.importProfiles = [this] { m_manager->importProfiles(); };
    hooks.exportProfiles = [this] { m_manager->exportProfiles(); };
    hooks.resetProfiles = [this] { m_manager->resetAllProfiles(); };
    hooks.shutDown = [this] { shutDown(); };
    hooks.warn = [this](Tip tip) { showWarning(tip); };
    hooks.openDocument = [](const std::string& path) {
        QDesktopServices::openUrl(QUrl::fromUserInput(qs(path)));
    };
    hooks.chooseLanguage = [this](int language) { chooseLanguage(language); };
    hooks.macroName = [this](int code) { return macroName(code); };
    hooks.presetName = [this](int index) {
        return index >= 0 && index < 12 ? m_presets.names[static_cast<std::size_t>(index)]
                                        : std::string();
    };
    hooks.presetCount = [this] { return static_cast<int>(m_presets.count); };
    hooks.otherMessage = [this](QEvent* event) { onMessage(event); };
    hooks.pageChanged = [this](int page) {
        m_shownPage = page;
        if (page == static_cast<int>(PageId::LightingPage) && m_ledPreview) {
            m_ledPreview->start();
        }
    };
    m_window = std::make_unique<CZEL_GMouseDlg>(
        MainWindowContext{m_state, *m_profiles, m_description, m_pack, m_fonts, m_folders}, m_skin,
        std::move(hooks));
    m_window->setWindowTitle(qs(m_description.productName(m_state.language.load())));
    m_window->setWindowIcon(programIcon());
    m_window->trayAvailable = [this] { return m_tray != nullptr; };
    m_window->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_window.get(), &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        // The window has no caption: its system menu opens on a right click.
        QMenu menu;
        menu.addAction(tr("Minimise"), m_window.get(), &QWidget::showMinimized);
        menu.addSeparator();
        menu.addAction(QStringLiteral("&About ZEL_GMouse..."), this, &App::showAbout);
        menu.exec(m_window->mapToGlobal(at));
    });

    // Macro library and constant macros of the current language.
    m_macroFiles =
        std::make_unique<MacroFiles>(m_ini, m_keys, *m_warnings, m_state.language.load());
    m_library = std::make_unique<MacroLibrary>(
        m_ini, *m_macroFiles, m_group, *m_warnings, *m_chooser, m_pack,
        MacroFolders{m_folders.macroDir, m_folders.macroResetDir, m_folders.configDir});
    m_library->start();
    m_macroFiles->ReadConstMacros(m_folders.constMacroFile(), m_constMacros);
    startWorkers();

    m_state.connected = m_link->open();
    m_state.productKind = m_link->productKind();
    if (!m_state.connected.load()) {
        showWarning(Tip::MouseNotFound, m_description.productName(m_state.language.load()));
        shutDown();
        return false;
    }

    setUpTray();
    if (commandLineAsksHidden(m_options.commandLine)) {
        m_state.startMinimised = true;
    }
    PresetStore presets(*m_macroFiles, *m_messages);
    presets.LoadPresets(m_folders.languageDir + "/PUBG.dat", m_presets, m_group);
    if (m_profiles->shared.softHardMacro == 1) {
        handOverSoftMacroButtons();
    }
    m_state.warningPlacement = 0;

    // Hot-plug and power notifications.
    if (const int fd = m_link->hotplugFd(); fd >= 0) {
        m_hotplugNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(m_hotplugNotifier.get(), &QSocketNotifier::activated, this, &App::onHotplug);
    }
    auto* power =
        new PowerWatcher(m_options.powerBusAddress.empty()
                             ? QDBusConnection::systemBus()
                             : QDBusConnection::connectToBus(qs(m_options.powerBusAddress),
                                                             QStringLiteral("zel-gmouse-power")));
    connect(power, &PowerWatcher::powerEvent, this, &App::onPowerEvent);
    m_powerWatcher.reset(power);

    // The fonts are ready before the first text is drawn.
    m_fonts.finishBuildFonts();
    if (m_state.startMinimised.load()) {
        m_window->showMinimized();
        m_state.startMinimised = false;
    } else {
        m_window->show();
    }
    if (m_state.productKind.load() == ProductKind::Pid1201) {
        firstConnection();
    } else {
        startDownloadWorker();
    }
    return true;
}

void App::setUpTray() {
    if (m_options.noTray || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return; // no tray: the window stays reachable through its own minimise
    }
    m_tray = std::make_unique<QSystemTrayIcon>(programIcon());
    auto* menu = new QMenu(m_window.get()); // goes with the window
    menu->addAction(QString(), this, [this] { m_window->showAndRestore(); });
    menu->addAction(QString(), this, [this] {
        // Open dialogs end first, then the program.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(w);
                dialog != nullptr && dialog->isVisible()) {
                dialog->done(0);
            }
        }
        shutDown();
    });
    m_tray->setContextMenu(menu);
    // The tooltip is the product name of the start-up language and stays so; the menu
    // follows the language, as a menu built when it opens would.
    m_tray->setToolTip(qs(m_description.productName(m_state.language.load())));
    setTrayMenuTexts(*m_tray, m_pack);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    m_window->showAndRestore();
                }
            });
    m_tray->show();
}

void App::handOverSoftMacroButtons() {
    const auto profile = static_cast<std::size_t>(std::clamp(m_state.currentProfile.load(), 0, 3));
    const ProfileSettings& p = m_profiles->profiles[profile];
    for (int s = 0; s < m_description.keyCount; ++s) {
        const std::int32_t code = p.buttonCode[static_cast<std::size_t>(s)];
        if (code == 18 || code >= 41) {
            sendKeyFunction(*m_link, m_description.deviceKeyOfSlot(s), 0);
        }
    }
}

void App::firstConnection() {
    showWarning(Tip::FirstConnectionWriting);
    m_manager->resetAllProfiles();
    m_state.currentProfile = 0;
    startDownloadWorker();
    showWarning(Tip::FirstConnectionWait);
}

void App::startDownloadWorker() {
    if (m_downloadWorker.joinable()) {
        m_downloadWorker.join();
    }
    m_downloadWorker = std::jthread([this] { runDownload(); });
}

void App::runDownload() {
    if (downloadStarted) {
        downloadStarted();
    }
    if (!m_download) {
        return;
    }
    // The catalogue sees the weapon presets as a macro buffer.
    m_presetBuffer = MacroBuffer{};
    m_presetBuffer.count = std::clamp<std::int16_t>(m_presets.count, 0, 12);
    for (std::size_t i = 0; i < 12; ++i) {
        m_presetBuffer.records[i] = m_presets.records[i];
    }
    DownloadRequest request;
    request.currentProfile = m_state.currentProfile.load();
    request.productKind = m_state.productKind.load();
    request.language = m_state.language.load();
    m_download->run(request);
}

void App::apply() {
    if (m_state.downloadBusy.load()) {
        return;
    }
    // The save runs beside the download, as the save worker does.
    std::jthread save([this] {
        m_profiles->saveAllProfiles(m_folders.settingsFile(), m_state.currentProfile.load());
    });
    runDownload();
}

void App::onHotplug() {
    const HotplugResult result = m_link->processHotplug(0);
    if (result == HotplugResult::Removed) {
        // The mouse is gone: the icon goes and the program ends without sending anything.
        m_tray.reset();
        m_state.connected = false;
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

void App::onPowerEvent() {
    runDownload();
}

void App::onMessage(QEvent* event) {
    auto* message = static_cast<AppMessage*>(event);
    if (message->message == kMsgTrayIcon) {
        m_window->showAndRestore();
    } else if (message->message == kMsgRestoreLighting) {
        restoreLightingAndDpi(*m_link, *m_profiles, m_folders.settingsFile(), m_sleeper);
    } else if (message->message == kMsgMenuNotify) {
        m_state.pointer.popupOpen = false;
        m_window->update();
    }
}

void App::chooseLanguage(int language) {
    int current = m_state.language.load();
    LanguageContext context{m_ini, m_folders.skinsDir, current, m_pack, m_messages.get()};
    LanguageHooks hooks;
    hooks.reloadMainSkins = [this] { loadSkins(); };
    hooks.rebuildMacroFolders = [this, &current] {
        m_folders.setLanguage(current);
        m_macroFiles->setLanguage(current);
        m_library->setFolders(
            MacroFolders{m_folders.macroDir, m_folders.macroResetDir, m_folders.configDir});
        m_library->start();
    };
    hooks.setEnglishTitle = [this] { m_window->setWindowTitle(qs(m_description.productNameEn)); };
    hooks.reloadWeaponPresets = [this] {
        PresetStore presets(*m_macroFiles, *m_messages);
        presets.LoadPresets(m_folders.languageDir + "/PUBG.dat", m_presets, m_group);
    };
    switchLanguage(language, context, hooks);
    m_state.language = current;
    m_folders.setLanguage(current);
    m_fonts.dropMainSet();
    m_fonts.buildFonts(screenScale(), m_pack, current, m_folders.skinsDir, m_warnings.get());
    if (m_tray) {
        setTrayMenuTexts(*m_tray, m_pack);
    }
    m_window->update();
}

std::string App::macroName(int code) const {
    const int group = code / 256 - 1;
    const int macro = code % 256;
    if (!m_library || group < 0 || group >= m_library->groupCount()) {
        return {};
    }
    const auto& names = m_library->macroNames(group);
    return macro < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(macro)]
                                                  : std::string();
}

void App::showAbout() {
    QMessageBox::about(m_window.get(), qs(m_description.productName(m_state.language.load())),
                       QStringLiteral("ZEL GMouse %1\nThe configuration program of the ZEL "
                                      "programmable gaming mouse.")
                           .arg(QCoreApplication::applicationVersion()));
}

bool App::renderPages(const std::string& folder) {
    std::filesystem::create_directories(folder);
    bool ok = true;
    static constexpr std::array<const char*, 4> kNames = {"main", "advanced", "macro", "lighting"};
    // A hovered and a pressed element per page: a button label, a DPI level, the record
    // element, the effect choice.
    static constexpr std::array<std::pair<int, int>, 4> kHot = {
        std::pair{20, 0}, std::pair{255, 60}, std::pair{255, 4}, std::pair{255, 35}};
    PointerState& ps = m_state.pointer;
    for (int page = 0; page < 4; ++page) {
        ps = PointerState{};
        ps.page = static_cast<PageId>(page);
        const std::string base = folder + "/" + kNames[static_cast<std::size_t>(page)];
        ok &= m_window->compose().save(qs(base + ".png"));
        const auto [main, other] = kHot[static_cast<std::size_t>(page)];
        ps.hotMain = main;
        ps.hotAdvanced = page == 1 ? other : 255;
        ps.hotMacro = page == 2 ? other : 255;
        ps.hotLighting = page == 3 ? other : 255;
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
    if (m_link) {
        m_link->endTransfer();
        if (m_link->hasWriteHandle()) {
            sendClose(*m_link);
        }
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
