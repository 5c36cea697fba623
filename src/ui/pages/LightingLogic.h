#pragma once

#include "settings/ProfileSettings.h"

#include <array>
#include <cstdint>
#include <span>

namespace zel {

class ColourChooser;

/// The lighting effects the mouse knows: codes 0..13.
inline constexpr int kLedEffectCount = 14;
/// The effect that plays a reaction per button, with a reaction type each.
inline constexpr int kReactionEffect = 12;
/// The effect whose description line (the layout's last text) is shown.
inline constexpr int kWaveEffect = 3;

/// The controls of the lighting page that only some effects use.
enum class LightingControl {
    UserColours,   ///< the seven colour swatches and their on/off toggles
    Speed,         ///< LED_CYCTIME
    Brightness,    ///< LED_BRIGHT
    Symmetry,      ///< LED_FEATURE_SYMMETRY
    SideDirection, ///< directions 0 and 1 (left, right)
    Outward,       ///< direction 2
    Inward,        ///< direction 3
    ReactionTypes, ///< the reaction type of each button
    ReactionToggles,
};

/// Whether effect `effect` uses `control`; an effect outside 0..13 uses only the reaction
/// toggles.
bool effectUses(int effect, LightingControl control);

/// The direction control of direction `direction` (0..3).
LightingControl directionControl(int direction);

/// The lighting elements that are covered with the "unused" picture for `effect`: the
/// controls it does not use. Empty for an effect outside 0..13.
std::span<const int> coveredElements(int effect);

/// Whether lighting text entry `entry` stays blank for `effect` on the effects page.
bool effectHidesText(int effect, int entry);

/// Turns user colour `k` (0..6) on, or off while another one stays on; keeps the colour
/// mask and the per-colour flags together. Returns whether anything changed.
bool toggleUserColour(SharedSettings& shared, int k);

/// Width of the filled part of the speed slider: (LED_CYCTIME + 1) sixths, all of it above
/// 4.
int ledSpeedSliderFill(int cycleTime, int width);
/// Width of the filled part of the brightness slider: (7 − LED_BRIGHT) sevenths, all of it
/// at 0 (the brightest is at the right end).
int ledBrightSliderFill(int brightness, int width);

/// Toggles the reaction of button `slot`; a slot outside the buttons changes nothing.
void toggleReaction(ProfileSettings& profile, int slot);

/// Stores `chosen` as three colour levels and rebuilds the display colour from them.
void storeColour(std::array<std::int32_t, 3>& levels, ColourRef& display, ColourRef chosen);

/// Asks `chooser` for user colour `k` (from black) and stores a confirmed colour. Returns
/// whether the colour was stored (false when cancelled or `k` is not a user colour).
bool chooseUserColour(ColourChooser& chooser, SharedSettings& shared, int k);

/// As `chooseUserColour`, for the colour of DPI level `level` (0..5).
bool chooseDpiColour(ColourChooser& chooser, SharedSettings& shared, int level);

} // namespace zel
