#include "programming/Download.h"

#include "common/WarningSink.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "platform/system/PointerSettings.h"
#include "programming/DownloadMacros.h"
#include "settings/DeviceDescription.h"

#include <algorithm>

namespace zel {

namespace {

constexpr std::array<int, 12> kPointerSpeeds = {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
constexpr int kOtherPointerSpeed = 6;

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

void handOverButtons(DeviceLink& link, const ProfileSettings& profile,
                     const DeviceDescription& device) {
    const int slots = std::clamp<int>(device.keyCount, 0, kButtonSlots);
    for (int k = 0; k < slots; ++k) {
        const std::uint8_t physical = device.deviceKeyOfSlot(k);
        if (physical != 0 && handedToProgram(profile.buttonCode[static_cast<std::size_t>(k)])) {
            static_cast<void>(sendKeyFunction(link, physical, 0));
        }
    }
}

void DownloadChanges::apply(std::array<ProfileSettings, kProfileCount>& profiles,
                            SharedSettings& shared) const {
    if (!any) {
        return;
    }
    shared.reportRateCode = reportRateCode;
    for (const auto& [p, k] : dropped) {
        profiles[static_cast<std::size_t>(p)].buttonCode[static_cast<std::size_t>(k)] = 0;
    }
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
    // Device writes are fire-and-forget: a failed report does not stop the download; it is
    // only counted, so that the owner can say the mouse was not reached.
    if (!m_ctx.link.writeBlock(block.address, block.bytes.data(), block.bytes.size())) {
        ++m_failed;
    }
    ++m_written;
    if (m_hooks.progress) {
        m_hooks.progress(m_written, m_total);
    }
}

DownloadResult Download::run(const DownloadRequest& request, DownloadChanges& changes) {
    // Two downloads at once would interleave their block sequences and share the
    // remembered values; the second waits.
    std::lock_guard runLock(m_runMutex);
    BusyGuard busy(m_ctx.downloadBusy);
    // Another program that talks to the same mouse (the command-line tool beside the
    // window) waits for the whole download, so the memory ends up as one of them wrote it.
    const DeviceLink::DeviceHold hold(m_ctx.link);

    if (m_hooks.clearToggleState) {
        m_hooks.clearToggleState();
    }
    if (m_hooks.setSoundDpiStage) {
        m_hooks.setSoundDpiStage(request.records.shared.dpiLevel);
    }
    static_cast<void>(m_ctx.link.statusReport());

    // The images are built from the owner's copy; what the download changes in the records
    // goes back to the owner in `changes`.
    std::array<ProfileSettings, kProfileCount> profiles = request.records.profiles;
    SharedSettings shared = request.records.shared;
    shared.reportRateCode = kReportIntervalCode;
    changes = DownloadChanges{};
    changes.any = true;
    changes.reportRateCode = kReportIntervalCode;
    const int keyCount = std::clamp(m_ctx.device.keyCount, 0, kButtonSlots);
    const ResolvedMacros resolved = resolveButtonMacros(profiles, keyCount, m_ctx.macros);
    changes.dropped.assign(resolved.dropped.begin(), resolved.dropped.end());
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
    // Both images are built before the first write, so that the count of blocks is known
    // from the start; the writes keep their order.
    const MacroImage image =
        buildMacroImage(MacroImageInput{tables, profiles, resolved.macros, m_ctx.keys,
                                        request.language, currentProfile, shared.lightMode});
    m_written = 0;
    m_failed = 0;
    m_total = 1 + static_cast<int>(config.blocks.size());
    for (const ImageOp& op : image.ops) {
        m_total += std::holds_alternative<BlockWrite>(op) ? 1 : 0;
    }
    write(config.header);
    for (const BlockWrite& block : config.blocks) {
        write(block);
    }

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
    changes.failedWrites = m_failed;
    if (image.aborted) {
        changes.aborted = true;
        return DownloadResult::Aborted;
    }

    m_ctx.link.endTransfer();
    static_cast<void>(
        system::applyPointerSpeed(m_ctx.pointer, systemPointerSpeed(shared.dpiSpeed)));
    static_cast<void>(system::applyWheelLines(m_ctx.pointer, shared.wheelSpeed));

    if (shared.softHardMacro == 1 && currentProfile >= 0 && currentProfile < kProfileCount) {
        // The program plays these buttons' macros itself.
        handOverButtons(m_ctx.link, profiles[static_cast<std::size_t>(currentProfile)],
                        m_ctx.device);
    }
    return DownloadResult::Completed;
}

} // namespace zel
