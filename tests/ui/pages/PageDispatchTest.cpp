#include "ui/pages/PageDispatch.h"

#include "presentation/LayoutElements.h"
#include "settings/ProfileSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

using namespace zel;
namespace main_layout = zel::layout::skin_main;
namespace advanced = zel::layout::skin_advance;
namespace macro = zel::layout::skin_mac;
namespace lighting = zel::layout::skin_color;

namespace {

using Change = std::function<void(SharedSettings&)>;
using Kind = PressOutcome::Kind;

/// Every field of the shared settings, so a row proves what a press leaves alone too.
auto fields(const SharedSettings& s) {
    return std::tie(
        s.macroColour, s.wheelStatus, s.dpiLevel, s.dpiValueIndex, s.dpiEnabled, s.dpiColourLevel,
        s.dpiDisplayColour, s.ledType, s.ledTypeSwitch, s.ledCycleTime, s.ledUserColourEnable,
        s.ledFeatureSingleColour, s.ledFeatureDirection, s.ledFeatureSymmetry, s.ledBrightness,
        s.lightMode, s.softHardMacro, s.userColourLevel, s.userDisplayColour, s.cycleColourMask,
        s.cycleColourOn, s.dpiSpeed, s.wheelSpeed, s.usbSpeed, s.reportRateCode, s.fireTime);
}

/// Settings in which every press has something to change: two DPI levels on, level 0
/// current, the reversed wheel, a polling rate other than the first.
SharedSettings startSettings() {
    SharedSettings s;
    s.dpiEnabled = {true, true, false, false, false, false};
    s.dpiLevel = 0;
    s.wheelStatus = 1;
    s.usbSpeed = 2;
    s.reportRateCode = 3;
    return s;
}

PressOutcome outcome(Kind kind, int value = 0) {
    PressOutcome o;
    o.kind = kind;
    if (kind == Kind::AssignmentMenu) {
        o.slot = value;
    }
    return o;
}

PressOutcome warned(Tip tip) {
    PressOutcome o;
    o.kind = Kind::Warning;
    o.warning = tip;
    return o;
}

PressOutcome slotted(Kind kind, int slot) {
    PressOutcome o;
    o.kind = kind;
    o.slot = slot;
    return o;
}

PressOutcome slider(DragMode mode) {
    PressOutcome o;
    o.kind = Kind::StartSlider;
    o.slider = mode;
    return o;
}

struct Row {
    std::string what;
    int frameElement = kNoElement;
    int pageElement = kNoElement;
    PressOutcome expected;
    Change change;          ///< the stored change expected (none: nothing changes)
    Change setup = nullptr; ///< applied to the start settings first
};

template <typename Press>
void checkRows(const std::vector<Row>& rows, Press press) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SharedSettings shared = startSettings();
        if (row.setup) {
            row.setup(shared);
        }
        SharedSettings expected = shared;
        if (row.change) {
            row.change(expected);
        }
        EXPECT_EQ(press(row, shared), row.expected);
        EXPECT_EQ(fields(shared), fields(expected));
    }
}

constexpr int kKeys = 8;

} // namespace

