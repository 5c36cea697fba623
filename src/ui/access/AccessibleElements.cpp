#include "ui/access/AccessibleElements.h"

#include "presentation/LayoutElements.h"
#include "settings/ProfileSettings.h"
#include "ui/pages/PageLogic.h"

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {

namespace main_layout = layout::skin_main;
namespace advanced = layout::skin_advance;
namespace macro = layout::skin_mac;
namespace lighting = layout::skin_color;

/// Caption elements of the advanced and lighting pages that name the controls beside them.
constexpr int kPointerSpeedCaption = 0;
constexpr int kWheelSpeedCaption = 17;
constexpr int kFireTimeCaption = 30;
constexpr int kDpiSliderCaption = 67;
constexpr int kReactionCaption = 36;

class Builder {
public:
    explicit Builder(ElementLayout layout) : m_layout(layout) {}

    Builder& add(int element, ElementRole role, ElementName name = ElementName::Label,
                 int caption = kNoElement, const char* fixed = "") {
        m_out.push_back({m_layout, element, role, name, caption, fixed, 0});
        return *this;
    }
    /// A row of `count` elements from `first`; the caption runs along with them unless
    /// the name repeats one caption with the number.
    Builder& row(int first, int count, ElementRole role, ElementName name = ElementName::Label,
                 int captionFirst = kNoElement, const char* fixed = "") {
        for (int i = 0; i < count; ++i) {
            const bool captionRuns = name == ElementName::Caption;
            const int caption = captionRuns ? captionFirst + i : captionFirst;
            m_out.push_back({m_layout, first + i, role, name, caption, fixed, i});
        }
        return *this;
    }
    Builder& in(ElementLayout layout) {
        m_layout = layout;
        return *this;
    }
    std::vector<AccessibleElement> take() { return std::move(m_out); }

private:
    ElementLayout m_layout;
    std::vector<AccessibleElement> m_out;
};

} // namespace

std::vector<AccessibleElement> accessibleElements(PageId page, int keyCount, bool lightingAltMode) {
    using enum ElementRole;
    const int buttons = std::clamp(keyCount, 0, main_layout::kButtonLabelCount);
    Builder b(ElementLayout::Main);
    // The frame, in the order the eye reads it: title controls, tabs, profiles, Apply.
    b.add(main_layout::kLanguageMenu, Button, ElementName::Fixed, kNoElement, "Choose language")
        .add(main_layout::kLanguage, Button, ElementName::Language)
        .add(main_layout::kHelp, Button, ElementName::Fixed, kNoElement, "Help")
        .add(main_layout::kToTray, Button, ElementName::Fixed, kNoElement, "To tray")
        .add(main_layout::kMinimise, Button, ElementName::Fixed, kNoElement, "Minimise")
        .add(main_layout::kClose, Button, ElementName::Fixed, kNoElement, "Close")
        .row(main_layout::kTabFirst, main_layout::kTabCount, Tab)
        .row(main_layout::kProfileFirst, main_layout::kProfileCount, Toggle)
        .add(main_layout::kImport, Button)
        .add(main_layout::kExport, Button)
        .add(main_layout::kReset, Button);
    switch (page) {
    case PageId::MainPage:
        b.row(main_layout::kButtonLabelFirst, buttons, Button, ElementName::Function)
            .add(main_layout::kWheelNormal, Toggle)
            .add(main_layout::kWheelReversed, Toggle)
            .add(main_layout::kSoundLighting, Button)
            .row(main_layout::kDpiToggleFirst, main_layout::kDpiToggleCount, Toggle);
        break;
    case PageId::AdvancedPage:
        b.in(ElementLayout::Advanced)
            .row(advanced::kDpiRowFirst, advanced::kDpiRowCount, Toggle)
            .row(advanced::kDpiToggleFirst, advanced::kDpiToggleCount, Toggle, ElementName::Caption,
                 advanced::kDpiRowFirst)
            .row(advanced::kDpiColourFirst, advanced::kDpiColourCount, Button, ElementName::Caption,
                 advanced::kDpiRowFirst)
            .add(advanced::kDpiSlider, Slider, ElementName::Caption, kDpiSliderCaption)
            .add(advanced::kPointerSpeedSlider, Slider, ElementName::Caption, kPointerSpeedCaption)
            .add(advanced::kWheelSpeedSlider, Slider, ElementName::Caption, kWheelSpeedCaption)
            .add(advanced::kFireTimeSlider, Slider, ElementName::Caption, kFireTimeCaption)
            .row(advanced::kPollingRateFirst, advanced::kPollingRateCount, Toggle);
        break;
    case PageId::MacroPage:
        b.in(ElementLayout::Macro)
            .add(macro::kRecord, Toggle, ElementName::Record)
            .add(macro::kInsert, Button)
            .row(macro::kRepeatModeFirst, macro::kRepeatModeCount, Toggle)
            .add(macro::kWeaponPresets, Button)
            .add(macro::kSoftwareMacros, Toggle);
        break;
    case PageId::LightingPage:
        b.in(ElementLayout::Lighting)
            .add(lighting::kEffectsTab, Tab)
            .add(lighting::kAltModeTab, Tab);
        if (lightingAltMode) {
            break;
        }
        b.add(lighting::kEffect, Button, ElementName::Effect)
            .row(lighting::kColourFirst, lighting::kColourCount, Button, ElementName::FixedIndex,
                 kNoElement, "Colour")
            .row(lighting::kColourToggleFirst, lighting::kColourToggleCount, Toggle,
                 ElementName::FixedIndex, kNoElement, "Colour on")
            .add(lighting::kSpeedSlider, Slider, ElementName::Caption, lighting::kSpeedCaption)
            .add(lighting::kBrightnessSlider, Slider, ElementName::Caption,
                 lighting::kBrightnessCaption)
            .add(lighting::kMirror, Toggle, ElementName::Caption, lighting::kMirrorCaption)
            .row(lighting::kDirectionFirst, lighting::kDirectionCount, Toggle, ElementName::Caption,
                 lighting::kDirectionCaptionFirst);
        {
            const int reactions = std::min(buttons, lighting::kReactionCount);
            b.row(lighting::kReactionToggleFirst, reactions, Toggle, ElementName::CaptionIndex,
                  kReactionCaption)
                .row(lighting::kReactionFirst, reactions, Button, ElementName::Reaction);
        }
        break;
    }
    b.in(ElementLayout::Main).add(main_layout::kApply, Button);
    return b.take();
}

