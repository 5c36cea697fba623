#include "ui/pages/WindowReach.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {
const DesktopRect kScreen{0, 0, 1920, 1080};
const DesktopRect kRight{1920, 0, 1280, 1024};
constexpr ReachRule kRule{56, 120};
} // namespace

TEST(WindowReach, AWindowWhoseBandIsOnAScreenStaysPut) {
    const std::vector<DesktopRect> screens{kScreen};
    for (const DesktopRect w : {DesktopRect{100, 100, 1000, 700}, DesktopRect{-880, 0, 1000, 700},
                                DesktopRect{1800, 1024, 1000, 700}}) {
        EXPECT_EQ(keepBandReachable(w, screens, kRule), w);
    }
    // Across two screens the band only has to be on one of them.
    EXPECT_EQ(keepBandReachable({1400, 500, 1000, 700}, {kScreen, kRight}, kRule),
              (DesktopRect{1400, 500, 1000, 700}));
}

TEST(WindowReach, PastAnEdgeTheWindowComesBackJustFarEnough) {
    const std::vector<DesktopRect> screens{kScreen};
    // Past the left, right and bottom edges, and above the top: the band's reachable part.
    EXPECT_EQ(keepBandReachable({-990, 300, 1000, 700}, screens, kRule),
              (DesktopRect{-880, 300, 1000, 700}));
    EXPECT_EQ(keepBandReachable({1900, 300, 1000, 700}, screens, kRule),
              (DesktopRect{1800, 300, 1000, 700}));
    EXPECT_EQ(keepBandReachable({200, 1070, 1000, 700}, screens, kRule),
              (DesktopRect{200, 1024, 1000, 700}));
    EXPECT_EQ(keepBandReachable({200, -30, 1000, 700}, screens, kRule),
              (DesktopRect{200, 0, 1000, 700}));
    // Far off in a corner: the nearest corner place.
    EXPECT_EQ(keepBandReachable({-5000, 9000, 1000, 700}, screens, kRule),
              (DesktopRect{-880, 1024, 1000, 700}));
}

TEST(WindowReach, TheNearestScreenTakesTheWindowAndOddInputChangesNothing) {
    // Below the right screen, which is shorter than the left one.
    EXPECT_EQ(keepBandReachable({2100, 1040, 1000, 700}, {kScreen, kRight}, kRule),
              (DesktopRect{2100, 968, 1000, 700}));
    // No screens, or a screen without area: nothing to move to.
    EXPECT_EQ(keepBandReachable({-5000, 0, 1000, 700}, {}, kRule),
              (DesktopRect{-5000, 0, 1000, 700}));
    EXPECT_EQ(keepBandReachable({-5000, 0, 1000, 700}, {DesktopRect{0, 0, 0, 0}}, kRule),
              (DesktopRect{-5000, 0, 1000, 700}));
    // A window narrower than the visible width needs all of itself on the screen.
    EXPECT_EQ(keepBandReachable({-50, 10, 80, 80}, {kScreen}, kRule), (DesktopRect{0, 10, 80, 80}));
}

TEST(WindowReach, ASecondWindowOpensBesideItsOwnerAndOnTheScreen) {
    const DesktopRect guide{0, 0, 900, 720};
    // Room on the right, then only on the left, then none: over the owner, centred.
    EXPECT_EQ(placeBeside(guide, {0, 100, 1000, 700}, kScreen, 520),
              (DesktopRect{1008, 100, 900, 720}));
    EXPECT_EQ(placeBeside(guide, {920, 100, 1000, 700}, kScreen, 520),
              (DesktopRect{12, 100, 900, 720}));
    EXPECT_EQ(placeBeside(guide, {300, 0, 1000, 700}, {0, 0, 1600, 1000}, 520),
              (DesktopRect{350, 0, 900, 720}));
    // Narrowed to the room beside the owner while that is wide enough to read.
    EXPECT_EQ(placeBeside(guide, {0, 0, 1000, 700}, {0, 0, 1600, 1000}, 520),
              (DesktopRect{1008, 0, 592, 720}));
    EXPECT_EQ(placeBeside(guide, {600, 0, 1000, 700}, {0, 0, 1600, 1000}, 520),
              (DesktopRect{0, 0, 592, 720}));
    // Low on the screen it is lifted to fit; a screen smaller than it keeps its corner.
    EXPECT_EQ(placeBeside(guide, {0, 600, 1000, 700}, kScreen, 520),
              (DesktopRect{1008, 360, 900, 720}));
    EXPECT_EQ(placeBeside(guide, {0, 0, 640, 480}, {0, 0, 800, 600}, 520),
              (DesktopRect{0, 0, 900, 720}));
}