TEST(ButtonsPageDispatch, EveryElementLeadsToItsStoredChange) {
    const std::vector<Row> rows = {
        {"the only left-click button keeps its function", main_layout::kButtonLabelFirst,
         kNoElement, warned(Tip::KeepLeftClick), nullptr},
        {"another button opens its menu", main_layout::kButtonLabelFirst + 3, kNoElement,
         outcome(Kind::AssignmentMenu, 3), nullptr},
        {"the last button opens its menu", main_layout::kButtonLabelFirst + kKeys - 1, kNoElement,
         outcome(Kind::AssignmentMenu, kKeys - 1), nullptr},
        {"wheel normal",
         main_layout::kWheelNormal,
         kNoElement,
         {},
         [](SharedSettings& s) { s.wheelStatus = 0; }},
        {"wheel reversed",
         main_layout::kWheelReversed,
         kNoElement,
         {},
         [](SharedSettings& s) { s.wheelStatus = 1; },
         [](SharedSettings& s) { s.wheelStatus = 0; }},
        {"sound lighting opens elsewhere", main_layout::kSoundLighting, kNoElement, {}, nullptr},
        {"sound lighting is refused in the DPI indicator mode", main_layout::kSoundLighting,
         kNoElement, warned(Tip::NoSoundLightingInDpiMode), nullptr,
         [](SharedSettings& s) { s.lightMode = 1; }},
        {"turning the current level off moves to the next one on",
         main_layout::kDpiToggleFirst,
         kNoElement,
         {},
         [](SharedSettings& s) {
             s.dpiEnabled[0] = false;
             s.dpiLevel = 1;
         }},
        {"turning another level off",
         main_layout::kDpiToggleFirst + 1,
         kNoElement,
         {},
         [](SharedSettings& s) { s.dpiEnabled[1] = false; }},
        {"turning the third level on",
         main_layout::kDpiToggleFirst + 2,
         kNoElement,
         {},
         [](SharedSettings& s) { s.dpiEnabled[2] = true; }},
        {"the fourth toggle's number is a picture zone here",
         main_layout::kPictureZoneFirst,
         kNoElement,
         {},
         nullptr},
        {"the last picture zone",
         main_layout::kPictureZoneFirst + kKeys - 2,
         kNoElement,
         {},
         nullptr},
        {"a caption", main_layout::kLastElement, kNoElement, {}, nullptr},
        {"a button zone of the picture", main_layout::kButtonZoneFirst, kNoElement, {}, nullptr},
        {"frame elements are the window's", main_layout::kApply, kNoElement, {}, nullptr},
        {"empty space drags the window", kNoElement, kNoElement, outcome(Kind::WindowDrag),
         nullptr},
    };
    std::array<std::int32_t, 12> codes{};
    codes.fill(2);
    codes[0] = 1; // left click
    checkRows(rows, [&](const Row& row, SharedSettings& shared) {
        return pressButtonsPage(row.frameElement, kKeys, codes, shared);
    });
}

TEST(ButtonsPageDispatch, MoreButtonsLengthenTheLabelAndZoneRuns) {
    std::array<std::int32_t, 12> codes{};
    codes[0] = 1;
    SharedSettings shared = startSettings();
    // With twelve buttons the labels run up to the wheel's normal element, which then opens
    // the last button's menu; the picture zones reach 48 + 12.
    EXPECT_EQ(pressButtonsPage(main_layout::kWheelNormal, 12, codes, shared),
              outcome(Kind::AssignmentMenu, 11));
    EXPECT_EQ(shared.wheelStatus, 1);
    EXPECT_TRUE(isPictureZone(60, 12));
    EXPECT_FALSE(isPictureZone(61, 12));
    EXPECT_FALSE(isPictureZone(main_layout::kPictureZoneFirst, 1));
    EXPECT_EQ(hoveredButton(main_layout::kButtonZoneFirst + 7, kKeys), 7);
    EXPECT_EQ(hoveredButton(main_layout::kButtonZoneFirst + kKeys, kKeys), -1);
    EXPECT_EQ(hoveredButton(main_layout::kButtonLabelFirst, 0), -1);
}

TEST(AdvancedPageDispatch, EveryElementLeadsToItsStoredChange) {
    const std::vector<Row> rows = {
        {"first DPI toggle",
         kNoElement,
         advanced::kDpiToggleFirst,
         {},
         [](SharedSettings& s) {
             s.dpiEnabled[0] = false;
             s.dpiLevel = 1;
         }},
        {"sixth DPI toggle",
         kNoElement,
         advanced::kDpiToggleFirst + 5,
         {},
         [](SharedSettings& s) { s.dpiEnabled[5] = true; }},
        {"an enabled level becomes current",
         kNoElement,
         advanced::kDpiRowFirst + 1,
         {},
         [](SharedSettings& s) { s.dpiLevel = 1; }},
        {"a disabled level does not", kNoElement, advanced::kDpiRowFirst + 5, {}, nullptr},
        {"a level colour opens the chooser", kNoElement, advanced::kDpiColourFirst + 5,
         slotted(Kind::DpiColour, 5), nullptr},
        {"DPI slider", kNoElement, advanced::kDpiSlider, slider(DragMode::DpiOfLevel), nullptr},
        {"pointer speed slider", kNoElement, advanced::kPointerSpeedSlider,
         slider(DragMode::DpiSpeed), nullptr},
        {"wheel speed slider", kNoElement, advanced::kWheelSpeedSlider,
         slider(DragMode::WheelSpeed), nullptr},
        {"rapid-fire slider", kNoElement, advanced::kFireTimeSlider, slider(DragMode::FireTime),
         nullptr},
        {"every polling element ends at the first rate",
         kNoElement,
         advanced::kPollingRateFirst + 3,
         {},
         [](SharedSettings& s) {
             s.usbSpeed = 0;
             s.reportRateCode = 7;
         }},
        {"a polling bar", kNoElement, advanced::kPollingBarFirst, {}, nullptr},
        {"a value", kNoElement, advanced::kFireTimeValue, {}, nullptr},
        {"a frame element over empty page space",
         main_layout::kButtonLabelFirst,
         kNoElement,
         {},
         nullptr},
        {"empty space drags the window", kNoElement, kNoElement, outcome(Kind::WindowDrag),
         nullptr},
    };
    checkRows(rows, [](const Row& row, SharedSettings& shared) {
        return pressAdvancedPage({row.frameElement, row.pageElement}, shared);
    });
}

