#include "MacroPlayerRig.h"

#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "programming/DeviceMonitor.h"
#include "programming/MacroPlayer.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace zel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::macroOf;

/// Both endless workers on the real clock, over the simulated mouse.
struct WorkerRig : test::PlayerRig {
    WorkerRig() {
        backend.addDevice(mouse, "/dev/hidraw-sim");
        link.open();
    }
    void start() {
        monitorWorker = std::make_unique<DeviceMonitorWorker>(monitor, link);
        playerWorker = std::make_unique<MacroPlayerWorker>(player);
    }
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
    DeviceMonitor monitor{state, context(), link};
    MacroPlayer player{state, context(), commands, sleeper};
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

TEST(SoftMacroWorkers, ProfileChangeAndDpiReleaseOnTheMouse) {
    WorkerRig rig;
    rig.configure("[Config2]\nK5=5\n[ShareData]\nSOFT_HARD_MAC=1\nDPI_LEVEL=0\n");
    for (auto& keys : rig.editTables().dpiKey) {
        keys[5] = true;
    }
    rig.publishTables();
    rig.start();

    rig.mouse.changeProfileOnMouse(2);
    ASSERT_TRUE(waitFor([&] { return rig.stored("Init", "CurConfig") == "2"; }));
    EXPECT_EQ(rig.currentProfile.load(), 2);
    EXPECT_EQ(rig.store.profiles[2].buttonCode[5], 5);

    rig.mouse.clickDpiButton(6, 4);
    ASSERT_TRUE(waitFor([&] { return rig.stored("ShareData", "DPI_LEVEL") == "4"; }));
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

} // namespace
} // namespace zel
