#pragma once

#include "device/ProductKind.h"
#include "programming/ConfigImage.h"
#include "programming/MacroImage.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace zel {

class DeviceLink;
class MacroCatalogue;
class MacVkAndText;
class ProfileStore;
class WarningSink;
struct DeviceDescription;
namespace system {
class PointerSettings;
}

/// What the download works with; everything outlives the `Download`.
struct DownloadContext {
    DeviceLink& link;
    /// The in-memory profiles and shared settings: read, and changed where the download
    /// changes them (dropped assignments, the report-interval code).
    ProfileStore& store;
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
};

/// The state of the program that the download reads.
struct DownloadRequest {
    int currentProfile = 0;
    ProductKind productKind = ProductKind::NotSeen;
    int language = 0;
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

    DownloadResult run(const DownloadRequest& request);

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
};

} // namespace zel