TEST(MacroPageDispatch, EveryElementLeadsToItsStoredChange) {
    const std::vector<Row> rows = {
        {"software macros on",
         kNoElement,
         macro::kSoftwareMacros,
         {},
         [](SharedSettings& s) { s.softHardMacro = 1; }},
        {"software macros off",
         kNoElement,
         macro::kSoftwareMacros,
         {},
         [](SharedSettings& s) { s.softHardMacro = 0; },
         [](SharedSettings& s) { s.softHardMacro = 1; }},
        {"record belongs to the editor", kNoElement, macro::kRecord, {}, nullptr},
        {"weapon presets belong to the editor", kNoElement, macro::kWeaponPresets, {}, nullptr},
        {"a repeat mode belongs to the editor", kNoElement, macro::kRepeatModeFirst, {}, nullptr},
        {"a frame element", main_layout::kApply, kNoElement, {}, nullptr},
        {"empty space drags the window", kNoElement, kNoElement, outcome(Kind::WindowDrag),
         nullptr},
    };
    checkRows(rows, [](const Row& row, SharedSettings& shared) {
        return pressMacroPage({row.frameElement, row.pageElement}, shared);
    });
}

namespace {

/// The lighting page on the wave effect (it uses every control but the reaction types),
/// own colours in use, colours 0 and 2 on.
void lit(SharedSettings& s) {
    s.ledType = 3;
    s.ledUserColourEnable = 1;
    s.cycleColourMask = 0b101;
    s.cycleColourOn = {1, 0, 1, 0, 0, 0, 0};
}

Change litWith(int effect) {
    return [effect](SharedSettings& s) {
        lit(s);
        s.ledType = static_cast<std::uint8_t>(effect);
    };
}

} // namespace