int sliderSteps(DragMode mode) {
    switch (mode) {
    case DragMode::DpiOfLevel:
        return 17;
    case DragMode::DpiSpeed:
    case DragMode::WheelSpeed:
        return 11;
    case DragMode::FireTime:
        return 300;
    case DragMode::LedCycleTime:
        return 6;
    case DragMode::LedBright:
        return 7;
    case DragMode::None:
        break;
    }
    return 0;
}

DragMode sliderMode(ElementLayout layout, int element) {
    if (layout == ElementLayout::Advanced) {
        switch (element) {
        case advanced::kDpiSlider:
            return DragMode::DpiOfLevel;
        case advanced::kPointerSpeedSlider:
            return DragMode::DpiSpeed;
        case advanced::kWheelSpeedSlider:
            return DragMode::WheelSpeed;
        case advanced::kFireTimeSlider:
            return DragMode::FireTime;
        default:
            break;
        }
    } else if (layout == ElementLayout::Lighting) {
        if (element == lighting::kSpeedSlider) {
            return DragMode::LedCycleTime;
        }
        if (element == lighting::kBrightnessSlider) {
            return DragMode::LedBright;
        }
    }
    return DragMode::None;
}

int sliderPosition(DragMode mode, const SharedSettings& shared) {
    switch (mode) {
    case DragMode::DpiOfLevel: {
        const int level = std::clamp(shared.dpiLevel, 0, kDpiLevels - 1);
        return shared.dpiValueIndex[static_cast<std::size_t>(level)] + 1;
    }
    case DragMode::DpiSpeed:
        return shared.dpiSpeed;
    case DragMode::WheelSpeed:
        return shared.wheelSpeed;
    case DragMode::FireTime:
        return shared.fireTime;
    case DragMode::LedCycleTime:
        return shared.ledCycleTime + 1;
    case DragMode::LedBright:
        return 7 - shared.ledBrightness;
    case DragMode::None:
        break;
    }
    return 0;
}

int sliderPointX(int position, int x0, int width, int steps) {
    // The press goes through the same arithmetic as the pointer's: the first x whose value
    // is nearest to the position asked for.
    int best = x0;
    int bestDistance = std::abs(sliderValue(x0, x0, width, steps) - position);
    for (int x = x0 + 1; x < x0 + width && bestDistance > 0; ++x) {
        const int distance = std::abs(sliderValue(x, x0, width, steps) - position);
        if (distance < bestDistance) {
            best = x;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace zel
