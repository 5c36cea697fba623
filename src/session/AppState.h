#pragma once

#include "device/ProductKind.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace zel {

/// The run-time state that the main window, the workers and the device code share. The
/// words the workers read or write are atomics; the rest belongs to the window's thread.
struct AppState {
    std::atomic<bool> connected{false};
    std::atomic<ProductKind> productKind{ProductKind::NotSeen};
    std::atomic<std::int32_t> currentProfile{0};
    std::atomic<std::int32_t> language{0};
    std::atomic<bool> downloadBusy{false};
    std::atomic<bool> startMinimised{false};

    // The next warning box.
    std::string warningText;
    int warningKind = 2;
    /// 2: centred on the desktop; 0: relative to the main window.
    int warningPlacement = 2;
};

} // namespace zel
