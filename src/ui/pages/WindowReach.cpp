#include "ui/pages/WindowReach.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zel {

namespace {

/// Length of the overlap of [a, a + la) and [b, b + lb).
std::int64_t overlap(std::int64_t a, std::int64_t la, std::int64_t b, std::int64_t lb) {
    return std::max<std::int64_t>(0, std::min(a + la, b + lb) - std::max(a, b));
}

} // namespace

DesktopRect keepBandReachable(DesktopRect window, const std::vector<DesktopRect>& screens,
                              ReachRule rule) {
    const int band = std::clamp(rule.band, 1, std::max(window.height, 1));
    const int need = std::clamp(rule.minVisible, 1, std::max(window.width, 1));
    for (const DesktopRect& s : screens) {
        if (overlap(window.x, window.width, s.x, s.width) >= need &&
            overlap(window.y, band, s.y, s.height) >= std::min(band, s.height)) {
            return window;
        }
    }
    DesktopRect best = window;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const DesktopRect& s : screens) {
        if (s.width <= 0 || s.height <= 0) {
            continue;
        }
        // The band's left edge may go from `need` short of the screen's right edge to
        // `need` past its left edge; its top from the screen's top to a band above its bottom.
        const std::int64_t loX = std::int64_t{s.x} + need - window.width;
        const std::int64_t hiX = std::int64_t{s.x} + s.width - need;
        const std::int64_t loY = s.y;
        const std::int64_t hiY = std::int64_t{s.y} + std::max(0, s.height - band);
        const std::int64_t x = std::clamp<std::int64_t>(window.x, std::min(loX, hiX), hiX);
        const std::int64_t y = std::clamp<std::int64_t>(window.y, loY, std::max(loY, hiY));
        const std::int64_t distance = std::abs(x - window.x) + std::abs(y - window.y);
        if (distance < bestDistance) {
            bestDistance = distance;
            best.x = static_cast<int>(x);
            best.y = static_cast<int>(y);
        }
    }
    return best;
}

DesktopRect placeBeside(DesktopRect size, DesktopRect owner, DesktopRect screen, int minWidth,
                        int gap) {
    DesktopRect placed = size;
    placed.y = owner.y;
    const std::int64_t need = std::min(minWidth, size.width);
    const std::int64_t roomRight =
        std::int64_t{screen.x} + screen.width - (std::int64_t{owner.x} + owner.width + gap);
    const std::int64_t roomLeft = std::int64_t{owner.x} - gap - screen.x;
    if (roomRight >= need) {
        placed.width = static_cast<int>(std::min<std::int64_t>(size.width, roomRight));
        placed.x = owner.x + owner.width + gap;
    } else if (roomLeft >= need) {
        placed.width = static_cast<int>(std::min<std::int64_t>(size.width, roomLeft));
        placed.x = owner.x - gap - placed.width;
    } else {
        placed.x = owner.x + (owner.width - size.width) / 2;
        placed.y = owner.y + (owner.height - size.height) / 2;
    }
    // Inside the screen; a window larger than the screen keeps its top-left corner on it.
    placed.x = std::max(std::min(placed.x, screen.x + screen.width - placed.width), screen.x);
    placed.y = std::max(std::min(placed.y, screen.y + screen.height - placed.height), screen.y);
    return placed;
}

} // namespace zel
