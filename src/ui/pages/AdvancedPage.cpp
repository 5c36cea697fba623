#include "ui/pages/AdvancedPage.h"

#include "presentation/LayoutElements.h"
#include "ui/pages/PageLogic.h"
#include "ui/pages/PagePainting.h"

#include <QPainter>

#include <algorithm>

namespace zel {

namespace {

namespace elements = layout::skin_advance;

/// Where each slider's thumb is drawn, from the end of the slider's filled part.
constexpr QPoint kDpiThumbOffset(-5, 13);
constexpr QPoint kThumbOffset(-6, 0);
/// Room kept between a right-aligned value and the right edge of its box.
constexpr int kValueTextInset = 6;

/// The word of an unavailable choice, dimmed like its picture.
constexpr QColor kUnavailableTextColour(98, 98, 98);

} // namespace

bool AdvancedPage::unavailablePollingRate(int element) {
    const int index = element - elements::kPollingRateFirst;
    return index >= 0 && index < elements::kPollingRateCount && !pollingRateAvailable(index);
}

int AdvancedPage::hoverElement(const PointerState& pointer, int /*keyCount*/) const {
    return unavailablePollingRate(pointer.hotAdvanced) ? kNoElement : pointer.hotAdvanced;
}

bool AdvancedPage::keepsOverLook(int element) const {
    return element == elements::kPointerSpeedSlider || element == elements::kWheelSpeedSlider ||
           element == elements::kFireTimeSlider || element == elements::kDpiSlider;
}

PressOutcome AdvancedPage::press(const PointerState& pointer, int /*keyCount*/,
                                 const ProfileSettings& /*profile*/, SharedSettings& shared) const {
    return pressAdvancedPage({pointer.hotMain, pointer.hotAdvanced}, shared);
}

void AdvancedPage::paintStates(QImage& image, const PageView& view) const {
    const SkinLayout& a = view.skin.advanced;
    const SharedSettings& sh = view.shared;
    const QImage& down = view.pictures.down;
    const int level = std::clamp(sh.dpiLevel, 0, kDpiLevels - 1);
    composeArea(image, down, a.area(elements::kDpiRowFirst + level));
    for (int i = 0; i < kDpiLevels; ++i) {
        fillArea(image, a.area(elements::kDpiColourFirst + i),
                 fromColourRef(sh.dpiDisplayColour[static_cast<std::size_t>(i)]));
        if (sh.dpiEnabled[static_cast<std::size_t>(i)]) {
            composeArea(image, down, a.area(elements::kDpiToggleFirst + i));
        }
    }
    const auto slider = [&](int element, int fill, QPoint thumbOffset) {
        Area filled = a.area(element);
        if (filled.empty()) {
            return;
        }
        // A stored value far outside its slider gives a fill far outside the element; it is
        // held to the layout's own range so the thumb position cannot overflow.
        const int width = std::clamp(fill, -kLayoutExtentMax, kLayoutExtentMax);
        filled.width = width;
        composeArea(image, down, filled);
        if (!view.skin.thumb.isNull()) {
            QPainter p(&image);
            p.drawImage(QPoint(filled.x + width + thumbOffset.x(), filled.y + thumbOffset.y()),
                        view.skin.thumb);
        }
    };
    slider(elements::kDpiSlider, dpiSliderFill(sh.dpiValueIndex[static_cast<std::size_t>(level)]),
           kDpiThumbOffset);
    slider(elements::kPointerSpeedSlider,
           elevenStepSliderFill(sh.dpiSpeed, a.area(elements::kPointerSpeedSlider).width),
           kThumbOffset);
    slider(elements::kWheelSpeedSlider,
           elevenStepSliderFill(sh.wheelSpeed, a.area(elements::kWheelSpeedSlider).width),
           kThumbOffset);
    slider(elements::kFireTimeSlider,
           fireTimeSliderFill(sh.fireTime, a.area(elements::kFireTimeSlider).width), kThumbOffset);
    // Only a polling rate the page has an element for is shown; any other stored value would
    // press an unrelated element.
    if (sh.usbSpeed < elements::kPollingRateCount) {
        composeArea(image, down, a.area(elements::kPollingRateFirst + sh.usbSpeed));
        composeArea(image, down, a.area(elements::kPollingBarFirst + sh.usbSpeed));
    }
    // The rates a press does not set, with their bars, in the unavailable look.
    for (int i = 0; i < elements::kPollingRateCount; ++i) {
        if (!pollingRateAvailable(i)) {
            composeArea(image, view.skin.advancedUnavailable,
                        a.area(elements::kPollingRateFirst + i));
            composeArea(image, view.skin.advancedUnavailable,
                        a.area(elements::kPollingBarFirst + i));
        }
    }
}

void AdvancedPage::placeTexts(const PageView& view, const TextSink& out) const {
    const SkinLayout& a = view.skin.advanced;
    const SharedSettings& sh = view.shared;
    for (int e = 0; e <= elements::kLastElement; ++e) {
        const Area& area = a.area(e);
        if (e == elements::kPointerSpeedValue) {
            out(area, QString::number(sh.dpiSpeed), kTextColour, {});
        } else if (e == elements::kWheelSpeedValue) {
            out(area, QString::number(sh.wheelSpeed), kTextColour, {});
        } else if (e == elements::kFireTimeValue) {
            // Right-aligned, kept off the box's right edge.
            out(area, QString::number(sh.fireTime), kTextColour,
                {0, 0, false, true, kValueTextInset});
        } else if (e >= elements::kDpiValueFirst &&
                   e < elements::kDpiValueFirst + elements::kDpiValueCount) {
            const int level = e - elements::kDpiValueFirst;
            out(area, QString::number(dpiOfStep(sh.dpiValueIndex[static_cast<std::size_t>(level)])),
                level == sh.dpiLevel ? kAccentColour : kTextColour, {});
        } else if (unavailablePollingRate(e)) {
            out(area, qs(area.label), kUnavailableTextColour, {});
        } else {
            out(area, qs(area.label), kTextColour, {});
        }
    }
}

} // namespace zel
