#include "programming/Download.h"

#include "common/WarningSink.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "platform/system/PointerSettings.h"
#include "programming/DownloadMacros.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"

#include <algorithm>

namespace zel {

namespace {

constexpr std::array<int, 12> kPointerSpeeds = {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
constexpr int kOtherPointerSpeed = 6;
constexpr std::uint8_t kReportIntervalCode = 7;

// Clears the busy flag however the download ends.
struct BusyGuard {
    std::atomic<bool>& busy;
    explicit BusyGuard(std::atomic<bool>& flag) : busy(flag) { busy.store(true); }
    ~BusyGuard() { busy.store(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

} // namespace

int systemPointerSpeed(int dpiSpeed) {
    if (dpiSpeed < 0 || dpiSpeed >= static_cast<int>(kPointerSpeeds.size())) {
        return kOtherPointerSpeed;
    }
    return kPointerSpeeds[static_cast<std::size_t>(dpiSpeed)];
}

Download::Download(DownloadContext context, DownloadHooks hooks)
    : m_ctx(context), m_hooks(std::move(hooks)) {}

ButtonTables Download::buttonTables() const {
    std::lock_guard lock(m_tablesMutex);
    return m_tables;
}

void Download::write(const BlockWrite& block) {
    if (m_hooks.onStep) {
        m_hooks.onStep(block);
    }
    // Device writes are fire-and-forget: a failed report does not stop the download.
    static_cast<void>(m_ctx.link.writeBlock(block.address, block.bytes.data(), block.bytes.size()));
}

DownloadResult Download::run(const DownloadRequest& request) {
    // Two downloads at once would interleave their block sequences and share the
    // remembered values; the second waits.
    std::lock_guard runLock(m_runMutex);
    BusyGuard busy(m_ctx.downloadBusy);
    ProfileStore& store = m_ctx.store;

    if (m_hooks.clearToggleState) {
        m_hooks.clearToggleState();
    }
    if (m_hooks.setSoundDpiStage) {
        m_hooks.setSoundDpiStage(store.shared.dpiLevel);
    }
    static_cast<void>(m_ctx.link.statusReport());

    // Work on a copy of the settings, so the images stay consistent while other threads
    // go on reading and changing them; the changes the download makes go to both.
    std::array<ProfileSettings, kProfileCount> profiles = store.profiles;
    store.shared.reportRateCode = kReportIntervalCode;
    const SharedSettings shared = store.shared;
    const int keyCount = std::clamp(m_ctx.device.keyCount, 0, kButtonSlots);
    const ResolvedMacros resolved = resolveButtonMacros(profiles, keyCount, m_ctx.macros);
    for (const auto& [p, k] : resolved.dropped) {
        store.profiles[static_cast<std::size_t>(p)].buttonCode[static_cast<std::size_t>(k)] = 0;
    }
    const ButtonTables tables = buildButtonTables(profiles, m_ctx.device, resolved.modes);
    {
        std::lock_guard lock(m_tablesMutex);
        m_tables = tables;
    }
    if (m_hooks.publishTables) {
        m_hooks.publishTables(tables);
    }
    const int currentProfile = request.currentProfile;

    const ConfigImage config = buildConfigImage(ConfigImageInput{
        tables, shared, currentProfile, request.productKind == ProductKind::Pid1201,
        m_previousEffect, m_previousMacroEnd});
    m_previousEffect = config.effect;
    write(config.header);
    for (const BlockWrite& block : config.blocks) {
        write(block);
    }

    const MacroImage image =
        buildMacroImage(MacroImageInput{tables, profiles, resolved.macros, m_ctx.keys,
                                        request.language, currentProfile, shared.lightMode});
    for (const ImageOp& op : image.ops) {
        if (const auto* block = std::get_if<BlockWrite>(&op)) {
            if (block->address == kMacroEndAddress) {
                m_previousMacroEnd = image.macroEnd;
            }
            write(*block);
        } else {
            if (m_hooks.onStep) {
                m_hooks.onStep(op);
            }
            m_ctx.warnings.warn(std::get<ImageWarning>(op).tip);
        }
    }
    if (image.aborted) {
        return DownloadResult::Aborted;
    }

    m_ctx.link.endTransfer();
    static_cast<void>(
        system::applyPointerSpeed(m_ctx.pointer, systemPointerSpeed(shared.dpiSpeed)));
    static_cast<void>(system::applyWheelLines(m_ctx.pointer, shared.wheelSpeed));

    if (shared.softHardMacro == 1 && currentProfile >= 0 && currentProfile < kProfileCount) {
        const ProfileSettings& profile = profiles[static_cast<std::size_t>(currentProfile)];
        for (std::size_t k = 0; k < static_cast<std::size_t>(keyCount); ++k) {
            const std::int32_t code = profile.buttonCode[k];
            if (code == kSwitchKeyCode || code >= 41) {
                // The program plays these buttons' macros itself.
                static_cast<void>(sendKeyFunction(m_ctx.link, m_ctx.device.keyMap[k], 0));
            }
        }
    }
    return DownloadResult::Completed;
}

} // namespace zel
