#pragma once

#include "ui/pages/MainWindowPage.h"

namespace zel {

/// The macro page: the record button and the software-macro switch; its lists and the
/// rest of its elements belong to the macro editor.
class MacroPage final : public MainWindowPage {
public:
    const SkinLayout& layout(const MainWindowSkin& skin) const override { return skin.macro; }
    int hotElement(const PointerState& pointer) const override { return pointer.hotMacro; }
    PressOutcome press(const PointerState& pointer, int keyCount, const ProfileSettings& profile,
                       SharedSettings& shared) const override;
    void paintStates(QImage& image, const PageView& view) const override;
    void placeTexts(const PageView& view, const TextSink& out) const override;
};

} // namespace zel
