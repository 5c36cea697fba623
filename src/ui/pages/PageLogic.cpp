#include "ui/pages/PageLogic.h"

#include "platform/ini/IniText.h"
#include "settings/ProfileSettings.h"

#include <algorithm>
#include <limits>

namespace zel {

namespace {

// The page arithmetic is done in 64 bits (or in double) and brought back into `int` here,
// so values read from layout and settings files never overflow; every result that fits in
// `int` is the one the plain `int` arithmetic gives.
int saturated(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

int saturated(double value) {
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

int sliderValue(int x, int x0, int width, int steps) {
    if (x <= x0 || steps < 1) {
        return 1;
    }
    const std::int64_t d = std::int64_t{x} - x0;
    const float step = static_cast<float>(width) / static_cast<float>(steps);
    if (step > static_cast<float>(d)) {
        return 1;
    }
    if (static_cast<float>(d) > (static_cast<float>(steps) - 0.5f) * step) {
        return steps;
    }
    // The quotient is below steps + 1 by the test above; the clamp keeps a rounding of the
    // float at the far end of a very wide slider from leaving the range.
    return std::clamp(saturated(static_cast<double>((static_cast<float>(d) + step * 0.5f) / step)),
                      1, steps);
}

void toggleDpiLevel(SharedSettings& shared, int level) {
    if (level < 0 || level >= kDpiLevels) {
        return;
    }
    auto& enabled = shared.dpiEnabled;
    const auto i = static_cast<std::size_t>(level);
    if (!enabled[i]) {
        enabled[i] = true;
        return;
    }
    enabled[i] = false;
    if (shared.dpiLevel != level) {
        // Another level is current: the disabled one can only have been non-current. If
        // it was the last enabled level the current one is enabled anyway.
        if (std::none_of(enabled.begin(), enabled.end(), [](bool e) { return e; })) {
            enabled[i] = true;
        }
        return;
    }
    int next = level;
    for (int tries = 0; tries < 5; ++tries) {
        next = (next + 1) % kDpiLevels;
        if (enabled[static_cast<std::size_t>(next)]) {
            shared.dpiLevel = next;
            return;
        }
    }
    shared.dpiLevel = level;
    enabled[i] = true;
}

bool commandLineAsksHidden(std::string_view commandLine) {
    const auto dash = commandLine.find('-');
    const std::string_view rest =
        dash == std::string_view::npos ? commandLine : commandLine.substr(dash + 1);
    return rest.substr(0, 4) == "HIDE";
}

int dpiOfStep(int step) {
    static constexpr std::array<int, 17> kDpi = {200,  400,  600,  800,  1000, 1200,
                                                 1400, 1600, 1800, 2000, 2400, 3200,
                                                 4000, 4800, 5600, 6400, 7200};
    return kDpi[static_cast<std::size_t>(std::clamp(step, 0, 16))];
}

std::string buttonLabel(std::string_view label) {
    if (ini::characterCount(label) <= 16) {
        return std::string(label);
    }
    return ini::cutToCharacters(label, 16) + "...";
}

bool assignmentMenuAllowed(const std::array<std::int32_t, 12>& codes, int keyCount, int button) {
    const int count = std::clamp(keyCount, 0, 12);
    for (int b = 0; b < count; ++b) {
        if (b != button && codes[static_cast<std::size_t>(b)] == 1) {
            return true;
        }
    }
    return false;
}

void assignButton(std::array<std::int32_t, 12>& codes, std::array<std::int32_t, 12>& lightMarks,
                  int profileIndex, int slot, std::int32_t code, int keyCount) {
    const int count = std::clamp(keyCount, 0, 12);
    if (slot < 0 || slot >= count) {
        return;
    }
    codes[static_cast<std::size_t>(slot)] = code;
    lightMarks[static_cast<std::size_t>(slot)] = 0;
    keepLeftClick(codes, profileIndex, slot, keyCount);
}

void keepLeftClick(std::array<std::int32_t, 12>& codes, int profileIndex, int slot, int keyCount) {
    const int count = std::clamp(keyCount, 0, 12);
    if (profileIndex != 0 || slot < 0 || slot >= count) {
        return;
    }
    for (int b = count - 1; b >= 0; --b) {
        if (codes[static_cast<std::size_t>(b)] == kCodeLeftClick) {
            return;
        }
    }
    const int keeper = slot == count - 1 ? slot : slot + 1;
    codes[static_cast<std::size_t>(keeper)] = kCodeLeftClick;
}

int dpiSetFromSlider(int value) {
    return saturated(std::int64_t{value} - 1);
}
int fireTimeFromSlider(int value) {
    return value <= 8 ? 8 : value;
}
int ledCycleTimeFromSlider(int value) {
    return saturated(std::int64_t{value} - 1);
}
int ledBrightFromSlider(int value) {
    return saturated(7 - std::int64_t{value});
}

int dpiSliderFill(int step) {
    if (step == 16) {
        return 303;
    }
    return saturated((static_cast<double>(step) + 1.0) * (303.0 / 17.0));
}

int elevenStepSliderFill(int value, int width) {
    return value > 10 ? width : saturated(std::int64_t{value} * width / 11);
}

int fireTimeSliderFill(int value, int width) {
    return value >= 300 ? width : saturated(std::int64_t{value} * width / 300);
}

PopupPlacement assignmentPopupPlacement(int x, int y, int w, int h, int popupHeight,
                                        int screenHeight) {
    const std::int64_t below = std::int64_t{y} + h;
    PopupPlacement p{saturated(std::int64_t{x} + 1), saturated(below),
                     saturated(std::int64_t{w} + 1), popupHeight};
    if (below + popupHeight > screenHeight) {
        p.y = saturated(std::int64_t{y} - popupHeight);
    }
    return p;
}

} // namespace zel
