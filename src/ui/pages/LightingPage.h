#pragma once

#include "ui/pages/MainWindowPage.h"

namespace zel {

/// The lighting page: the effect and its controls, the seven user colours, the buttons'
/// reactions, and the DPI indicator mode. Controls the current effect does not use are
/// covered with the "unused" picture and ignore presses.
class LightingPage final : public MainWindowPage {
public:
    const SkinLayout& layout(const MainWindowSkin& skin) const override { return skin.lighting; }
    int hotElement(const PointerState& pointer) const override { return pointer.hotLighting; }
    bool keepsOverLook(int /*element*/) const override { return true; }
    PressOutcome press(const PointerState& pointer, int keyCount, const ProfileSettings& profile,
                       SharedSettings& shared) const override;
    void paintStates(QImage& image, const PageView& view) const override;
    void placeTexts(const PageView& view, const TextSink& out) const override;
};

} // namespace zel
