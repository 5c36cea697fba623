#pragma once

namespace zel {

/// The page the main window shows.
enum class PageId : int { MainPage = 0, AdvancedPage = 1, MacroPage = 2, LightingPage = 3 };
inline constexpr int kPageCount = 4;

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

/// No element under the pointer.
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
    /// A sub-popup made its choice: the assignment popup goes at the next paint.
    bool closePopupOnPaint = false;
};

} // namespace zel
