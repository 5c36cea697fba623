#include "dryrun/DryRunSession.h"

#include <cstdio>

namespace zel::dryrun {

CoreSessionOptions DryRunSession::coreOptions(const Options& options,
                                              MemoryPointerSettings& pointer,
                                              std::function<void(const ImageOp&)>& onStep) {
    CoreSessionOptions core;
    core.appDir = options.appDir;
    core.simulate = true;
    core.simulatedProduct = options.productId;
    core.linkSleeper = options.sleeper;
    core.pointer = &pointer;
    core.readOnly = true;
    core.downloadHooks = options.hooks;
    core.downloadHooks.onStep = [&onStep](const ImageOp& op) {
        if (onStep) {
            onStep(op);
        }
    };
    return core;
}

DryRunSession::DryRunSession(Options options)
    : m_options(std::move(options)), m_warnings(m_options.onWarning),
      m_messages(m_options.onMessage),
      m_core(coreOptions(m_options, m_pointer, m_onStep),
             CoreSinks{m_warnings, m_messages, m_chooser, m_view, m_owner}) {
    m_usable = m_core.hasSettings();
    if (!m_usable) {
        return;
    }
    // The program's start-up order: settings, mouse, language, macros, weapon presets.
    m_core.loadSettings();
    if (!m_core.settingsProblem().empty()) {
        m_messages.message(m_core.settingsProblem() + "; the factory profiles are used");
    }
    m_core.createDevice();
    m_core.loadLanguage();
    m_core.loadMacros();
    static_cast<void>(m_core.connect());
    m_core.loadPresets();
}

DownloadResult DryRunSession::download(std::function<void(const ImageOp&)> onStep) {
    if (!m_usable) {
        return DownloadResult::Aborted;
    }
    m_onStep = std::move(onStep);
    const DownloadResult result = m_core.runDownload();
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