TEST(LightingPageDispatch, EveryElementLeadsToItsStoredChange) {
    const Change onWave = litWith(3);
    const std::vector<Row> rows = {
        {"a colour that is on opens the chooser", kNoElement, lighting::kColourFirst + 2,
         slotted(Kind::UserColour, 2), nullptr, onWave},
        {"a colour that is off does not",
         kNoElement,
         lighting::kColourFirst + 1,
         {},
         nullptr,
         onWave},
        {"nor does any colour while own colours are off",
         kNoElement,
         lighting::kColourFirst,
         {},
         nullptr,
         [](SharedSettings& s) {
             lit(s);
             s.ledUserColourEnable = 0;
         }},
        {"a colour toggle turns its colour on",
         kNoElement,
         lighting::kColourToggleFirst + 1,
         {},
         [](SharedSettings& s) {
             s.cycleColourMask = 0b111;
             s.cycleColourOn[1] = 1;
         },
         onWave},
        {"and off while another stays on",
         kNoElement,
         lighting::kColourToggleFirst + 2,
         {},
         [](SharedSettings& s) {
             s.cycleColourMask = 0b001;
             s.cycleColourOn[2] = 0;
         },
         onWave},
        {"the last colour on stays on",
         kNoElement,
         lighting::kColourToggleFirst,
         {},
         nullptr,
         [](SharedSettings& s) {
             lit(s);
             s.cycleColourMask = 0b001;
             s.cycleColourOn = {1, 0, 0, 0, 0, 0, 0};
         }},
        {"the effect element opens the effect menu", kNoElement, lighting::kEffect,
         outcome(Kind::EffectMenu), nullptr, litWith(13)},
        {"speed slider", kNoElement, lighting::kSpeedSlider, slider(DragMode::LedCycleTime),
         nullptr, onWave},
        {"brightness slider", kNoElement, lighting::kBrightnessSlider, slider(DragMode::LedBright),
         nullptr, onWave},
        {"symmetry",
         kNoElement,
         lighting::kMirror,
         {},
         [](SharedSettings& s) { s.ledFeatureSymmetry = 1; },
         onWave},
        {"inward",
         kNoElement,
         lighting::kDirectionFirst + 3,
         {},
         [](SharedSettings& s) { s.ledFeatureDirection = 3; },
         onWave},
        {"outward on flow",
         kNoElement,
         lighting::kDirectionFirst + 2,
         {},
         [](SharedSettings& s) { s.ledFeatureDirection = 2; },
         litWith(4)},
        {"right on the DPI colour effect",
         kNoElement,
         lighting::kDirectionFirst + 1,
         {},
         [](SharedSettings& s) { s.ledFeatureDirection = 1; },
         litWith(10)},
        {"a reaction toggle", kNoElement, lighting::kReactionToggleFirst + kKeys - 1,
         slotted(Kind::ToggleReaction, kKeys - 1), nullptr, litWith(0)},
        {"a reaction type on the reaction effect", kNoElement, lighting::kReactionFirst + 3,
         slotted(Kind::ReactionMenu, 3), nullptr, litWith(12)},
        {"the own-colours state", kNoElement, lighting::kOwnColours, {}, nullptr, onWave},
        {"this mode's tab", kNoElement, lighting::kEffectsTab, {}, nullptr, onWave},
        {"the DPI indicator tab",
         kNoElement,
         lighting::kAltModeTab,
         {},
         [](SharedSettings& s) { s.lightMode = 1; },
         onWave},
        {"a frame element", main_layout::kHelp, kNoElement, {}, nullptr, onWave},
        {"empty space drags the window", kNoElement, kNoElement, outcome(Kind::WindowDrag), nullptr,
         onWave},
    };
    checkRows(rows, [](const Row& row, SharedSettings& shared) {
        return pressLightingPage({row.frameElement, row.pageElement}, kKeys, shared);
    });
}

TEST(LightingPageDispatch, ControlsTheEffectDoesNotUseIgnoreThePress) {
    const std::vector<Row> rows = {
        {"colours with the colour cycle",
         kNoElement,
         lighting::kColourFirst,
         {},
         nullptr,
         litWith(2)},
        {"colour toggles with the colour cycle",
         kNoElement,
         lighting::kColourToggleFirst + 1,
         {},
         nullptr,
         litWith(2)},
        {"speed with the colour cycle",
         kNoElement,
         lighting::kSpeedSlider,
         {},
         nullptr,
         litWith(2)},
        {"speed with the reactions", kNoElement, lighting::kSpeedSlider, {}, nullptr, litWith(12)},
        {"brightness with the spectrum",
         kNoElement,
         lighting::kBrightnessSlider,
         {},
         nullptr,
         litWith(0)},
        {"symmetry with the DPI colour effect",
         kNoElement,
         lighting::kMirror,
         {},
         nullptr,
         litWith(10)},
        {"outward with the breathing effect",
         kNoElement,
         lighting::kDirectionFirst + 2,
         {},
         nullptr,
         litWith(7)},
        {"inward with flow", kNoElement, lighting::kDirectionFirst + 3, {}, nullptr, litWith(4)},
        {"left with the spectrum", kNoElement, lighting::kDirectionFirst, {}, nullptr, litWith(0)},
        {"a reaction type with any other effect",
         kNoElement,
         lighting::kReactionFirst,
         {},
         nullptr,
         litWith(11)},
        {"an effect code the page does not know",
         kNoElement,
         lighting::kSpeedSlider,
         {},
         nullptr,
         litWith(200)},
    };
    checkRows(rows, [](const Row& row, SharedSettings& shared) {
        return pressLightingPage({row.frameElement, row.pageElement}, kKeys, shared);
    });
}

TEST(LightingPageDispatch, TheDpiIndicatorModeAnswersOnlyItsWayBack) {
    const auto altMode = [](SharedSettings& s) {
        lit(s);
        s.lightMode = 1;
    };
    const std::vector<Row> rows = {
        {"the effects tab",
         kNoElement,
         lighting::kEffectsTab,
         {},
         [](SharedSettings& s) { s.lightMode = 0; },
         altMode},
        {"a colour toggle", kNoElement, lighting::kColourToggleFirst + 1, {}, nullptr, altMode},
        {"the effect element", kNoElement, lighting::kEffect, {}, nullptr, altMode},
        {"the speed slider", kNoElement, lighting::kSpeedSlider, {}, nullptr, altMode},
        {"empty space drags the window", kNoElement, kNoElement, outcome(Kind::WindowDrag), nullptr,
         altMode},
    };
    checkRows(rows, [](const Row& row, SharedSettings& shared) {
        return pressLightingPage({row.frameElement, row.pageElement}, kKeys, shared);
    });
}

