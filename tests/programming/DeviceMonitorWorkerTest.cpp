#include "MacroPlayerRig.h"

#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "programming/DeviceMonitor.h"
#include "programming/MacroPlayer.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace zel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::macroOf;

/// Both endless workers on the real clock, over the simulated mouse.
struct WorkerRig : test::PlayerRig {
    explicit WorkerRig(bool openLink = true) {
        backend.addDevice(mouse, "/dev/hidraw-sim");
        if (openLink) {
            link.open();
        }
    }
    void start() {
        monitorWorker = std::make_unique<DeviceMonitorWorker>(monitor, link);
        startPlayer();
    }
    void startPlayer() { playerWorker = std::make_unique<MacroPlayerWorker>(player); }
    ~WorkerRig() {
        if (playerWorker) {
            playerWorker->stop();
        }
        if (monitorWorker) {
            monitorWorker->stop();
        }
    }
    /// The input commands of one kind the mouse received.
    std::vector<sim::SimCommand> received(std::uint8_t command) const {
        std::vector<sim::SimCommand> out;
        for (const auto& c : mouse.commands()) {
            if (c.bytes.size() > 1 && c.bytes[1] == command) {
                out.push_back(c);
            }
        }
        return out;
    }

    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    SteadySleeper sleeper;
    DeviceLink link{backend, sleeper, acceptProductString("")};
    LinkPlayerCommands commands{link};
    /// The test thread owns the records: what the workers change waits for it here.
    test::QueuedOwnerTasks owner;
    SoftMacroContext ownedContext() {
        SoftMacroContext c = context();
        c.owner = &owner;
        return c;
    }
    DeviceMonitor monitor{state, ownedContext(), link};
    MacroPlayer player{state, ownedContext(), commands, sleeper};
    std::unique_ptr<DeviceMonitorWorker> monitorWorker;
    std::unique_ptr<MacroPlayerWorker> playerWorker;
};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 3000ms) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Milliseconds from each of `rounds` button presses, made while the workers sleep, to the
/// first command of kind `command` that follows it.
std::vector<double> reactionTimes(WorkerRig& rig, std::uint8_t command, int rounds,
                                  const std::function<void()>& press,
                                  const std::function<void()>& after = {}) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        std::this_thread::sleep_for(30ms); // long enough for every worker to fall asleep
        const std::size_t before = rig.received(command).size();
        const auto pressed = Clock::now();
        press();
        if (!waitFor([&] { return rig.received(command).size() > before; })) {
            return times;
        }
        times.push_back(ms(rig.received(command)[before].at - pressed));
        if (after) {
            after();
        }
    }
    return times;
}

TEST(SoftMacroWorkers, ProfileChangeAndDpiReleaseOnTheMouse) {
    WorkerRig rig;
    rig.configure("[Config2]\nK5=5\n[ShareData]\nSOFT_HARD_MAC=1\nDPI_LEVEL=0\n");
    for (auto& keys : rig.editTables().dpiKey) {
        keys[5] = true;
    }
    rig.publishTables();
    rig.start();

    rig.mouse.changeProfileOnMouse(2);
    ASSERT_TRUE(rig.owner.runUntil([&] { return rig.stored("Init", "CurConfig") == "2"; }));
    EXPECT_EQ(rig.currentProfile.load(), 2);
    EXPECT_EQ(rig.store.profiles[2].buttonCode[5], 5);

    rig.mouse.clickDpiButton(6, 4);
    ASSERT_TRUE(rig.owner.runUntil([&] { return rig.stored("ShareData", "DPI_LEVEL") == "4"; }));
    EXPECT_EQ(rig.store.shared.dpiLevel, 4);
    EXPECT_EQ(rig.soundDpiStage.load(), 4);
}

