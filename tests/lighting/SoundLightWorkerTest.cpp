#include "lighting/SoundLightWorker.h"

#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zel {
namespace {

using namespace std::chrono_literals;

// The mouse, the link and a worker whose pauses are recorded in order with the commands
// the mouse received, as one trace: "13 FF E1 12 00 03 FF | p392 | ...".
struct Rig {
    Rig() {
        backend.addDevice(mouse, "/dev/hidraw-sim");
        EXPECT_TRUE(link.open());
        sleeper.onSleep = [this](std::chrono::microseconds pause) {
            flushCommands();
            trace.push_back(
                "p" + std::to_string(
                          std::chrono::duration_cast<std::chrono::milliseconds>(pause).count()));
            if (onPause) {
                onPause();
            }
        };
    }

    void flushCommands() {
        const auto commands = mouse.commands();
        for (; seen < commands.size(); ++seen) {
            // A DPI colour command defines bytes 1..3 only; the rest of the worker's
            // buffer is left from its last lighting command.
            const auto& bytes = commands[seen].bytes;
            const std::size_t end = bytes[1] == 0x14 ? 4 : bytes.size();
            std::string text;
            for (std::size_t i = 1; i < end; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, i == 1 ? "%02X" : " %02X", commands[seen].bytes[i]);
                text += hex;
            }
            trace.push_back(text);
        }
    }

    /// The trace of one pass.
    std::string step() {
        trace.clear();
        worker.soundStep();
        flushCommands();
        std::string joined;
        for (const auto& entry : trace) {
            joined += (joined.empty() ? "" : " | ") + entry;
        }
        return joined;
    }

    void setLoudness(int level, int newest) {
        state.soundLevel.store(level);
        state.sampleHistory[0].store(newest);
    }

    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    RecordingSleeper sleeper;
    DeviceLink link{backend, sleeper, acceptProductString("")};
    SoundLightState state;
    SoundLightWorker worker{state, link, sleeper};
    std::vector<std::string> trace;
    std::size_t seen = 0;
    std::function<void()> onPause;
};

// Bar step at extent n, the fade that ends a bar early, and the quiet ending's sparkle.
std::string bar(int n) {
    return "13 FF E1 1" + std::string(1, "0123456789AB"[n]) + " 00 03 FF";
}
const std::string kFade = "13 FF 11 1B 03 83 FF";
const std::string kSparkle = "13 FF 52 0B 00 83 EB";

TEST(SoundLightWorker, BarRisesToTheLevelAndFallsOnTheNextTick) {
    Rig rig;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModeBar);
    rig.setLoudness(2, 50);
    EXPECT_EQ(rig.step(), ""); // no tick pending
    rig.state.patternTick(false);
    EXPECT_EQ(rig.step(), "p43 | p43 | " + bar(0) + " | p43 | " + bar(1));
    EXPECT_EQ(rig.worker.barHeight(), 2);
    EXPECT_FALSE(rig.state.tickPending.load());

    // Silence: the bar falls from 2 through 0, then the quiet ending.
    rig.setLoudness(0, 0);
    rig.state.patternTick(false);
    EXPECT_EQ(rig.step(), bar(2) + " | p392 | " + bar(1) + " | p392 | " + bar(0) +
                              " | p392 | p240 | " + kSparkle + " | p240 | " + bar(0));
    EXPECT_EQ(rig.worker.barHeight(), 0);
}

TEST(SoundLightWorker, LoudBarStepsAllReachTheFullExtent) {
    Rig rig;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModeBar);
    rig.setLoudness(10, 90);
    rig.state.patternTick(false);
    std::string expected = "p8";
    for (int i = 0; i < 10; ++i) {
        expected += " | p8 | " + bar(11);
    }
    expected += " | p8"; // the closing pause from level 7 up
    EXPECT_EQ(rig.step(), expected);

    // A smaller extent caps the bar from extent - 1 up, and the quiet ending uses it.
    rig.state.lightingExtent.store(9);
    rig.setLoudness(8, 0);
    rig.state.patternTick(false);
    const std::string trace = rig.step();
    expected = "p10";
    for (int i = 0; i < 8; ++i) {
        expected += " | p10 | " + bar(9);
    }
    expected += " | p10 | p240 | 13 FF 52 09 00 83 EB | p240 | " + bar(0);
    // After the fall from 10 (pauses of 392 / 9).
    EXPECT_EQ(trace.substr(trace.find("p43 | p10") + 6), expected);
}

TEST(SoundLightWorker, SwitchingOffStopsTheBarWithAFade) {
    Rig rig;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModeBar);
    rig.setLoudness(5, 50);
    rig.state.patternTick(false);
    rig.step(); // bar height 5
    rig.setLoudness(0, 0);
    rig.state.patternTick(false);
    rig.onPause = [&] { rig.state.setShow(0); };
    EXPECT_EQ(rig.step(),
              bar(5) + " | p98 | " + kFade + " | p240 | " + kSparkle + " | p240 | " + bar(0));
}