TEST(LightingPageDispatch, OnlyTheMousesButtonsHaveReactions) {
    SharedSettings shared = startSettings();
    litWith(12)(shared);
    EXPECT_EQ(pressLightingPage({kNoElement, lighting::kReactionToggleFirst + 4}, 5, shared),
              slotted(Kind::ToggleReaction, 4));
    EXPECT_EQ(pressLightingPage({kNoElement, lighting::kReactionToggleFirst + 5}, 5, shared),
              PressOutcome{});
    EXPECT_EQ(pressLightingPage({kNoElement, lighting::kReactionFirst + 5}, 5, shared),
              PressOutcome{});
}

TEST(PageTabs, OnlyAnotherPagesTabTurnsThePage) {
    EXPECT_EQ(tabPressed(PageId::MainPage, main_layout::kTabFirst), std::nullopt);
    EXPECT_EQ(tabPressed(PageId::MainPage, main_layout::kTabFirst + 3), PageId::LightingPage);
    EXPECT_EQ(tabPressed(PageId::LightingPage, main_layout::kTabFirst), PageId::MainPage);
    EXPECT_EQ(tabPressed(PageId::MacroPage, main_layout::kTabFirst + 2), std::nullopt);
    EXPECT_EQ(tabPressed(PageId::MainPage, main_layout::kTabFirst - 1), std::nullopt);
    EXPECT_EQ(tabPressed(PageId::MainPage, main_layout::kTabFirst + main_layout::kTabCount),
              std::nullopt);
    EXPECT_EQ(tabPressed(PageId::MainPage, kNoElement), std::nullopt);
}

TEST(PageSliders, BothEndsOfEverySliderStoreTheirValues) {
    struct SliderRow {
        DragMode mode;
        PageId page;
        Change atRight;
        Change atLeft;
    };
    const std::vector<SliderRow> rows = {
        {DragMode::DpiOfLevel, PageId::AdvancedPage,
         [](SharedSettings& s) { s.dpiValueIndex[1] = 16; },
         [](SharedSettings& s) { s.dpiValueIndex[1] = 0; }},
        {DragMode::DpiSpeed, PageId::AdvancedPage, [](SharedSettings& s) { s.dpiSpeed = 11; },
         [](SharedSettings& s) { s.dpiSpeed = 1; }},
        {DragMode::WheelSpeed, PageId::AdvancedPage, [](SharedSettings& s) { s.wheelSpeed = 11; },
         [](SharedSettings& s) { s.wheelSpeed = 1; }},
        {DragMode::FireTime, PageId::AdvancedPage, [](SharedSettings& s) { s.fireTime = 300; },
         [](SharedSettings& s) { s.fireTime = 8; }},
        {DragMode::LedCycleTime, PageId::LightingPage,
         [](SharedSettings& s) { s.ledCycleTime = 5; },
         [](SharedSettings& s) { s.ledCycleTime = 0; }},
        {DragMode::LedBright, PageId::LightingPage, [](SharedSettings& s) { s.ledBrightness = 0; },
         [](SharedSettings& s) { s.ledBrightness = 6; }},
    };
    for (const SliderRow& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.mode));
        const auto element = sliderElement(row.mode);
        ASSERT_TRUE(element.has_value());
        EXPECT_EQ(element->page, row.page);
        for (const auto& [x, change] : {std::pair{1000, row.atRight}, std::pair{0, row.atLeft}}) {
            SharedSettings shared = startSettings();
            shared.dpiLevel = 1; // the DPI slider moves the current level only
            SharedSettings expected = shared;
            change(expected);
            applySlider(row.mode, x, 100, 300, shared);
            EXPECT_EQ(fields(shared), fields(expected));
        }
    }
    EXPECT_FALSE(sliderElement(DragMode::None).has_value());
    SharedSettings shared = startSettings();
    applySlider(DragMode::None, 1000, 100, 300, shared);
    EXPECT_EQ(fields(shared), fields(startSettings()));
}
