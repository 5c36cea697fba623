#include "ui/pages/MacroPage.h"

#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "ui/MainWindowHooks.h"
#include "ui/pages/PagePainting.h"

namespace zel {

namespace {

namespace elements = layout::skin_mac;

/// The record button's text: "Record" and, while recording, "Stop".
constexpr int kRecordText = 39;
constexpr int kStopText = 40;
constexpr int kRecordTextShift = -3;

bool leftAligned(int element) {
    return element == elements::kMacrosCaption || element == elements::kStepsCaption ||
           element == elements::kLightsCaption || element == elements::kRepeatCaption ||
           element == elements::kSoftwareMacros || element == elements::kHint;
}

} // namespace

PressOutcome MacroPage::press(const PointerState& pointer, int /*keyCount*/,
                              const ProfileSettings& /*profile*/, SharedSettings& shared) const {
    return pressMacroPage({pointer.hotMain, pointer.hotMacro}, shared);
}

void MacroPage::paintStates(QImage& image, const PageView& view) const {
    if (view.recording) {
        composeArea(image, view.pictures.down, view.skin.macro.area(elements::kRecord));
    }
    if (view.shared.softHardMacro == 1) {
        composeArea(image, view.pictures.down, view.skin.macro.area(elements::kSoftwareMacros));
    }
    // The run mode of the selected macro.
    if (view.hooks.macroRunModeElement) {
        if (const int mode = view.hooks.macroRunModeElement(); mode != kNoElement && mode >= 0) {
            composeArea(image, view.pictures.down, view.skin.macro.area(mode));
        }
    }
}

void MacroPage::paintTexts(QImage& image, const PageView& view) const {
    const SkinLayout& m = view.skin.macro;
    for (int e = 0; e <= elements::kLastHit; ++e) {
        const Area& area = m.area(e);
        if (e == elements::kRecord) {
            drawText(
                image, area,
                qs(view.pack.text(TextTable::DevMac, view.recording ? kStopText : kRecordText)),
                view.font, view.recording ? kRecordingColour : kTextColour,
                {kRecordTextShift, 0, false});
        } else if (leftAligned(e)) {
            drawText(image, area, qs(area.label), view.font, kTextColour, {0, 0, true});
        } else {
            drawLabel(image, area, view.font);
        }
    }
}

} // namespace zel
