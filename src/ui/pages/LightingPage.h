#pragma once

#include "ui/pages/MainWindowPage.h"

namespace zel {

/// The lighting page: here the window answers only its speed and brightness sliders; the
/// effect choices belong to the lighting work.
class LightingPage final : public MainWindowPage {
public:
    const SkinLayout& layout(const MainWindowSkin& skin) const override { return skin.lighting; }
    int hotElement(const PointerState& pointer) const override { return pointer.hotLighting; }
    bool keepsOverLook(int /*element*/) const override { return true; }
    PressOutcome press(const PointerState& pointer, int keyCount, const ProfileSettings& profile,
                       SharedSettings& shared) const override;
    void paintStates(QImage& /*image*/, const PageView& /*view*/) const override {}
    void paintTexts(QImage& image, const PageView& view) const override;
};

} // namespace zel
