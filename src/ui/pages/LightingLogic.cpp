#include "ui/pages/LightingLogic.h"

#include "presentation/LayoutElements.h"
#include "settings/ColourChooser.h"

#include <algorithm>
#include <bitset>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zel {

namespace {

namespace lighting = layout::skin_color;

/// The effects of a control as a set of effect codes.
using EffectSet = std::bitset<kLedEffectCount>;

constexpr EffectSet effects(std::initializer_list<int> codes) {
    EffectSet set;
    for (int c : codes) {
        set.set(static_cast<std::size_t>(c));
    }
    return set;
}

EffectSet usersOf(LightingControl control) {
    switch (control) {
    case LightingControl::UserColours:
        return effects({1, 3, 4, 5});
    case LightingControl::Speed:
        return ~effects({2, 9, 12, 13});
    case LightingControl::Brightness:
        return effects({2, 3, 4, 5});
    case LightingControl::Symmetry:
        return effects({3, 4, 5, 7});
    case LightingControl::SideDirection:
        return effects({3, 4, 5, 7, 10});
    case LightingControl::Outward:
        return effects({3, 4, 5});
    case LightingControl::Inward:
        return effects({3});
    case LightingControl::ReactionTypes:
        return effects({kReactionEffect});
    case LightingControl::ReactionToggles:
        return ~EffectSet();
    }
    return {};
}

// The covers: whole rows (colours, speed, brightness, directions, reaction types) or the
// single direction and symmetry icons an effect leaves out of a row it otherwise uses.
constexpr int kReactRow = lighting::kCoverReaction;
constexpr int kBrightRow = lighting::kCoverBrightness;
constexpr int kSpeedRow = lighting::kCoverSpeed;
constexpr int kDirectionRow = lighting::kCoverDirection;
constexpr int kColourRow = lighting::kCoverColours;
constexpr int kOutwardIcon = lighting::kDirectionFirst + 2;
constexpr int kInwardIcon = lighting::kDirectionFirst + 3;
constexpr int kMirrorIcon = lighting::kMirror;

const std::array<std::vector<int>, kLedEffectCount>& coverTable() {
    static const std::array<std::vector<int>, kLedEffectCount> table = {{
        {kBrightRow, kColourRow, kDirectionRow, kInwardIcon, kReactRow},             // 0
        {kDirectionRow, kBrightRow, kInwardIcon, kReactRow},                         // 1
        {kColourRow, kDirectionRow, kSpeedRow, kInwardIcon, kReactRow},              // 2
        {kReactRow},                                                                 // 3
        {kInwardIcon, kReactRow},                                                    // 4
        {kInwardIcon, kReactRow},                                                    // 5
        {kBrightRow, kDirectionRow, kReactRow, kColourRow},                          // 6
        {kBrightRow, kInwardIcon, kOutwardIcon, kReactRow, kColourRow},              // 7
        {kBrightRow, kDirectionRow, kReactRow, kColourRow},                          // 8
        {kSpeedRow, kBrightRow, kDirectionRow, kReactRow, kColourRow},               // 9
        {kMirrorIcon, kBrightRow, kInwardIcon, kOutwardIcon, kReactRow, kColourRow}, // 10
        {kBrightRow, kDirectionRow, kReactRow, kColourRow},                          // 11
        {kColourRow, kDirectionRow, kSpeedRow, kBrightRow, kInwardIcon},             // 12
        {kColourRow, kDirectionRow, kSpeedRow, kBrightRow, kInwardIcon, kReactRow},  // 13
    }};
    return table;
}

constexpr int kColoursCaption = lighting::kColoursCaption;
constexpr int kMirrorCaption = lighting::kMirrorCaption;
constexpr int kLeftCaption = lighting::kDirectionCaptionFirst;
constexpr int kRightCaption = lighting::kDirectionCaptionFirst + 1;
constexpr int kOutwardCaption = lighting::kDirectionCaptionFirst + 2;
constexpr int kInwardCaption = lighting::kDirectionCaptionFirst + 3;
constexpr int kBrightCaption = lighting::kBrightnessCaption;
constexpr int kSpeedCaption = lighting::kSpeedCaption;

const std::array<std::vector<int>, kLedEffectCount>& blankTextTable() {
    static const std::vector<int> noColourDirectionBright = {
        kColoursCaption, kMirrorCaption, kLeftCaption,  kRightCaption,
        kOutwardCaption, kInwardCaption, kBrightCaption};
    static const std::vector<int> onlyReactions = {kColoursCaption, kMirrorCaption,  kLeftCaption,
                                                   kRightCaption,   kOutwardCaption, kInwardCaption,
                                                   kBrightCaption,  kSpeedCaption};
    static const std::array<std::vector<int>, kLedEffectCount> table = {{
        noColourDirectionBright, // 0
        {kMirrorCaption, kLeftCaption, kRightCaption, kOutwardCaption, kInwardCaption,
         kBrightCaption}, // 1
        {kColoursCaption, kMirrorCaption, kLeftCaption, kRightCaption, kOutwardCaption,
         kInwardCaption, kSpeedCaption},                                                    // 2
        {},                                                                                 // 3
        {kInwardCaption},                                                                   // 4
        {kInwardCaption},                                                                   // 5
        noColourDirectionBright,                                                            // 6
        {kColoursCaption, kOutwardCaption, kInwardCaption, kBrightCaption},                 // 7
        noColourDirectionBright,                                                            // 8
        onlyReactions,                                                                      // 9
        {kColoursCaption, kMirrorCaption, kOutwardCaption, kInwardCaption, kBrightCaption}, // 10
        noColourDirectionBright,                                                            // 11
        onlyReactions,                                                                      // 12
        onlyReactions,                                                                      // 13
    }};
    return table;
}

bool validEffect(int effect) {
    return effect >= 0 && effect < kLedEffectCount;
}

} // namespace