TEST(SoftMacroWorkers, AHeldMacroStopsAfterTheReleaseWithTheMacrosTiming) {
    WorkerRig rig;
    rig.configure("[Config0]\nK2=256\n");
    // Plays while held: A down, 15 ms, A up, 25 ms, again and again.
    rig.macros.groups[{0, 0}] = macroOf({{4, 1, 0, 0, 15}, {4, 2, 0, 0, 25}}, 2, 1);
    rig.start();

    rig.mouse.pressButton(3);
    std::this_thread::sleep_for(300ms);
    rig.mouse.releaseButton(3);
    const auto released = Clock::now();
    ASSERT_TRUE(waitFor([&] {
        const auto k = rig.received(0x15);
        return !k.empty() && k.back().bytes[2] == 0 && !rig.state.macroPending.load();
    }));
    std::this_thread::sleep_for(60ms); // nothing more may come
    const auto keys = rig.received(0x15);
    ASSERT_GE(keys.size(), 8U);
    // After the release: at most the step already under way, then the empty state.
    int late = 0;
    for (const auto& k : keys) {
        late += (k.at > released + 3ms) ? 1 : 0;
    }
    EXPECT_LE(late, 2);
    EXPECT_EQ(keys.back().bytes[2], 0);
    EXPECT_EQ(rig.received(0x16).size(), 1U); // the release of everything

    // Steps alternate A down / A up with the macro's delays between them.
    for (std::size_t i = 1; i + 1 < keys.size(); ++i) {
        const double expected = keys[i - 1].bytes[2] == 4 ? 15.0 : 25.0;
        EXPECT_NEAR(ms(keys[i].at - keys[i - 1].at), expected, 6.0) << "step " << i;
    }
}

TEST(SoftMacroWorkers, AToggleMacroStopsOnTheNextPress) {
    WorkerRig rig;
    rig.configure("[Config0]\nK4=257\n");
    rig.macros.groups[{0, 1}] = macroOf({{0xF6, 6, 2, 1, 10}}, 1, 1);
    rig.start();

    rig.mouse.pressButton(5);
    rig.mouse.releaseButton(5);
    std::this_thread::sleep_for(150ms);
    EXPECT_GE(rig.received(0x0B).size(), 5U); // still moving after the release
    rig.mouse.pressButton(5);
    rig.mouse.releaseButton(5);
    ASSERT_TRUE(waitFor([&] { return !rig.received(0x15).empty(); }));
    const std::size_t moves = rig.received(0x0B).size();
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(rig.received(0x0B).size(), moves);
    const auto move = rig.received(0x0B).front();
    EXPECT_EQ(test::hexBytes(move.bytes, 2, 8), "00 02 00 01 00 00");
}

TEST(SoftMacroWorkers, PointerButtonStepsOfAPlayedMacroLastAtLeast60Ms) {
    WorkerRig rig;
    rig.configure("[Config0]\nK1=256\n");
    rig.macros.groups[{0, 0}] =
        macroOf({{0xF1, 1, 0, 0, 10}, {0xF1, 2, 0, 0, 10}, {0x04, 1, 0, 0, 10}}, 0, 3);
    rig.start();
    rig.mouse.pressButton(2);
    rig.mouse.releaseButton(2);
    ASSERT_TRUE(waitFor([&] { return rig.received(0x15).size() >= 4; }));
    const auto buttons = rig.received(0x16);
    ASSERT_GE(buttons.size(), 6U);
    for (std::size_t i = 1; i < 6; i += 2) {
        const double pressToRelease = ms(buttons[i].at - buttons[i - 1].at);
        EXPECT_GE(pressToRelease, 59.5);
        EXPECT_LT(pressToRelease, 95.0);
    }
}

TEST(SoftMacroWorkers, StopWhileAnEndlessMacroPlays) {
    WorkerRig rig;
    rig.configure("[Config0]\nK1=256\n");
    rig.macros.groups[{0, 0}] = macroOf({{4, 1, 0, 0, 5}, {4, 2, 0, 0, 5}}, 2, 1);
    rig.start();
    rig.mouse.pressButton(2);
    ASSERT_TRUE(waitFor([&] { return rig.received(0x15).size() > 3; }));
    const auto before = Clock::now();
    rig.playerWorker->stop();
    rig.monitorWorker->stop();
    EXPECT_LT(ms(Clock::now() - before), 500.0);
    EXPECT_EQ(rig.received(0x15).back().bytes[2], 0); // everything released on the way out
}

