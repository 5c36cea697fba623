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

/// The captions keep this far inside their elements, in line with the rows of the lists.
constexpr int kCaptionInset = 4;
/// The software-macro switch's text keeps this far inside the part of its box left of the
/// switch drawn at the box's right end.
constexpr int kSwitchTextInset = 8;
constexpr int kSwitchWidth = 52;

bool leftAligned(int element) {
    return element == elements::kMacrosCaption || element == elements::kStepsCaption ||
           element == elements::kLightsCaption || element == elements::kRepeatCaption ||
           element == elements::kHint;
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

void MacroPage::placeTexts(const PageView& view, const TextSink& out) const {
    const SkinLayout& m = view.skin.macro;
    for (int e = 0; e <= elements::kLastHit; ++e) {
        const Area& area = m.area(e);
        if (e == elements::kRecord) {
            out(area,
                qs(view.pack.text(TextTable::DevMac, view.recording ? kStopText : kRecordText)),
                view.recording ? kRecordingColour : kTextColour, {kRecordTextShift, 0, false});
        } else if (e == elements::kSoftwareMacros) {
            Area beside = area;
            beside.width -= kSwitchWidth;
            out(beside, qs(area.label), kTextColour, {0, 0, true, false, kSwitchTextInset});
        } else if (leftAligned(e)) {
            out(area, qs(area.label), kTextColour, {0, 0, true, false, kCaptionInset});
        } else {
            out(area, qs(area.label), kTextColour, {});
        }
    }
}

} // namespace zel
