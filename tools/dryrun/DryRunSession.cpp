#include "dryrun/DryRunSession.h"

#include <cstdio>
#include <filesystem>

namespace zel::dryrun {

namespace {

sim::SimLayout layoutFor(std::uint16_t productId, const std::string& productString) {
    sim::SimLayout layout;
    layout.productId = productId;
    layout.productString = productString;
    return layout;
}

std::string settingsFileOf(const std::string& appDir) {
    return FolderTree::make(appDir, 0).settingsFile();
}

} // namespace

DryRunSession::DryRunSession(Options options)
    : m_options(std::move(options)), m_warnings(m_options.onWarning),
      m_folders(FolderTree::make(m_options.appDir, 0)),
      m_store(m_ini, m_warnings, m_keys, [this] { return m_language; }),
      m_files(m_ini, m_keys, m_warnings, 0),
      m_library(m_ini, m_files, m_current, m_warnings, m_chooser, m_names, MacroFolders{}),
      m_catalogue(m_files, m_library, m_current, m_presets.groupMacros),
      m_mouse(
          layoutFor(m_options.productId,
                    loadDeviceDescription(m_ini, settingsFileOf(m_options.appDir)).deviceString)),
      m_link(m_backend, m_options.sleeper != nullptr ? *m_options.sleeper : m_steadySleeper,
             acceptProductString(
                 loadDeviceDescription(m_ini, settingsFileOf(m_options.appDir)).deviceString)) {
    const std::string settings = m_folders.settingsFile();
    m_usable = std::filesystem::is_regular_file(settings);
    if (!m_usable) {
        return;
    }
    // The order of the program's start-up: model description, current profile and
    // language, the four profiles, the macro groups, the mouse, the weapon presets.
    m_device = loadDeviceDescription(m_ini, settings);
    m_currentProfile = m_store.readCurrentProfile(settings);
    m_language = m_ini.readInt(settings, "Init", "VER_SEL", 4) & 0xFF;
    m_folders.setLanguage(m_language);
    for (int p = 0; p < kProfileCount; ++p) {
        m_store.loadProfile(m_folders.configDir, p, false);
    }
    m_files.setLanguage(m_language);
    m_library.setFolders(
        MacroFolders{m_folders.macroDir, m_folders.macroResetDir, m_folders.configDir});
    m_library.start();

    m_backend.addDevice(m_mouse, "/dev/hidraw-sim0");
    static_cast<void>(m_link.open());

    const std::string presetFile = m_folders.languageDir + "/PUBG.dat";
    if (std::filesystem::is_regular_file(presetFile)) {
        MacroGroupState presets;
        m_files.ReadGroupFile(presetFile, presets);
        m_presets = presets;
    }

    DownloadHooks hooks = m_options.hooks;
    hooks.onStep = [this](const ImageOp& op) {
        if (m_onStep) {
            m_onStep(op);
        }
    };
    m_download = std::make_unique<Download>(DownloadContext{m_link, m_store, m_device, m_catalogue,
                                                            m_keys, m_warnings, m_pointer, m_busy},
                                            std::move(hooks));
}

DownloadResult DryRunSession::download(std::function<void(const ImageOp&)> onStep) {
    if (!m_download) {
        return DownloadResult::Aborted;
    }
    m_onStep = std::move(onStep);
    const DownloadRequest request{m_currentProfile, m_link.productKind(), m_language};
    const DownloadResult result = m_download->run(request);
    m_onStep = {};
    return result;
}

std::string formatBlockWrite(const BlockWrite& write) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X:", static_cast<unsigned>(write.address));
    std::string line = buf;
    for (const std::uint8_t b : write.bytes) {
        std::snprintf(buf, sizeof buf, " %02X", static_cast<unsigned>(b));
        line += buf;
    }
    return line;
}

} // namespace zel::dryrun
