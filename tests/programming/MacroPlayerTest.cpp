#include "MacroPlayerRig.h"

#include "device/Sleeper.h"
#include "programming/MacroPlayer.h"

#include <gtest/gtest.h>

#include <functional>

namespace zel {
namespace {

using test::macroOf;
using test::PlayerRig;
using Log = std::vector<std::string>;

/// Writes every command and every pause into one log, in order.
class LoggingCommands final : public PlayerCommands {
public:
    explicit LoggingCommands(Log& log) : m_log(log) {}
    void keyboardState(const KeyboardState& s) override {
        const auto& k = s.slots();
        add("K " + test::hexBytes({k.begin(), k.end()}, 0, 6));
    }
    void pointerButtons(const KeyboardState& s) override {
        add("B " + test::hexBytes({s.buttons()}, 0, 1));
    }
    void pointerMove(int dx, int dy, int direction, int extraDy) override {
        add("M " + std::to_string(dx) + " " + std::to_string(dy) + " " + std::to_string(direction) +
            " " + std::to_string(extraDy));
    }
    void consumerKey(int index) override { add("C " + std::to_string(index)); }
    /// Called after each command is logged (tests release buttons at set points).
    std::function<void(std::size_t commands)> after;

private:
    void add(std::string line) {
        m_log.push_back(std::move(line));
        ++m_count;
        if (after) {
            after(m_count);
        }
    }
    Log& m_log;
    std::size_t m_count = 0;
};

class MacroPlayerTest : public ::testing::Test {
protected:
    MacroPlayerTest() {
        sleeper.onSleep = [this](std::chrono::microseconds d) {
            log.push_back("P " + std::to_string(d.count() / 1000));
        };
    }
    MacroPlayer player(std::function<std::uint32_t()> random = [] { return 0U; }) {
        return MacroPlayer(rig.state, rig.context(), commands, sleeper, std::move(random));
    }
    /// A press of physical button `b` as the monitor leaves it for the player.
    void pending(std::uint8_t b) {
        rig.store.publish(); // the test thread owns the records and may have changed them
        rig.state.lastEvent = static_cast<std::uint8_t>(0xF0 + b);
        rig.state.macroPending = true;
        rig.state.held = true;
    }

