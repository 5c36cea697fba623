#include "session/CoreSession.h"

#include "device/DeviceCommands.h"
#include "platform/hid/HidrawBackend.h"
#include "platform/system/DesktopPointerSettings.h"
#include "presentation/LanguageSwitch.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <algorithm>
#include <filesystem>

namespace zel {

namespace {

constexpr const char* kSimulatedPath = "/dev/zel-simulated-mouse";
constexpr const char* kPresetFileName = "/PUBG.dat";

} // namespace

CoreSession::CoreSession(CoreSessionOptions options, CoreSinks sinks)
    : m_options(std::move(options)), m_sinks(sinks),
      m_keys(m_sinks.names != nullptr ? m_sinks.names : &m_pack),
      m_profiles(m_ini, m_sinks.warnings, m_keys, [this] { return m_state.language.load(); }) {}

CoreSession::~CoreSession() {
    stopWorkers();
}

bool CoreSession::hasDataSet() const {
    std::error_code ec;
    return std::filesystem::is_directory(m_options.appDir + "/skins", ec);
}

bool CoreSession::hasSettings() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(FolderTree::make(m_options.appDir, 0).settingsFile(),
                                            ec);
}

void CoreSession::loadSettings() {
    m_folders = FolderTree::make(m_options.appDir, 0);
    const std::string settings = m_folders.settingsFile();
    m_description = loadDeviceDescription(m_ini, settings);
    m_state.currentProfile = m_profiles.readCurrentProfile(settings);
    m_state.language = readLanguageIndex(m_ini, settings);
    m_folders.setLanguage(m_state.language.load());
    for (int p = 0; p < kProfileCount; ++p) {
        m_profiles.loadProfile(m_folders.configDir, p, false);
    }
    if (const auto check = m_ini.check(settings);
        check.state == ini::IniStore::FileState::Unreadable) {
        // The file is there but could not be read: the profiles come from the factory copy
        // in memory, and the settings engine leaves the file alone until it can be read.
        m_settingsProblem = settings + " could not be read (" + check.problem + ")";
        for (int p = 0; p < kProfileCount; ++p) {
            m_profiles.loadProfile(m_folders.configDir, p, true);
        }
        // The model comes from the factory copy as well: without it the mouse would be
        // sent a configuration with no buttons at all.
        if (DeviceDescription factory = loadDeviceDescription(m_ini, m_folders.factoryFile());
            factory.keyCount > 0) {
            m_description = std::move(factory);
        }
    }
    m_profiles.publish();
    m_manager =
        std::make_unique<ProfileManager>(m_profiles, m_ini, m_description, m_folders,
                                         m_state.currentProfile, m_sinks.warnings, m_sinks.chooser);
}

void CoreSession::createDevice() {
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
        backend->addDevice(*m_simMouse, kSimulatedPath);
        m_backend = std::move(backend);
    } else if (m_options.backend == nullptr) {
        m_backend = std::make_unique<hid::HidrawBackend>();
    }
    m_link = std::make_unique<DeviceLink>(m_backend ? *m_backend : *m_options.backend,
                                          m_options.linkSleeper != nullptr ? *m_options.linkSleeper
                                                                           : m_sleeper,
                                          acceptProductString(m_description.deviceString));
    if (m_options.pointer != nullptr) {
        m_pointer = m_options.pointer;
    } else {
        m_ownPointer =
            system::makePointerSettings(system::DesktopEnvironment::fromProcess(), m_runner, m_ini);
        m_pointer = m_ownPointer.get();
    }
}

void CoreSession::loadLanguage() {
    m_folders.setLanguage(m_state.language.load());
    m_pack.load(m_ini, m_folders.languageDir, &m_sinks.messages);
}

SoftMacroContext CoreSession::softMacroContext() {
    SoftMacroContext context{
        m_profiles,          m_state.currentProfile, m_description, m_tables,
        *m_macroSource,      m_sinks.view,           m_ini,         m_folders.settingsFile(),
        m_folders.configDir, &m_sound.soundDpiStage};
    context.owner = &m_sinks.owner;
    return context;
}

void CoreSession::loadMacros() {
    const int language = m_state.language.load();
    m_macroFiles = std::make_unique<MacroFiles>(m_ini, m_keys, m_sinks.warnings, language);
    m_library = std::make_unique<MacroLibrary>(
        m_ini, *m_macroFiles, m_group, m_sinks.warnings, m_sinks.chooser,
        m_sinks.names != nullptr ? *m_sinks.names : m_pack,
        MacroFolders{m_folders.macroDir, m_folders.macroResetDir, m_folders.configDir});
    m_library->setReadOnly(m_options.readOnly);
    m_library->start();
    m_macroFiles->ReadConstMacros(m_folders.constMacroFile(), m_constMacros);

    m_catalogue =
        std::make_unique<LibraryMacroCatalogue>(*m_macroFiles, *m_library, m_group, m_presetBuffer);
    DownloadHooks hooks = m_options.downloadHooks;
    hooks.clearToggleState = [this, outer = hooks.clearToggleState] {
        m_soft.clearToggle();
        if (outer) {
            outer();
        }
    };
    hooks.publishTables = [this, outer = hooks.publishTables](const ButtonTables& tables) {
        m_tables.publish(tables);
        if (outer) {
            outer(tables);
        }
    };
    hooks.setSoundDpiStage = [this, outer = hooks.setSoundDpiStage](int stage) {
        m_sound.soundDpiStage.store(stage);
        if (outer) {
            outer(stage);
        }
    };
    hooks.progress = [this, outer = hooks.progress](int written, int total) {
        m_state.downloadTotal.store(total);
        m_state.downloadWritten.store(written);
        m_sinks.view.repaint();
        if (outer) {
            outer(written, total);
        }
    };
    m_download = std::make_unique<Download>(DownloadContext{*m_link, m_description, *m_catalogue,
                                                            m_keys, m_sinks.warnings, *m_pointer,
                                                            m_state.downloadBusy},
                                            std::move(hooks));

    m_macroSource = std::make_unique<FileMacroSource>(
        *m_macroFiles, *m_library, m_ini, [this] { return m_group.datVersion; },
        [this](int index) { return publishedPreset(index); });
    m_monitor = std::make_unique<DeviceMonitor>(m_soft, softMacroContext(), *m_link);
    m_monitor->loadInitialWorkingMacro();
    m_playerCommands = std::make_unique<LinkPlayerCommands>(*m_link);
    m_player =
        std::make_unique<MacroPlayer>(m_soft, softMacroContext(), *m_playerCommands, m_sleeper);
}

