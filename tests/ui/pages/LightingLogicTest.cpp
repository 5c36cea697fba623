#include "ui/pages/LightingLogic.h"

#include "presentation/LayoutElements.h"
#include "settings/ColourChooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zel;
namespace lighting = zel::layout::skin_color;

namespace {

/// Answers with a scripted colour, or cancels, and remembers what it was opened with.
class ScriptedChooser final : public ColourChooser {
public:
    explicit ScriptedChooser(std::optional<ColourRef> answer) : m_answer(answer) {}
    std::optional<ColourRef> choose(ColourRef initial) override {
        opened.push_back(initial);
        return m_answer;
    }
    std::vector<ColourRef> opened;

private:
    std::optional<ColourRef> m_answer;
};

constexpr ColourRef rgb(int r, int g, int b) {
    return static_cast<ColourRef>(r) | (static_cast<ColourRef>(g) << 8) |
           (static_cast<ColourRef>(b) << 16);
}

bool covers(int effect, int element) {
    const auto covered = coveredElements(effect);
    return std::find(covered.begin(), covered.end(), element) != covered.end();
}

} // namespace

TEST(LightingControls, AnEffectCodeBeyondTheListKeepsOnlyTheReactionToggles) {
    EXPECT_FALSE(effectUses(14, LightingControl::Speed));
    EXPECT_FALSE(effectUses(-1, LightingControl::UserColours));
    EXPECT_TRUE(effectUses(99, LightingControl::ReactionToggles));
    EXPECT_TRUE(coveredElements(14).empty());
    EXPECT_FALSE(effectHidesText(-1, lighting::kColoursCaption));
}

TEST(LightingControls, CoversAndBlankCaptionsFollowTheEffect) {
    // The colour cycle: colours, speed, directions and reaction types covered.
    for (int e : {lighting::kCoverColours, lighting::kCoverSpeed, lighting::kCoverDirection,
                  lighting::kCoverReaction}) {
        EXPECT_TRUE(covers(2, e)) << e;
    }
    EXPECT_FALSE(covers(2, lighting::kCoverBrightness));
    // Wave uses everything but the reaction types.
    EXPECT_EQ(std::vector<int>(coveredElements(3).begin(), coveredElements(3).end()),
              std::vector<int>{lighting::kCoverReaction});
    // The reactions leave only their own row uncovered.
    EXPECT_FALSE(covers(12, lighting::kCoverReaction));
    EXPECT_TRUE(covers(13, lighting::kCoverReaction));
    // Single icons where the rest of the row is used.
    EXPECT_TRUE(covers(10, lighting::kMirror));
    EXPECT_TRUE(covers(7, lighting::kDirectionFirst + 2));
    EXPECT_FALSE(covers(7, lighting::kMirror));

    EXPECT_TRUE(effectHidesText(2, lighting::kSpeedCaption));
    EXPECT_FALSE(effectHidesText(2, lighting::kBrightnessCaption));
    EXPECT_TRUE(effectHidesText(4, lighting::kDirectionCaptionFirst + 3));
    EXPECT_FALSE(effectHidesText(4, lighting::kDirectionCaptionFirst + 2));
    EXPECT_TRUE(effectHidesText(10, lighting::kMirrorCaption));
    EXPECT_FALSE(effectHidesText(10, lighting::kDirectionCaptionFirst));
    for (int e = 0; e <= lighting::kLastElement; ++e) {
        EXPECT_FALSE(effectHidesText(3, e)) << e;
    }
}

TEST(LightingColours, TurningColoursOffStopsAtTheLastOne) {
    SharedSettings s;
    s.cycleColourMask = 0x7F;
    s.cycleColourOn.fill(1);
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(toggleUserColour(s, k)) << k;
    }
    EXPECT_FALSE(toggleUserColour(s, 6));
    EXPECT_EQ(s.cycleColourMask, 0x40);
    EXPECT_EQ(s.cycleColourOn, (std::array<std::int32_t, 7>{0, 0, 0, 0, 0, 0, 1}));
    // Any colour turns on again, and then the other may go.
    EXPECT_TRUE(toggleUserColour(s, 2));
    EXPECT_TRUE(toggleUserColour(s, 6));
    EXPECT_EQ(s.cycleColourMask, 0x04);
    EXPECT_FALSE(toggleUserColour(s, 7));
    EXPECT_FALSE(toggleUserColour(s, -1));
    EXPECT_EQ(s.cycleColourMask, 0x04);
}