    PlayerRig rig;
    Log log;
    LoggingCommands commands{log};
    RecordingSleeper sleeper;
};

TEST(MacroPlayerRules, ClassifiesAPendingPress) {
    EXPECT_EQ(classifyPress(41, 0, 0xF3, false), PressKind::GroupMacro);
    EXPECT_EQ(classifyPress(3083, 2, 0xF3, false), PressKind::GroupMacro);
    EXPECT_EQ(classifyPress(256, 1, 0xF3, false), PressKind::Nothing); // macro-light button
    EXPECT_EQ(classifyPress(256, 1, 0xF1, true), PressKind::TogglePlay);
    EXPECT_EQ(classifyPress(3084, 0, 0xF3, false), PressKind::Nothing);
    EXPECT_EQ(classifyPress(33, 1, 0xF3, false), PressKind::Combination);
    EXPECT_EQ(classifyPress(40, 0, 0xF3, true), PressKind::Combination);
    EXPECT_EQ(classifyPress(23, 0, 0xF1, true), PressKind::Multimedia);
    EXPECT_EQ(classifyPress(32, 0, 0xF3, false), PressKind::Multimedia);
    EXPECT_EQ(classifyPress(1, 0, 0xF1, true), PressKind::TogglePlay);
    EXPECT_EQ(classifyPress(1, 0, 0xF1, false), PressKind::Nothing);
    EXPECT_EQ(classifyPress(1, 0, 0xF2, true), PressKind::Nothing);
}

TEST(MacroPlayerRules, PointerButtonStepsPauseAtLeast60Ms) {
    const auto fixed = [](std::uint32_t v) { return [v] { return v; }; };
    // A pointer-button press with 10 ms: raised to 60, plus random mod 30.
    EXPECT_EQ(stepPause({0xF1, 1, 0, 0, 10}, fixed(47)).count(), 60 + 17);
    EXPECT_EQ(stepPause({0xF3, 2, 0, 0, 10}, fixed(0)).count(), 60);
    EXPECT_EQ(stepPause({0xF2, 1, 0, 0, 100}, fixed(149)).count(), 100 + 49);
    EXPECT_EQ(stepPause({0xF1, 1, 0, 0, 119}, fixed(59)).count(), 119 + 0);
    EXPECT_EQ(stepPause({0xF1, 2, 0, 0, 120}, fixed(7)).count(), 120);
    EXPECT_EQ(stepPause({0xF8, 1, 0, 0, 5}, fixed(0)).count(), 60); // any code from 0xF0
    // Everything else pauses exactly its delay.
    EXPECT_EQ(stepPause({0x04, 1, 0, 0, 10}, fixed(47)).count(), 10);
    EXPECT_EQ(stepPause({0xF6, 6, 3, 3, 10}, fixed(47)).count(), 10);
    EXPECT_EQ(stepPause({0xF1, 0, 0, 0, 10}, fixed(47)).count(), 10);
    EXPECT_EQ(stepPause({0x00, 0, 0, 0, 0}, fixed(47)).count(), 0);
    EXPECT_EQ(stepPause({0x04, 2, 0, 0, 65535}, fixed(1)).count(), 65535);
    // The time-seeded source stays inside the lengthening.
    for (int i = 0; i < 50; ++i) {
        const auto p = stepPause({0xF1, 1, 0, 0, 10}, timeSeededRandom).count();
        EXPECT_GE(p, 60);
        EXPECT_LT(p, 90);
    }
}

TEST_F(MacroPlayerTest, SendsEachStepThenPausesAndReleasesEverythingAtTheEnd) {
    MacroRecord r = macroOf({
        {0x04, 1, 0, 0, 10}, // A down
        {0xE0, 1, 0, 0, 5},  // left Ctrl down
        {0x04, 2, 0, 0, 3},  // A up: Ctrl moves to slot 0
        {0x05, 2, 0, 0, 1},  // B up, never pressed: the state is sent unchanged
        {0x00, 0, 0, 0, 7},  // a pause step sends the keyboard state too
        {0xF1, 1, 0, 0, 10}, // left button down
        {0xF3, 1, 0, 0, 0},  // right button down
        {0xF1, 2, 0, 0, 200},
        {0xF8, 9, 3, 0, 0}, // other codes from 0xF0: unchanged button state, and
                            // only presses and releases get the 60 ms floor
        {0xF6, 4, 7, 9, 2}, // move X-, Y+
    });
    r.extra76 = 0;
    r.extra77 = 12;
    auto p = player();
    p.play(r, 1);
    EXPECT_EQ(log, (Log{
                       "K 04 00 00 00 00 00",
                       "P 10",
                       "K 04 E0 00 00 00 00",
                       "P 5",
                       "K E0 00 00 00 00 00",
                       "P 3",
                       "K E0 00 00 00 00 00",
                       "P 1",
                       "K E0 00 00 00 00 00",
                       "P 7",
                       "B FE",
                       "P 60",
                       "B FC",
                       "P 60",
                       "B FD",
                       "P 200",
                       "B FD",
                       "P 0",
                       "M 7 9 4 0",
                       "P 2",
                       // release everything
                       "P 10",
                       "B FF",
                       "P 10",
                       "K 00 00 00 00 00 00",
                   }));
}

TEST_F(MacroPlayerTest, KeyboardSlotsHoldSixKeysAndTheExtraOffsetOfWeaponMacros) {
    MacroRecord r = macroOf({{4, 1, 0, 0, 0},
                             {5, 1, 0, 0, 0},
                             {6, 1, 0, 0, 0},
                             {7, 1, 0, 0, 0},
                             {8, 1, 0, 0, 0},
                             {9, 1, 0, 0, 0},
                             {10, 1, 0, 0, 0}, // seventh key: not reported
                             {10, 2, 0, 0, 0}, // its release disturbs nothing
                             {5, 2, 0, 0, 0},
                             {0xF6, 3, 2, 5, 0}});
    r.extra76 = 1;
    r.extra77 = 30;
    auto p = player();
    p.play(r, 1);
    ASSERT_GE(log.size(), 20U);
    EXPECT_EQ(log[10], "K 04 05 06 07 08 09");
    EXPECT_EQ(log[12], "K 04 05 06 07 08 09");
    EXPECT_EQ(log[14], "K 04 05 06 07 08 09");
    EXPECT_EQ(log[16], "K 04 06 07 08 09 00");
    EXPECT_EQ(log[18], "M 2 5 3 30"); // extra77 joins dy when extra76 is set
}

TEST_F(MacroPlayerTest, RepeatsAndTheStepCountBound) {
    MacroRecord r = macroOf({{4, 1, 0, 0, 1}, {4, 2, 0, 0, 1}}, 0, 3);
    auto p = player();
    p.play(r, r.repeatCount);
    EXPECT_EQ(std::count(log.begin(), log.end(), "K 04 00 00 00 00 00"), 3);
    log.clear();
    // A record from a damaged file claims more steps than it holds.
    r.stepCount = 60000;
    p.play(r, 1);
    EXPECT_EQ(log.size(), 2U * kMaxSteps + 4U);
}

TEST_F(MacroPlayerTest, PlayWhileHeldStopsAtTheFirstStepBoundaryAfterTheRelease) {
    rig.configure("[Config0]\nK2=256\n");
    rig.macros.groups[{0, 0}] = macroOf({{4, 1, 0, 0, 20}, {4, 2, 0, 0, 20}}, 2, 1);
    pending(3);
    // The release arrives while the third step's pause runs.
    commands.after = [this](std::size_t n) {
        if (n == 3) {
            rig.state.held = false;
        }
    };
    auto p = player();
    p.pass();
    EXPECT_EQ(log,
              (Log{"K 04 00 00 00 00 00", "P 20", "K 00 00 00 00 00 00", "P 20",
                   "K 04 00 00 00 00 00", "P 20", "P 10", "B FF", "P 10", "K 00 00 00 00 00 00"}));
    EXPECT_FALSE(rig.state.macroPending.load());
}

TEST_F(MacroPlayerTest, PlayUntilPressedAgainStopsWhenToggledClears) {
    rig.configure("[Config0]\nK4=257\n");
    rig.macros.groups[{0, 1}] = macroOf({{0xF6, 6, 1, 1, 5}}, 1, 1);
    pending(5);
    rig.state.toggled = true;
    commands.after = [this](std::size_t n) {
        if (n == 40) {
            rig.state.toggled = false; // the next press
        }
    };
    auto p = player();
    p.pass();
    // 40 moves, then the release of everything: the endless repeat ended.
    EXPECT_EQ(std::count(log.begin(), log.end(), "M 1 1 6 0"), 40);
    EXPECT_EQ(log.back(), "K 00 00 00 00 00 00");
}

TEST_F(MacroPlayerTest, WhatAPendingPressPlays) {
    rig.configure("[Config0]\nK0=1\nK1=512\nK2=24\nK3=33,Ctrl&split&162&split&Shift&split&"
                  "&split&Alt&split&&split&Win&split&&split&A&split&65\nK4=300\nK5=60\n"
                  "LEFT_MAC05=1\n");
    rig.macros.groups[{1, 0}] = macroOf({{0x1E, 1, 0, 0, 0}});
    rig.macros.groups[{0, 44}] = macroOf({{0x1F, 1, 0, 0, 0}});
    rig.macros.presets.resize(11);
    rig.macros.presets[10] = macroOf({{0x20, 1, 0, 0, 0}});
    auto p = player();

    // A group macro button: macro 0 of group 1.
    pending(2);
    p.pass();
    EXPECT_EQ(log.front(), "K 1E 00 00 00 00 00");
    // A macro that does not exist plays nothing at all.
    log.clear();
    rig.macros.groups.erase({1, 0});
    pending(2);
    p.pass();
    EXPECT_TRUE(log.empty());
    // Multimedia: the consumer key of index code - 23, nothing else.
    pending(3);
    p.pass();
    EXPECT_EQ(log, Log{"C 1"});
    // A combination: the button's own combination record, played once.
    log.clear();
    pending(4);
    p.pass();
    EXPECT_EQ(log, (Log{"K E0 00 00 00 00 00", "P 4", "K E0 04 00 00 00 00", "P 4", "P 10", "B FF",
                        "P 10", "K 00 00 00 00 00 00"}));
    // Toggle play: physical button 1 while a macro-light button holds it plays that
    // button's macro (here a weapon preset, code 60).
    log.clear();
    rig.state.toggleActive = true;
    rig.state.toggleKey = 5;
    pending(1);
    p.pass();
    EXPECT_EQ(log.front(), "K 20 00 00 00 00 00");
    // ... and a group macro when its code is 256 and up.
    log.clear();
    rig.state.toggleKey = 4;
    pending(1);
    p.pass();
    EXPECT_EQ(log.front(), "K 1F 00 00 00 00 00");
    // Without a takeover, physical button 1 plays nothing.
    log.clear();
    rig.state.toggleActive = false;
    pending(1);
    p.pass();
    EXPECT_TRUE(log.empty());
}

TEST_F(MacroPlayerTest, WithoutSoftwareMacrosOnlyMultimediaPlays) {
    rig.configure("[Config0]\nK1=256\nK2=30\n[ShareData]\nSOFT_HARD_MAC=0\n");
    ASSERT_EQ(rig.store.shared.softHardMacro, 0);
    rig.macros.groups[{0, 0}] = macroOf({{0x1E, 1, 0, 0, 0}});
    auto p = player();
    pending(2);
    p.pass();
    EXPECT_TRUE(log.empty());
    pending(3);
    p.pass();
    EXPECT_EQ(log, Log{"C 7"});
}

TEST_F(MacroPlayerTest, ADpiReleaseStoresTheLevelOfTheMouse) {
    rig.configure("[ShareData]\nSOFT_HARD_MAC=1\nDPI_LEVEL=1\n");
    rig.editTables().dpiKey[0][5] = true;
    rig.publishTables();
    auto p = player();
    // A release of another button changes nothing.
    rig.state.dpiEvent = 0xF2;
    rig.state.dpiReportByte = 0x84;
    rig.state.dpiPending = true;
    p.pass();
    EXPECT_FALSE(rig.state.dpiPending.load());
    EXPECT_EQ(rig.store.shared.dpiLevel, 1);
    EXPECT_EQ(rig.view.repaints.load(), 0);
    // The DPI button (slot 5, physical 6) released with byte 2 = 0x83.
    rig.state.dpiEvent = 0xF6;
    rig.state.dpiReportByte = 0x83;
    rig.state.dpiPending = true;
    p.pass();
    EXPECT_EQ(rig.store.shared.dpiLevel, 3);
    EXPECT_EQ(rig.soundDpiStage.load(), 3);
    EXPECT_EQ(rig.view.repaints.load(), 1);
    EXPECT_EQ(rig.stored("ShareData", "DPI_LEVEL"), "3");
    EXPECT_TRUE(log.empty());
}

} // namespace
} // namespace zel