TEST(SoftMacroWorkers, ASleepingMonitorTreatsAReportWithin2Ms) {
    WorkerRig rig;
    rig.configure("[Config0]\nK2=2\n");
    rig.editTables().switchKey[0][2] = true; // a press sends the mode switch at once
    rig.publishTables();
    rig.start();
    const auto times = reactionTimes(
        rig, kCmdModeSwitch, 7, [&] { rig.mouse.pressButton(3); },
        [&] { rig.mouse.releaseButton(3); });
    ASSERT_EQ(times.size(), 7U);
    EXPECT_LT(median(times), 2.0);
}

TEST(SoftMacroWorkers, ASleepingPlayerStartsAPendingPressPromptly) {
    WorkerRig rig;
    rig.configure("[Config0]\nK2=256\n");
    rig.macros.groups[{0, 0}] = macroOf({{4, 1, 0, 0, 1}, {4, 2, 0, 0, 1}}, 0, 1);
    rig.startPlayer(); // the player alone: the press is left for it as the monitor leaves it
    const auto times = reactionTimes(rig, kCmdKeyboardState, 5, [&] {
        rig.state.lastEvent.store(0xF3);
        rig.state.macroPending.store(true);
        rig.state.wakePlayer();
    });
    ASSERT_EQ(times.size(), 5U);
    EXPECT_LT(median(times), 2.0);
    ASSERT_TRUE(waitFor([&] { return !rig.state.macroPending.load(); }));

    // Through the monitor: a press on the mouse starts the macro as promptly.
    rig.monitorWorker = std::make_unique<DeviceMonitorWorker>(rig.monitor, rig.link);
    const auto pressed = reactionTimes(
        rig, kCmdKeyboardState, 5, [&] { rig.mouse.pressButton(3); },
        [&] { rig.mouse.releaseButton(3); });
    ASSERT_EQ(pressed.size(), 5U);
    EXPECT_LT(median(pressed), 2.0);
}

TEST(SoftMacroWorkers, AMonitorStartedBeforeTheOpenSleepsUntilIt) {
    WorkerRig rig(false);
    rig.configure("[Config0]\nK2=2\n");
    rig.editTables().switchKey[0][2] = true;
    rig.publishTables();
    rig.start();
    std::this_thread::sleep_for(30ms);
    ASSERT_TRUE(rig.link.open());
    rig.mouse.pressButton(3);
    EXPECT_TRUE(waitFor([&] { return !rig.received(kCmdModeSwitch).empty(); }, 500ms));

    // Removed and back: the monitor follows the link to the new collection.
    rig.mouse.unplug();
    EXPECT_EQ(rig.link.processHotplug(1000), HotplugResult::Removed);
    rig.mouse.plug();
    EXPECT_EQ(rig.link.processHotplug(1000), HotplugResult::Reconnected);
    rig.mouse.releaseButton(3);
    rig.mouse.pressButton(3);
    EXPECT_TRUE(waitFor([&] { return rig.received(kCmdModeSwitch).size() >= 3; }, 500ms));
}

TEST(SoftMacroWorkers, AStopEndsSleepingWorkersAtOnce) {
    for (const bool open : {true, false}) {
        WorkerRig rig(open);
        rig.start();
        std::this_thread::sleep_for(30ms);
        const auto before = Clock::now();
        rig.playerWorker->stop();
        rig.monitorWorker->stop();
        EXPECT_LT(ms(Clock::now() - before), 20.0) << (open ? "mouse open" : "mouse closed");
    }
}

} // namespace
} // namespace zel
