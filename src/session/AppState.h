#pragma once

#include "device/ProductKind.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace zel {

/// The page the main window shows.
enum class PageId : int { MainPage = 0, AdvancedPage = 1, MacroPage = 2, LightingPage = 3 };

/// The slider that follows the pointer.
enum class DragMode : int {
    None = 0,
    DpiOfLevel = 1,
    DpiSpeed = 2,
    WheelSpeed = 3,
    FireTime = 4,
    LedCycleTime = 5,
    LedBright = 6,
};

inline constexpr int kNoElement = 255;

/// The pointer and page state of the main window (window thread only).
struct PointerState {
    PageId page = PageId::MainPage;
    int hotMain = kNoElement;
    int hotLighting = kNoElement;
    int hotAdvanced = kNoElement;
    int hotMacro = kNoElement;
    int lastMain = kNoElement;
    int lastLighting = kNoElement;
    int lastAdvanced = kNoElement;
    int lastMacro = kNoElement;
    bool pressed = false;
    DragMode dragMode = DragMode::None;
    bool leaveTracking = false;
    bool popupOpen = false;
    int menuButton = kNoElement;
};

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

    PointerState pointer;
};

} // namespace zel
