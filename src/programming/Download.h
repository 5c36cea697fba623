#pragma once

#include "device/ProductKind.h"
#include "programming/ConfigImage.h"
#include "programming/MacroImage.h"
#include "settings/ProfileStore.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace zel {

class DeviceLink;
class MacroCatalogue;
class MacVkAndText;
class WarningSink;
struct DeviceDescription;
namespace system {
class PointerSettings;
}

/// True for the buttons the program plays itself in software macro mode: a switch key
/// (code 18) or a macro code (41 and up).
constexpr bool handedToProgram(std::int32_t code) {
    return code == kSwitchKeyCode || code >= kFirstMacroCode;
}

/// Sends the key-function command with function 0 for every button of `profile` that the
/// program plays itself (physical number from the device description), so that the mouse
/// leaves those buttons to the program.
void handOverButtons(DeviceLink& link, const ProfileSettings& profile,
                     const DeviceDescription& device);

/// What the download works with; everything outlives the `Download`.
struct DownloadContext {
    DeviceLink& link;
    const DeviceDescription& device;
    const MacroCatalogue& macros;
    const MacVkAndText& keys;
    WarningSink& warnings;
    system::PointerSettings& pointer;
    /// Set for the whole download (the Apply element ignores clicks while it is set).
    std::atomic<bool>& downloadBusy;
};

/// What the download touches of the software macro player and the sound-reactive
/// lighting, and an observer of its writes. Every member may be empty.
struct DownloadHooks {
    /// Clears the player's toggle state at the start.
    std::function<void()> clearToggleState;
    /// Receives the DPI stage for the sound-reactive lighting.
    std::function<void(int)> setSoundDpiStage;
    /// Sees every block write and warning in the order they happen.
    std::function<void(const ImageOp&)> onStep;
    /// Receives the button tables of each download as soon as they are built (for the
    /// event monitor's `SharedButtonTables`).
    std::function<void(const ButtonTables&)> publishTables;
    /// After each block written: how many of the download's blocks are written, of how
    /// many (the header, the configuration blocks and the macro blocks).
    std::function<void(int written, int total)> progress;
};

/// The state of the program that the download reads: a copy of the records, taken by
/// their owner when the download starts, so the download never touches the owner's records.
struct DownloadRequest {
    int currentProfile = 0;
    ProductKind productKind = ProductKind::NotSeen;
    int language = 0;
    ProfileRecords records;
};

/// What a download changes in the records: the owner applies it when the download has
/// ended (`apply`).
struct DownloadChanges {
    /// (profile, slot) of each button whose macro could not be found: its code becomes 0.
    std::vector<std::pair<int, int>> dropped;
    /// The report-interval code every download sets.
    std::uint8_t reportRateCode = 0;
    bool any = false;
    /// Blocks the mouse did not take (none reached it when it was gone).
    int failedWrites = 0;
    /// The download stopped because the macros do not fit into the mouse's memory.
    bool aborted = false;

    void apply(std::array<ProfileSettings, kProfileCount>& profiles, SharedSettings& shared) const;
};

enum class DownloadResult { Completed, Aborted };

/// The pointer speed the system gets for a DPI_SPEED index 0..11 (6 for any other).
int systemPointerSpeed(int dpiSpeed);

/// The full configuration download: header, configuration blocks, macro directory and
/// streams, end of transfer, system pointer settings and, in software macro mode, the
/// hand-over of the macro buttons. Keeps the values one download passes to the next
/// (the effect for effect 13, the macro end) and the button tables the event monitor reads.
class Download {
public:
    explicit Download(DownloadContext context, DownloadHooks hooks = {});

    /// Runs the download of `request.records`; what it changes in them is left in
    /// `changes` for the owner of the records.
    DownloadResult run(const DownloadRequest& request, DownloadChanges& changes);

    /// The button tables of the last download (all zero before the first).
    ButtonTables buttonTables() const;

private:
    void write(const BlockWrite& block);

    DownloadContext m_ctx;
    DownloadHooks m_hooks;
    std::mutex m_runMutex;
    mutable std::mutex m_tablesMutex;
    ButtonTables m_tables{};
    std::uint8_t m_previousEffect = 0;
    std::uint16_t m_previousMacroEnd = 0;
    // The count of the running download (its thread only).
    int m_written = 0;
    int m_total = 0;
    int m_failed = 0;
};

} // namespace zel