bool effectUses(int effect, LightingControl control) {
    if (!validEffect(effect)) {
        return control == LightingControl::ReactionToggles;
    }
    return usersOf(control).test(static_cast<std::size_t>(effect));
}

LightingControl directionControl(int direction) {
    switch (direction) {
    case 2:
        return LightingControl::Outward;
    case 3:
        return LightingControl::Inward;
    default:
        return LightingControl::SideDirection;
    }
}

std::span<const int> coveredElements(int effect) {
    if (!validEffect(effect)) {
        return {};
    }
    return coverTable()[static_cast<std::size_t>(effect)];
}

bool effectHidesText(int effect, int entry) {
    if (!validEffect(effect)) {
        return false;
    }
    const std::vector<int>& blank = blankTextTable()[static_cast<std::size_t>(effect)];
    return std::find(blank.begin(), blank.end(), entry) != blank.end();
}

int ledSpeedSliderFill(int cycleTime, int width) {
    if (cycleTime > 4) {
        return width;
    }
    return static_cast<int>(
        std::clamp<std::int64_t>((std::int64_t{cycleTime} + 1) * width / 6, INT32_MIN, INT32_MAX));
}

int ledBrightSliderFill(int brightness, int width) {
    if (brightness == 0) {
        return width;
    }
    return static_cast<int>(
        std::clamp<std::int64_t>((7 - std::int64_t{brightness}) * width / 7, INT32_MIN, INT32_MAX));
}

bool toggleUserColour(SharedSettings& shared, int k) {
    if (k < 0 || k >= kUserColours) {
        return false;
    }
    const auto bit = static_cast<std::uint8_t>(1u << k);
    const auto ki = static_cast<std::size_t>(k);
    if (shared.cycleColourOn[ki] == 0) {
        shared.cycleColourOn[ki] = 1;
        shared.cycleColourMask = static_cast<std::uint8_t>(shared.cycleColourMask | bit);
        return true;
    }
    const auto on = std::count_if(shared.cycleColourOn.begin(), shared.cycleColourOn.end(),
                                  [](std::int32_t v) { return v != 0; });
    // The last colour that is on stays on.
    if (on < 2) {
        return false;
    }
    shared.cycleColourOn[ki] = 0;
    shared.cycleColourMask = static_cast<std::uint8_t>(shared.cycleColourMask & ~bit);
    return true;
}

void toggleReaction(ProfileSettings& profile, int slot) {
    if (slot < 0 || slot >= kButtonSlots) {
        return;
    }
    std::int32_t& enable = profile.reactEnable[static_cast<std::size_t>(slot)];
    enable = enable == 0 ? 1 : 0;
}

void storeColour(std::array<std::int32_t, 3>& levels, ColourRef& display, ColourRef chosen) {
    for (std::size_t c = 0; c < levels.size(); ++c) {
        levels[c] = colourLevel(static_cast<std::int32_t>((chosen >> (8 * c)) & 0xFF));
    }
    display = displayColour(levels[0], levels[1], levels[2]);
}

bool chooseUserColour(ColourChooser& chooser, SharedSettings& shared, int k) {
    if (k < 0 || k >= kUserColours) {
        return false;
    }
    // The dialog opens on black, whatever the colour was.
    const std::optional<ColourRef> chosen = chooser.choose(0);
    if (!chosen) {
        return false;
    }
    const auto ki = static_cast<std::size_t>(k);
    storeColour(shared.userColourLevel[ki], shared.userDisplayColour[ki], *chosen);
    return true;
}

bool chooseDpiColour(ColourChooser& chooser, SharedSettings& shared, int level) {
    if (level < 0 || level >= kDpiLevels) {
        return false;
    }
    const std::optional<ColourRef> chosen = chooser.choose(0);
    if (!chosen) {
        return false;
    }
    const auto li = static_cast<std::size_t>(level);
    storeColour(shared.dpiColourLevel[li], shared.dpiDisplayColour[li], *chosen);
    return true;
}

} // namespace zel
