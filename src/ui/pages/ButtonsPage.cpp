#include "ui/pages/ButtonsPage.h"

#include "presentation/LayoutElements.h"
#include "ui/MainWindowHooks.h"
#include "ui/pages/PageLogic.h"
#include "ui/pages/PagePainting.h"

#include <QPainter>

#include <algorithm>

namespace zel {

namespace {

namespace elements = layout::skin_main;

/// The sound-lighting caption is centred below its small button, on a line this wide.
constexpr int kSoundCaptionGap = 2;
constexpr int kSoundCaptionWidth = 160;
/// Button labels sit a little right of their element's centre.
constexpr int kButtonLabelShift = 5;

/// The AssignCode shown as the sniper DPI function.
constexpr std::int32_t kCodeSniperDpi = 40000;
constexpr int kSniperDpiFunction = 41;

} // namespace

Area ButtonsPage::soundCaptionArea(const Area& button) {
    const int width = std::max(button.width, kSoundCaptionWidth);
    return Area{button.x + (button.width - width) / 2, button.y + button.height + kSoundCaptionGap,
                width, button.height, button.label};
}

int ButtonsPage::hoverElement(const PointerState& pointer, int keyCount) const {
    return isPictureZone(pointer.hotMain, keyCount) ? kNoElement : pointer.hotMain;
}

PressOutcome ButtonsPage::press(const PointerState& pointer, int keyCount,
                                const ProfileSettings& profile, SharedSettings& shared) const {
    return pressButtonsPage(pointer.hotMain, keyCount, profile.buttonCode, shared);
}

bool ButtonsPage::showsLightingTag(int hotMain, int keyCount, const ProfileSettings& profile) {
    const int slot = hoveredButton(hotMain, keyCount);
    return slot >= 0 && profile.macroLight[static_cast<std::size_t>(slot)] != 0;
}

void ButtonsPage::paintStates(QImage& image, const PageView& view) const {
    const SkinLayout& main = view.skin.main;
    // A hovered label shows its zone of the mouse picture pressed, and a hovered zone its
    // label.
    const int hot = view.pointer.hotMain;
    if (hot >= elements::kButtonLabelFirst && hot < elements::kButtonLabelFirst + view.keyCount) {
        composeArea(image, view.pictures.down,
                    main.area(elements::kButtonZoneFirst + hot - elements::kButtonLabelFirst));
    } else if (hot >= elements::kButtonZoneFirst &&
               hot < elements::kButtonZoneFirst + view.keyCount) {
        composeArea(image, view.pictures.down,
                    main.area(elements::kButtonLabelFirst + hot - elements::kButtonZoneFirst));
    }
    // The wheel direction in use, whatever the pointer does.
    if (view.shared.wheelStatus == 0 || view.shared.wheelStatus == 1) {
        composeArea(image, view.pictures.down,
                    main.area(elements::kWheelNormal + view.shared.wheelStatus));
    }
    // The DPI level toggles show which levels are on, as on the advanced page. Only the
    // first three are on this page: the numbers after them are button zones here.
    for (int i = 0; i < elements::kDpiToggleCount; ++i) {
        if (view.shared.dpiEnabled[static_cast<std::size_t>(i)]) {
            composeArea(image, view.pictures.down, main.area(elements::kDpiToggleFirst + i));
        }
    }
    // A missing tag picture is reported by the window, not while painting.
    if (showsLightingTag(hot, view.keyCount, view.profile) && !view.skin.macroLightTag.isNull()) {
        QPainter p(&image);
        p.drawImage(QPoint(elements::kMacroLightTagX, elements::kMacroLightTagY),
                    view.skin.macroLightTag);
    }
}

QString ButtonsPage::buttonText(const PageView& view, int slot) {
    const ProfileSettings& p = view.profile;
    const MainWindowHooks& hooks = view.hooks;
    const int code = p.buttonCode[static_cast<std::size_t>(slot)];
    std::string label;
    if (code == kCodeCombination) {
        label = p.comboRecord[static_cast<std::size_t>(slot)].nameUtf8();
    } else if (code == kCodeSniperDpi) {
        label = view.skin.main.functionName(kSniperDpiFunction);
    } else if (code >= 50 && code <= 255) {
        const int count = hooks.presetCount ? hooks.presetCount() : 0;
        if (code - 50 < count && hooks.presetName) {
            label = hooks.presetName(code - 50);
        }
    } else if (code >= 256 && code <= 29999) {
        label = hooks.macroName ? hooks.macroName(code) : std::string();
    } else {
        label = view.skin.main.functionName(code);
    }
    return qs(buttonLabel(label));
}

void ButtonsPage::placeTexts(const PageView& view, const TextSink& out) const {
    const SkinLayout& main = view.skin.main;
    for (int e = elements::kFrameLast + 1; e <= elements::kLastHit; ++e) {
        const Area& area = main.area(e);
        if (e >= elements::kButtonLabelFirst && e < elements::kButtonLabelFirst + view.keyCount) {
            out(area, buttonText(view, e - elements::kButtonLabelFirst), kTextColour,
                {kButtonLabelShift, 0, false});
        } else if (e == elements::kSoundLighting) {
            out(soundCaptionArea(area), qs(area.label), kTextColour, {});
        } else {
            out(area, qs(area.label), kTextColour, {});
        }
    }
}

} // namespace zel
