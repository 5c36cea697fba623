#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

struct SharedSettings;

/// The value 1..steps of a slider whose rectangle starts at `x0` and is `width` wide, for
/// the pointer at `x`.
int sliderValue(int x, int x0, int width, int steps);

/// Toggles DPI level `level` (0..5) on or off, keeping the current level enabled and at
/// least one level enabled.
void toggleDpiLevel(SharedSettings& shared, int level);

/// Whether the command line (the arguments after the program name, joined by blanks) asks
/// for a hidden start: the four characters after its first
/// "-" (or its first four characters when there is none) are exactly "HIDE".
bool commandLineAsksHidden(std::string_view commandLine);

/// The DPI shown for a DPI step 0..16 (other steps are clamped into that range).
int dpiOfStep(int step);

/// A button label as the main page draws it: longer than 16 characters is cut to the first
/// 16 and "..." is appended (characters, not bytes).
std::string buttonLabel(std::string_view label);

/// Whether the assignment menu of button `button` may open: another button below
/// `keyCount` of the profile holds AssignCode 1 (left click).
bool assignmentMenuAllowed(const std::array<std::int32_t, 12>& codes, int keyCount, int button);

/// The stored value of each slider from its slider value. These, the fills and the popup
/// placement take any `int`: a result beyond `int` stops at its nearest end.
int dpiSetFromSlider(int value);       ///< DPI_SET = value - 1
int fireTimeFromSlider(int value);     ///< FIRE_TIME = value, never below 8
int ledCycleTimeFromSlider(int value); ///< LED_CYCTIME = value - 1
int ledBrightFromSlider(int value);    ///< LED_BRIGHT = 7 - value

/// Whether polling-rate choice `index` (0 = 1000 Hz, the first element) takes effect: a
/// press on any of them keeps USB_SPEED 0, so the others are shown as unavailable.
constexpr bool pollingRateAvailable(int index) {
    return index == 0;
}

/// Width of the filled part of each advanced-page slider.
int dpiSliderFill(int step);                    ///< 303/17 scale, 303 at step 16
int elevenStepSliderFill(int value, int width); ///< DPI_SPEED and WHEEL_SPEED
int fireTimeSliderFill(int value, int width);   ///< FIRE_TIME over 300

/// Placement of an assignment popup below an element (x, y, w, h in screen coordinates),
/// or above it when it would pass the bottom of the work area.
struct PopupPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
PopupPlacement assignmentPopupPlacement(int x, int y, int w, int h, int popupHeight,
                                        int screenHeight);

/// AssignCode of the left click.
inline constexpr std::int32_t kCodeLeftClick = 1;

/// AssignCode of macro `index` (from 0) of group `group` (from 1): the first macro of the
/// first group is 256.
constexpr std::int32_t macroAssignCode(int group, int index) {
    return 256 * group + index;
}

/// Gives button `slot` AssignCode `code` in `codes` and clears its lighting mark
/// (`lightMarks`, LEFT_MAC), then keeps a left click: when no button below `keyCount` holds
/// code 1 and `profileIndex` is the first profile, the button after `slot` gets it (the last
/// button gets it back itself). The other profiles may be left without a left click.
/// A slot outside the buttons changes nothing.
void assignButton(std::array<std::int32_t, 12>& codes, std::array<std::int32_t, 12>& lightMarks,
                  int profileIndex, int slot, std::int32_t code, int keyCount);

/// The left-click guarantee alone, after button `slot` got a new code some other way (a key
/// combination).
void keepLeftClick(std::array<std::int32_t, 12>& codes, int profileIndex, int slot, int keyCount);

} // namespace zel
