#pragma once

#include <vector>

namespace zel {

/// A rectangle of the desktop in pixels.
struct DesktopRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const DesktopRect&, const DesktopRect&) = default;
};

/// How much of a window's title band must stay on a screen for the user to reach it again.
struct ReachRule {
    int band = 56;        ///< height of the band at the window's top that is dragged
    int minVisible = 120; ///< width of the band that must lie on one screen
};

/// Where a window whose frame is `window` has to go so that its top band is reachable:
/// the whole band height and `minVisible` of its width (or all of a narrower window) on
/// one of `screens` (their available areas). The window stays where it is when that
/// holds; otherwise it goes to the nearest place where it holds, on the screen that needs
/// the shortest move. Without screens nothing changes.
DesktopRect keepBandReachable(DesktopRect window, const std::vector<DesktopRect>& screens,
                              ReachRule rule = {});

/// Where a window of `size` (x and y ignored) opens beside its owner `owner` on `screen`
/// (an available area): right of the owner when there is room there for at least
/// `minWidth` of its width (it is narrowed to the room), else left of it by the same rule,
/// else over the owner, centred on it; always inside the screen as far as its size allows.
/// `gap` is the room kept between the two.
DesktopRect placeBeside(DesktopRect size, DesktopRect owner, DesktopRect screen, int minWidth,
                        int gap = 8);

} // namespace zel