void CoreSession::startWorkers() {
    if (m_monitor && !m_monitorWorker) {
        m_monitorWorker = std::make_unique<DeviceMonitorWorker>(*m_monitor, *m_link);
    }
    if (m_player && !m_playerWorker) {
        m_playerWorker = std::make_unique<MacroPlayerWorker>(*m_player);
    }
}

bool CoreSession::connect() {
    m_state.connected = m_link->open();
    m_state.productKind = m_link->productKind();
    return m_state.connected.load();
}

void CoreSession::loadPresets() {
    PresetStore presets(*m_macroFiles, m_sinks.messages);
    presets.LoadPresets(presetFile(), m_presets, m_group);
    publishPresets();
}

void CoreSession::publishPresets() {
    const auto count = static_cast<std::size_t>(std::clamp<int>(m_presets.count, 0, kMaxPresets));
    std::vector<MacroRecord> copy(m_presets.records.begin(),
                                  m_presets.records.begin() + static_cast<std::ptrdiff_t>(count));
    std::lock_guard lock(m_publishedPresetsMutex);
    m_publishedPresets = std::move(copy);
}

std::optional<MacroRecord> CoreSession::publishedPreset(int index) const {
    std::lock_guard lock(m_publishedPresetsMutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_publishedPresets.size()) {
        return std::nullopt;
    }
    return m_publishedPresets[static_cast<std::size_t>(index)];
}

std::string CoreSession::presetFile() const {
    return m_folders.languageDir + kPresetFileName;
}

void CoreSession::resetAllProfiles() {
    m_manager->resetAllProfiles();
    if (m_macroFiles) {
        loadPresets();
    }
}

void CoreSession::handOverSoftMacroButtons() {
    if (m_profiles.shared.softHardMacro != 1) {
        return;
    }
    const auto profile =
        static_cast<std::size_t>(std::clamp(m_state.currentProfile.load(), 0, kProfileCount - 1));
    handOverButtons(*m_link, m_profiles.profiles[profile], m_description);
}

DownloadRequest CoreSession::downloadRequest() {
    // The catalogue sees the weapon presets as a macro buffer.
    m_presetBuffer = MacroBuffer{};
    m_presetBuffer.count = std::clamp<std::int16_t>(m_presets.count, 0, kMaxPresets);
    for (std::size_t i = 0; i < kMaxPresets; ++i) {
        m_presetBuffer.records[i] = m_presets.records[i];
    }
    DownloadRequest request;
    request.currentProfile = m_state.currentProfile.load();
    request.productKind = m_state.productKind.load();
    request.language = m_state.language.load();
    request.records = m_profiles.snapshot();
    return request;
}

DownloadResult CoreSession::runDownload() {
    if (!m_download) {
        return DownloadResult::Aborted;
    }
    waitForDownload();
    DownloadChanges changes;
    const DownloadResult result = m_download->run(downloadRequest(), changes);
    takeDownloadChanges(changes);
    return result;
}

void CoreSession::startDownload() {
    if (!m_download) {
        return;
    }
    waitForDownload();
    // Busy from now on, so that an Apply before the worker runs is ignored too.
    m_state.downloadBusy = true;
    m_downloadWorker = std::jthread([this, request = downloadRequest()] {
        DownloadChanges changes;
        static_cast<void>(m_download->run(request, changes));
        {
            std::lock_guard lock(m_changesMutex);
            m_pendingChanges = std::move(changes);
        }
        m_sinks.owner.post([this] { takePendingChanges(); });
    });
}

void CoreSession::waitForDownload() {
    if (m_downloadWorker.joinable()) {
        m_downloadWorker.join();
        takePendingChanges();
    }
}

void CoreSession::takePendingChanges() {
    std::optional<DownloadChanges> changes;
    {
        std::lock_guard lock(m_changesMutex);
        changes.swap(m_pendingChanges);
    }
    if (changes) {
        takeDownloadChanges(*changes);
    }
}

void CoreSession::takeDownloadChanges(const DownloadChanges& changes) {
    changes.apply(m_profiles.profiles, m_profiles.shared);
    m_profiles.publish();
    if (downloadEnded) {
        downloadEnded(changes);
    }
}

void CoreSession::closeDevice() {
    if (m_link) {
        m_link->endTransfer();
        if (m_link->hasWriteHandle()) {
            static_cast<void>(sendClose(*m_link));
        }
    }
}

void CoreSession::stopWorkers() {
    waitForDownload();
    if (m_playerWorker) {
        m_playerWorker->stop();
    }
    if (m_monitorWorker) {
        m_monitorWorker->stop();
    }
}

std::string CoreSession::macroName(int code) const {
    const int group = code / 256 - 1;
    const int macro = code % 256;
    if (!m_library || group < 0 || group >= m_library->groupCount()) {
        return {};
    }
    const auto& names = m_library->macroNames(group);
    return macro < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(macro)]
                                                  : std::string();
}

} // namespace zel
