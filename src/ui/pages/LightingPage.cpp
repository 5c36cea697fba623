#include "ui/pages/LightingPage.h"

#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "ui/pages/LightingLogic.h"
#include "ui/pages/PagePainting.h"

#include <QPainter>

#include <algorithm>

namespace zel {

namespace {

namespace elements = layout::skin_color;

/// The thumb sits this far left of and above the end of a slider's filled part.
constexpr QPoint kThumbOffset(-5, -5);
/// The part of a reaction drop-down taken by its arrow, at the right.
constexpr int kReactionArrowWidth = 12;
/// The slider captions are centred as if the slider ended this much earlier.
constexpr int kSliderCaptionInset = 30;

/// The buttons that have a reaction toggle and type on the page.
int reactionButtons(int keyCount) {
    return std::clamp(keyCount, 0, std::min(kButtonSlots, elements::kReactionCount));
}

bool within(int element, int first, int count) {
    return element >= first && element < first + count;
}

void paintSlider(QImage& image, const PageView& view, const Area& area, int fill) {
    if (area.empty()) {
        return;
    }
    Area filled = area;
    filled.width = std::clamp(fill, -kLayoutExtentMax, kLayoutExtentMax);
    composeArea(image, view.pictures.down, filled);
    if (!view.skin.thumb.isNull()) {
        QPainter p(&image);
        p.drawImage(QPoint(filled.x + filled.width, filled.y) + kThumbOffset, view.skin.thumb);
    }
}

QString listEntry(const std::vector<std::string>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size())
               ? qs(list[static_cast<std::size_t>(index)])
               : QString();
}

} // namespace

PressOutcome LightingPage::press(const PointerState& pointer, int keyCount,
                                 const ProfileSettings& /*profile*/, SharedSettings& shared) const {
    return pressLightingPage({pointer.hotMain, pointer.hotLighting}, keyCount, shared);
}

void LightingPage::paintStates(QImage& image, const PageView& view) const {
    const SkinLayout& led = view.skin.lighting;
    const SharedSettings& sh = view.shared;
    const QImage& down = view.pictures.down;
    if (sh.lightMode == 1) {
        composeArea(image, down, led.area(elements::kAltModeTab));
        composeArea(image, view.skin.lightingAltMode, led.area(elements::kAltModePanel));
        return;
    }
    composeArea(image, down, led.area(elements::kEffectsTab));
    const Area& speed = led.area(elements::kSpeedSlider);
    paintSlider(image, view, speed, ledSpeedSliderFill(sh.ledCycleTime, speed.width));
    const Area& bright = led.area(elements::kBrightnessSlider);
    paintSlider(image, view, bright, ledBrightSliderFill(sh.ledBrightness, bright.width));
    if (sh.ledFeatureSymmetry != 0) {
        composeArea(image, down, led.area(elements::kMirror));
    }
    if (within(sh.ledFeatureDirection, 0, elements::kDirectionCount)) {
        composeArea(image, down, led.area(elements::kDirectionFirst + sh.ledFeatureDirection));
    }
    for (int k = 0; k < kUserColours; ++k) {
        if (sh.cycleColourOn[static_cast<std::size_t>(k)] != 0) {
            composeArea(image, down, led.area(elements::kColourToggleFirst + k));
        }
    }
    for (int b = 0; b < reactionButtons(view.keyCount); ++b) {
        if (view.profile.reactEnable[static_cast<std::size_t>(b)] != 0) {
            composeArea(image, down, led.area(elements::kReactionToggleFirst + b));
        }
    }
    if (sh.ledUserColourEnable == 0) {
        for (int k = 0; k < kUserColours; ++k) {
            if (sh.cycleColourOn[static_cast<std::size_t>(k)] != 0) {
                composeArea(image, down, led.area(elements::kColourFirst + k));
            }
        }
    } else {
        composeArea(image, down, led.area(elements::kOwnColours));
        for (int k = 0; k < kUserColours; ++k) {
            fillArea(image, led.area(elements::kColourFirst + k),
                     fromColourRef(sh.userDisplayColour[static_cast<std::size_t>(k)]));
        }
    }
    for (int covered : coveredElements(sh.ledType)) {
        composeArea(image, view.skin.lightingUnused, led.area(covered));
    }
}

void LightingPage::placeTexts(const PageView& view, const TextSink& out) const {
    const SkinLayout& led = view.skin.lighting;
    const SharedSettings& sh = view.shared;
    const int effect = sh.ledType;
    const bool altMode = sh.lightMode == 1;
    for (int e = 0; e <= elements::kLastElement; ++e) {
        const Area& area = led.area(e);
        const bool modeText = within(e, elements::kAltModeTextFirst, elements::kAltModeTextCount);
        if (altMode) {
            // The DPI indicator mode shows its explanation, the title and the hint only,
            // and the captions of the two mode tabs: the pictures carry no words, so
            // without them the way back to the effects would be an empty tab.
            if (modeText || e == elements::kTitle || e == elements::kHint ||
                e == elements::kEffectsTab || e == elements::kAltModeTab) {
                out(area, qs(area.label), kTextColour, {});
            }
            continue;
        }
        if (modeText || effectHidesText(effect, e) ||
            (e == elements::kWaveNote && effect != kWaveEffect)) {
            continue;
        }
        if (e == elements::kEffect) {
            out(area, listEntry(view.pack.effectNames(), effect), kTextColour, {});
        } else if (within(e, elements::kReactionFirst, reactionButtons(view.keyCount))) {
            if (effect == kReactionEffect) {
                const int type =
                    view.profile.reactType[static_cast<std::size_t>(e - elements::kReactionFirst)];
                // Centred beside the small arrow in the drop-down's lower right corner.
                Area beside = area;
                beside.width -= kReactionArrowWidth;
                out(beside, listEntry(view.pack.reactionNames(), type), kTextColour, {});
            } else {
                out(area, qs(area.label), kTextColour, {});
            }
        } else if (e == elements::kSpeedSlider || e == elements::kBrightnessSlider) {
            Area narrowed = area;
            narrowed.width -= kSliderCaptionInset;
            out(narrowed, qs(narrowed.label), kTextColour, {});
        } else {
            out(area, qs(area.label), kTextColour, {});
        }
    }
}

} // namespace zel
