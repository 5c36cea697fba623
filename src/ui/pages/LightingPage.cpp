#include "ui/pages/LightingPage.h"

#include "presentation/LayoutElements.h"
#include "ui/pages/PagePainting.h"

namespace zel {

namespace {
namespace elements = layout::skin_color;
} // namespace

PressOutcome LightingPage::press(const PointerState& pointer, int /*keyCount*/,
                                 const ProfileSettings& /*profile*/,
                                 SharedSettings& /*shared*/) const {
    return pressLightingPage({pointer.hotMain, pointer.hotLighting});
}

void LightingPage::paintTexts(QImage& image, const PageView& view) const {
    const SkinLayout& led = view.skin.lighting;
    for (int e = 0; e <= elements::kLastHit; ++e) {
        // The texts that explain the alternate lighting mode show only in it.
        if (e >= elements::kAltModeTextFirst &&
            e < elements::kAltModeTextFirst + elements::kAltModeTextCount &&
            view.shared.lightMode != 1) {
            continue;
        }
        drawLabel(image, led.area(e), view.font);
    }
}

} // namespace zel
