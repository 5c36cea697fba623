#pragma once

#include "ui/pages/MainWindowPage.h"

#include <QString>

namespace zel {

/// The buttons page ("main"): a label per button of the mouse that opens its assignment
/// menu, the button zones of the mouse picture, the wheel direction, the first three DPI
/// level toggles and the sound-lighting button. It lives in the main layout, beside the
/// frame.
class ButtonsPage final : public MainWindowPage {
public:
    const SkinLayout& layout(const MainWindowSkin& skin) const override { return skin.main; }
    int hotElement(const PointerState& pointer) const override { return pointer.hotMain; }
    int hoverElement(const PointerState& pointer, int keyCount) const override;
    PressOutcome press(const PointerState& pointer, int keyCount, const ProfileSettings& profile,
                       SharedSettings& shared) const override;
    void paintStates(QImage& image, const PageView& view) const override;
    void placeTexts(const PageView& view, const TextSink& out) const override;

    /// Whether the hovered button (`hotMain`) has a lighting step, so its tag shows.
    static bool showsLightingTag(int hotMain, int keyCount, const ProfileSettings& profile);

    /// The label of button `slot` as the page shows it.
    static QString buttonText(const PageView& view, int slot);
    /// Where the sound-lighting button's caption is drawn: centred below the button.
    static Area soundCaptionArea(const Area& button);
};

} // namespace zel
