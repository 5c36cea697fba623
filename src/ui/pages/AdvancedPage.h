#pragma once

#include "ui/pages/MainWindowPage.h"

namespace zel {

/// The advanced page: the six DPI levels (current level, on/off, DPI value and colour),
/// the DPI slider of the current level, the pointer-speed, wheel-speed and rapid-fire
/// sliders and the polling rate.
class AdvancedPage final : public MainWindowPage {
public:
    const SkinLayout& layout(const MainWindowSkin& skin) const override { return skin.advanced; }
    int hotElement(const PointerState& pointer) const override { return pointer.hotAdvanced; }
    /// The element under the pointer; an unavailable polling rate shows no hover or press.
    int hoverElement(const PointerState& pointer, int keyCount) const override;
    bool keepsOverLook(int element) const override;
    PressOutcome press(const PointerState& pointer, int keyCount, const ProfileSettings& profile,
                       SharedSettings& shared) const override;
    void paintStates(QImage& image, const PageView& view) const override;
    void placeTexts(const PageView& view, const TextSink& out) const override;

    /// Element `element` is a polling rate that a press does not set (drawn unavailable).
    static bool unavailablePollingRate(int element);
};

} // namespace zel
