#include "ui/pages/PageDispatch.h"

#include "presentation/LayoutElements.h"
#include "settings/ProfileSettings.h"
#include "ui/pages/LightingLogic.h"
#include "ui/pages/PageLogic.h"

#include <algorithm>

namespace zel {

namespace {

namespace main_layout = layout::skin_main;
namespace advanced = layout::skin_advance;
namespace macro = layout::skin_mac;
namespace lighting = layout::skin_color;

PressOutcome outcome(PressOutcome::Kind kind) {
    PressOutcome o;
    o.kind = kind;
    return o;
}

PressOutcome warning(Tip tip) {
    PressOutcome o = outcome(PressOutcome::Kind::Warning);
    o.warning = tip;
    return o;
}

PressOutcome withSlot(PressOutcome::Kind kind, int slot) {
    PressOutcome o = outcome(kind);
    o.slot = slot;
    return o;
}

PressOutcome slider(DragMode mode) {
    PressOutcome o = outcome(PressOutcome::Kind::StartSlider);
    o.slider = mode;
    return o;
}

bool within(int element, int first, int count) {
    return element >= first && element < first + count;
}

/// Empty space of the page: nothing of the page's layout nor of the frame is under the
/// pointer.
PressOutcome emptySpace(PagePress press) {
    return press.pageElement == kNoElement && press.frameElement == kNoElement
               ? outcome(PressOutcome::Kind::WindowDrag)
               : PressOutcome{};
}

} // namespace

std::optional<PageId> tabPressed(PageId shown, int frameElement) {
    if (!within(frameElement, main_layout::kTabFirst, main_layout::kTabCount)) {
        return std::nullopt;
    }
    const auto page = static_cast<PageId>(frameElement - main_layout::kTabFirst);
    return page == shown ? std::nullopt : std::optional(page);
}

bool isPictureZone(int element, int keyCount) {
    // The zones run from 50 up to 48 + the button count.
    return element >= main_layout::kPictureZoneFirst &&
           element <= main_layout::kPictureZoneFirst + keyCount - 2;
}

int hoveredButton(int element, int keyCount) {
    if (within(element, main_layout::kButtonLabelFirst, keyCount)) {
        return element - main_layout::kButtonLabelFirst;
    }
    if (within(element, main_layout::kButtonZoneFirst, keyCount)) {
        return element - main_layout::kButtonZoneFirst;
    }
    return -1;
}

PressOutcome pressButtonsPage(int element, int keyCount, const std::array<std::int32_t, 12>& codes,
                              SharedSettings& shared) {
    if (isPictureZone(element, keyCount)) {
        return {};
    }
    if (within(element, main_layout::kButtonLabelFirst, keyCount)) {
        const int slot = element - main_layout::kButtonLabelFirst;
        if (!assignmentMenuAllowed(codes, keyCount, slot)) {
            return warning(Tip::KeepLeftClick);
        }
        PressOutcome o = outcome(PressOutcome::Kind::AssignmentMenu);
        o.slot = slot;
        return o;
    }
    if (element == main_layout::kWheelNormal || element == main_layout::kWheelReversed) {
        shared.wheelStatus = element - main_layout::kWheelNormal;
        return {};
    }
    if (element == main_layout::kSoundLighting) {
        // Outside the DPI indicator mode the sound-reactive lighting window opens, which is
        // not this window's.
        return shared.lightMode == 1 ? warning(Tip::NoSoundLightingInDpiMode) : PressOutcome{};
    }
    // Toggles 4 to 6 would follow the first three; on this page those numbers are picture
    // zones (above) when the mouse has buttons enough.
    if (within(element, main_layout::kDpiToggleFirst, kDpiLevels)) {
        toggleDpiLevel(shared, element - main_layout::kDpiToggleFirst);
        return {};
    }
    return element == kNoElement ? outcome(PressOutcome::Kind::WindowDrag) : PressOutcome{};
}

PressOutcome pressAdvancedPage(PagePress press, SharedSettings& shared) {
    const int e = press.pageElement;
    if (within(e, advanced::kDpiToggleFirst, advanced::kDpiToggleCount)) {
        toggleDpiLevel(shared, e - advanced::kDpiToggleFirst);
    } else if (within(e, advanced::kDpiRowFirst, advanced::kDpiRowCount)) {
        // Only an enabled level can become the current one.
        if (shared.dpiEnabled[static_cast<std::size_t>(e - advanced::kDpiRowFirst)]) {
            shared.dpiLevel = e - advanced::kDpiRowFirst;
        }
    } else if (within(e, advanced::kDpiColourFirst, advanced::kDpiColourCount)) {
        return withSlot(PressOutcome::Kind::DpiColour, e - advanced::kDpiColourFirst);
    } else if (e == advanced::kDpiSlider) {
        return slider(DragMode::DpiOfLevel);
    } else if (e == advanced::kPointerSpeedSlider) {
        return slider(DragMode::DpiSpeed);
    } else if (e == advanced::kWheelSpeedSlider) {
        return slider(DragMode::WheelSpeed);
    } else if (e == advanced::kFireTimeSlider) {
        return slider(DragMode::FireTime);
    } else if (within(e, advanced::kPollingRateFirst, advanced::kPollingRateCount)) {
        // Every polling element ends at USB_SPEED 0 and polling code 7.
        shared.usbSpeed = 0;
        shared.reportRateCode = kReportIntervalCode;
    } else {
        return emptySpace(press);
    }
    return {};
}

PressOutcome pressMacroPage(PagePress press, SharedSettings& shared) {
    // The record, insert, repeat-mode and weapon-preset elements belong to the macro
    // editor.
    if (press.pageElement == macro::kSoftwareMacros) {
        shared.softHardMacro = shared.softHardMacro == 0 ? 1 : 0;
        return {};
    }
    return emptySpace(press);
}

PressOutcome pressLightingPage(PagePress press, int keyCount, SharedSettings& shared) {
    const int e = press.pageElement;
    if (shared.lightMode == 1) {
        if (e == lighting::kEffectsTab) {
            shared.lightMode = 0;
            return {};
        }
        return emptySpace(press);
    }
    const int effect = shared.ledType;
    const auto uses = [effect](LightingControl control) { return effectUses(effect, control); };
    const int keys = std::clamp(keyCount, 0, std::min(kButtonSlots, lighting::kReactionCount));
    if (within(e, lighting::kColourFirst, lighting::kColourCount)) {
        const int k = e - lighting::kColourFirst;
        if (uses(LightingControl::UserColours) && shared.ledUserColourEnable != 0 &&
            shared.cycleColourOn[static_cast<std::size_t>(k)] != 0) {
            return withSlot(PressOutcome::Kind::UserColour, k);
        }
    } else if (within(e, lighting::kColourToggleFirst, lighting::kColourToggleCount)) {
        if (uses(LightingControl::UserColours)) {
            toggleUserColour(shared, e - lighting::kColourToggleFirst);
        }
    } else if (e == lighting::kEffect) {
        return outcome(PressOutcome::Kind::EffectMenu);
    } else if (e == lighting::kSpeedSlider) {
        if (uses(LightingControl::Speed)) {
            return slider(DragMode::LedCycleTime);
        }
    } else if (e == lighting::kMirror) {
        if (uses(LightingControl::Symmetry)) {
            shared.ledFeatureSymmetry = shared.ledFeatureSymmetry == 0 ? 1 : 0;
        }
    } else if (within(e, lighting::kDirectionFirst, lighting::kDirectionCount)) {
        const int direction = e - lighting::kDirectionFirst;
        if (uses(directionControl(direction))) {
            shared.ledFeatureDirection = direction;
        }
    } else if (e == lighting::kBrightnessSlider) {
        if (uses(LightingControl::Brightness)) {
            return slider(DragMode::LedBright);
        }
    } else if (within(e, lighting::kReactionToggleFirst, keys)) {
        return withSlot(PressOutcome::Kind::ToggleReaction, e - lighting::kReactionToggleFirst);
    } else if (within(e, lighting::kReactionFirst, keys)) {
        if (uses(LightingControl::ReactionTypes)) {
            return withSlot(PressOutcome::Kind::ReactionMenu, e - lighting::kReactionFirst);
        }
    } else if (e == lighting::kAltModeTab) {
        shared.lightMode = 1;
    } else {
        return emptySpace(press);
    }
    return {};
}

std::optional<SliderElement> sliderElement(DragMode mode) {
    switch (mode) {
    case DragMode::DpiOfLevel:
        return SliderElement{PageId::AdvancedPage, advanced::kDpiSlider};
    case DragMode::DpiSpeed:
        return SliderElement{PageId::AdvancedPage, advanced::kPointerSpeedSlider};
    case DragMode::WheelSpeed:
        return SliderElement{PageId::AdvancedPage, advanced::kWheelSpeedSlider};
    case DragMode::FireTime:
        return SliderElement{PageId::AdvancedPage, advanced::kFireTimeSlider};
    case DragMode::LedCycleTime:
        return SliderElement{PageId::LightingPage, lighting::kSpeedSlider};
    case DragMode::LedBright:
        return SliderElement{PageId::LightingPage, lighting::kBrightnessSlider};
    case DragMode::None:
        break;
    }
    return std::nullopt;
}

void applySlider(DragMode mode, int x, int x0, int width, SharedSettings& shared) {
    switch (mode) {
    case DragMode::DpiOfLevel: {
        const int level = std::clamp(shared.dpiLevel, 0, kDpiLevels - 1);
        shared.dpiValueIndex[static_cast<std::size_t>(level)] =
            static_cast<std::uint8_t>(dpiSetFromSlider(sliderValue(x, x0, width, 17)));
        break;
    }
    case DragMode::DpiSpeed:
        shared.dpiSpeed = static_cast<std::uint8_t>(sliderValue(x, x0, width, 11));
        break;
    case DragMode::WheelSpeed:
        shared.wheelSpeed = static_cast<std::uint8_t>(sliderValue(x, x0, width, 11));
        break;
    case DragMode::FireTime:
        shared.fireTime = fireTimeFromSlider(sliderValue(x, x0, width, 300));
        break;
    case DragMode::LedCycleTime:
        shared.ledCycleTime =
            static_cast<std::uint8_t>(ledCycleTimeFromSlider(sliderValue(x, x0, width, 6)));
        break;
    case DragMode::LedBright:
        shared.ledBrightness = ledBrightFromSlider(sliderValue(x, x0, width, 7));
        break;
    case DragMode::None:
        break;
    }
}

} // namespace zel