TEST(LightingColours, AChosenColourIsStoredAsLevelsAndShownByThem) {
    struct Case {
        ColourRef chosen;
        std::array<std::int32_t, 3> levels;
        ColourRef shown;
    };
    for (const Case& c : {
             Case{rgb(255, 255, 255), {0, 0, 0}, rgb(255, 255, 255)},
             Case{rgb(0, 0, 0), {15, 15, 15}, rgb(15, 15, 15)},
             // Red 200 is level 3, drawn 207; green 16 is 14 (31); blue 128 is 7 (143).
             Case{rgb(200, 16, 128), {3, 14, 7}, rgb(207, 31, 143)},
         }) {
        std::array<std::int32_t, 3> levels{9, 9, 9};
        ColourRef shown = 0;
        storeColour(levels, shown, c.chosen);
        EXPECT_EQ(levels, c.levels);
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(LightingColours, TheChooserOpensOnBlackAndCancellingChangesNothing) {
    SharedSettings s;
    s.userColourLevel[4] = {1, 2, 3};
    s.userDisplayColour[4] = displayColour(1, 2, 3);
    const SharedSettings before = s;

    ScriptedChooser cancel(std::nullopt);
    EXPECT_FALSE(chooseUserColour(cancel, s, 4));
    EXPECT_FALSE(chooseDpiColour(cancel, s, 3));
    EXPECT_EQ(s.userColourLevel, before.userColourLevel);
    EXPECT_EQ(s.userDisplayColour, before.userDisplayColour);
    EXPECT_EQ(s.dpiColourLevel, before.dpiColourLevel);
    EXPECT_EQ(cancel.opened, (std::vector<ColourRef>{0, 0}));

    ScriptedChooser green(rgb(0, 255, 0));
    EXPECT_TRUE(chooseUserColour(green, s, 4));
    EXPECT_EQ(s.userColourLevel[4], (std::array<std::int32_t, 3>{15, 0, 15}));
    EXPECT_EQ(s.userDisplayColour[4], rgb(15, 255, 15));
    EXPECT_TRUE(chooseDpiColour(green, s, 3));
    EXPECT_EQ(s.dpiColourLevel[3], (std::array<std::int32_t, 3>{15, 0, 15}));
    EXPECT_EQ(s.dpiDisplayColour[3], rgb(15, 255, 15));
    EXPECT_EQ(s.dpiColourLevel[2], before.dpiColourLevel[2]);
    // Slots beyond the colours ask nothing.
    EXPECT_FALSE(chooseUserColour(green, s, 7));
    EXPECT_FALSE(chooseDpiColour(green, s, 6));
    EXPECT_EQ(green.opened.size(), 2u);
}

TEST(LightingSliders, FillsReachTheEndAtTheirLastValues) {
    EXPECT_EQ(ledSpeedSliderFill(0, 300), 50);
    EXPECT_EQ(ledSpeedSliderFill(4, 300), 250);
    EXPECT_EQ(ledSpeedSliderFill(5, 301), 301);
    EXPECT_EQ(ledBrightSliderFill(6, 300), 42);
    EXPECT_EQ(ledBrightSliderFill(1, 300), 257);
    // The brightest is at the right end.
    EXPECT_EQ(ledBrightSliderFill(0, 301), 301);
    // A value read from a damaged file stays within int.
    EXPECT_LT(ledSpeedSliderFill(-2'000'000'000, 300), 0);
    EXPECT_GT(ledBrightSliderFill(-2'000'000'000, 300), 0);
}
