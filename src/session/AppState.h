#pragma once

#include "device/ProductKind.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace zel {

/// What a download came to, as the Apply element says it.
enum ApplyOutcome : int {
    kApplyNothing = 0,
    kApplyDone = 1,
    kApplyNoMouse = 2,
    kApplyMemoryFull = 3
};

/// The run-time state that the main window, the workers and the device code share. The
/// words the workers read or write are atomics; the rest belongs to the window's thread.
struct AppState {
    std::atomic<bool> connected{false};
    std::atomic<ProductKind> productKind{ProductKind::NotSeen};
    std::atomic<std::int32_t> currentProfile{0};
    std::atomic<std::int32_t> language{0};
    std::atomic<bool> downloadBusy{false};
    /// Blocks of the running download written so far, and its count of blocks (0 before
    /// the first download); the Apply element follows them.
    std::atomic<std::int32_t> downloadWritten{0};
    std::atomic<std::int32_t> downloadTotal{0};
    std::atomic<bool> startMinimised{false};

    /// What the last Apply came to, shown on the Apply element for a moment: 0 nothing,
    /// then the `ApplyOutcome` values.
    int applyOutcome = 0;

    // The next warning box.
    std::string warningText;
    int warningKind = 2;
    /// 2: centred on the desktop; 0: relative to the main window.
    int warningPlacement = 2;
};

} // namespace zel