TEST(SoundLightWorker, PulseAlternatesAndCyclesTheDpiColour) {
    Rig rig;
    rig.mouse.setMemory(0x18, {0x1A, 0, 0, 0, 0, 0, 0, 0});
    learnSoundDpiStage(rig.link, rig.state);
    EXPECT_EQ(rig.state.soundDpiStage.load(), 2);
    rig.mouse.clearRecords();
    rig.seen = 0;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModePulse);

    // Silence: effect 2 dim with a DPI colour, then effect 13, every 480 ms; magenta first.
    EXPECT_EQ(rig.step(), "13 FF A2 0B 04 03 FF | p480 | 14 4F 00");
    EXPECT_EQ(rig.step(), "13 FF 52 0B 03 83 FF | p480");
    EXPECT_EQ(rig.step(), "13 FF A2 0B 04 03 FF | p480 | 14 40 0F"); // yellow
    rig.step();
    EXPECT_EQ(rig.step(), "13 FF A2 0B 04 03 FF | p480 | 14 4F F0"); // blue

    // Sound at level 3: pauses of 480 / 4, the DPI colour after the steady half.
    rig.setLoudness(3, 40);
    EXPECT_EQ(rig.step(), "13 FF A2 0B 00 03 FF | p120 | 14 4F 0F"); // red
    EXPECT_EQ(rig.step(), "13 FF 52 0B 00 83 EB | p120");
    EXPECT_EQ(rig.worker.dpiColourStep(), 0);
    EXPECT_EQ(rig.step(), "13 FF A2 0B 00 03 FF | p120 | 14 4F 00"); // magenta again
}

TEST(SoundLightWorker, PatternChangedDuringAPulseGivesRedWithoutAdvancing) {
    Rig rig;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModePulse);
    rig.step();
    rig.step(); // magenta sent, step 1
    rig.onPause = [&] { rig.state.setMode(kSoundModeBar); };
    EXPECT_EQ(rig.step(), "13 FF A2 0B 04 03 FF | p480 | 14 0F 0F");
    EXPECT_EQ(rig.worker.dpiColourStep(), 1);
}

TEST(SoundLightWorker, TempoSendsOneCommandPerTickByLevel) {
    Rig rig;
    rig.state.setShow(1);
    rig.state.setMode(kSoundModeTempo);
    const char* const expected[] = {
        "13 FF C0 4B 03 03 FF", // 0: effect 4, symmetric
        "13 FF 00 0B 02 83 FF", "13 FF 01 0B 02 83 FF", "13 FF 01 0B 01 83 FF",
        "13 FF 02 0B 01 83 FF", "13 FF 03 0B 00 83 FF", "13 FF 04 0B 00 83 FF",
        "13 FF 05 0B 01 83 FF", "13 FF 05 0B 01 83 FF", // 7 and 11 alike
    };
    const int levels[] = {0, 1, 2, 3, 4, 5, 6, 7, 11};
    for (std::size_t i = 0; i < std::size(levels); ++i) {
        rig.state.soundLevel.store(levels[i]);
        // The bar timer's tick does not count for the tempo pattern.
        rig.state.patternTick(false);
        EXPECT_EQ(rig.step(), "");
        rig.state.patternTick(true);
        EXPECT_EQ(rig.step(), expected[i]) << "level " << levels[i];
    }
}

TEST(SoundLightWorker, OtherPatternsSendNothing) {
    Rig rig;
    rig.state.setShow(1);
    for (int mode : {0, 1, 5}) {
        rig.state.setMode(mode);
        rig.state.tickPending.store(true);
        EXPECT_FALSE(rig.state.workDue());
        EXPECT_EQ(rig.step(), "") << "mode " << mode;
    }
}

// Pauses of 1 ms that count, for the worker on its own thread.
class CountingSleeper final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {
        ++count;
        std::this_thread::sleep_for(1ms);
    }
    std::atomic<int> count{0};
};

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(SoundLightWorker, ThreadIdlesWhileOffAndFollowsTheSwitch) {
    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "/dev/hidraw-sim");
    CountingSleeper sleeper;
    DeviceLink link(backend, sleeper, acceptProductString(""));
    ASSERT_TRUE(link.open());
    SoundLightState state;
    SoundLightWorker worker(state, link, sleeper);
    state.setMode(kSoundModePulse);
    ASSERT_TRUE(worker.start());
    EXPECT_FALSE(worker.start());

    // Off: no pass, no pause, no report.
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(sleeper.count.load(), 0);
    EXPECT_TRUE(mouse.commands().empty());

    state.setShow(1);
    EXPECT_TRUE(waitFor([&] { return mouse.commands().size() >= 4; }));
    state.setShow(0);
    // The pass under way ends; then nothing more comes.
    std::size_t settled = mouse.commands().size();
    EXPECT_TRUE(waitFor([&] {
        std::this_thread::sleep_for(20ms);
        const std::size_t now = mouse.commands().size();
        return std::exchange(settled, now) == now;
    }));
    const int pauses = sleeper.count.load();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(mouse.commands().size(), settled);
    EXPECT_EQ(sleeper.count.load(), pauses);

    // The tempo pattern runs a pass only when its tick comes.
    state.setMode(kSoundModeTempo);
    state.setShow(1);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(mouse.commands().size(), settled);
    state.patternTick(true);
    EXPECT_TRUE(waitFor([&] { return mouse.commands().size() == settled + 1; }));

    worker.stop();
    EXPECT_FALSE(worker.running());
}

// The pulse pattern always has a pass to run while the switch is on; a stop still ends
// the thread after the pass under way.
TEST(SoundLightWorker, StopEndsAPulseThatAlwaysHasWork) {
    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "/dev/hidraw-sim");
    CountingSleeper sleeper;
    DeviceLink link(backend, sleeper, acceptProductString(""));
    ASSERT_TRUE(link.open());
    SoundLightState state;
    SoundLightWorker worker(state, link, sleeper);
    state.setMode(kSoundModePulse);
    state.setShow(1);
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(waitFor([&] { return mouse.commands().size() >= 4; }));
    auto stopped = std::async(std::launch::async, [&] { worker.stop(); });
    const bool ended = stopped.wait_for(2s) == std::future_status::ready;
    EXPECT_TRUE(ended) << "the stop never returned";
    if (!ended) {
        state.setShow(0); // lets the thread go, so the test ends
    }
    stopped.wait();
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(worker.inPass());
}

} // namespace
} // namespace zel
