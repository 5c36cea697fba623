#include "lighting/SoundLightRunner.h"

#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace zel {
namespace {

class NoPauses final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {}
};

/// Hands out scripted peaks, then 0; counts the meters made and alive.
struct MeterScript {
    std::deque<float> peaks;
    int made = 0;
    int alive = 0;
};

class ScriptedMeter final : public audio::PeakMeter {
public:
    explicit ScriptedMeter(MeterScript& script) : m_script(script) { ++m_script.alive; }
    ~ScriptedMeter() override { --m_script.alive; }
    bool audioDevicePresent() override { return true; }
    float takePeak() override {
        if (m_script.peaks.empty()) {
            return 0.0F;
        }
        const float peak = m_script.peaks.front();
        m_script.peaks.pop_front();
        return peak;
    }

private:
    MeterScript& m_script;
};

struct RunnerRig {
    RunnerRig() {
        backend.addDevice(mouse, "/dev/hidraw-sim");
        EXPECT_TRUE(link.open());
    }
    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    NoPauses sleeper;
    DeviceLink link{backend, sleeper, acceptProductString("")};
    SoundLightState state;
    MeterScript script;
    SoundLightRunner runner{state, link, sleeper, [this] {
                                ++script.made;
                                return std::make_unique<ScriptedMeter>(script);
                            }};
};

// The meter exists only between switching on and off; sampling without it changes nothing.
TEST(SoundLightRunner, MeterOnlyWhileRunningAndSamplesFromIt) {
    RunnerRig rig;
    rig.script.peaks = {0.5F, 0.25F};
    rig.runner.samplingTick();
    EXPECT_EQ(rig.state.sampleHistory[0].load(), 0);
    EXPECT_EQ(rig.script.made, 0);

    rig.runner.start();
    rig.runner.start();
    EXPECT_EQ(rig.script.made, 1) << "a second start keeps the open meter";
    EXPECT_TRUE(rig.runner.running());
    EXPECT_TRUE(rig.runner.workerRunning());
    rig.runner.samplingTick();
    EXPECT_EQ(rig.state.sampleHistory[0].load(), 50);
    EXPECT_EQ(rig.state.sampleHistory[1].load(), 50);
    rig.runner.samplingTick();
    EXPECT_EQ(rig.state.sampleHistory[0].load(), 25);
    EXPECT_EQ(rig.state.sampleHistory[2].load(), 50);

    rig.runner.closeMeter();
    EXPECT_EQ(rig.script.alive, 0);
    EXPECT_FALSE(rig.runner.running());
    EXPECT_TRUE(rig.runner.workerRunning()) << "the worker ends only at the stop";
    rig.script.peaks = {1.0F};
    rig.runner.samplingTick();
    EXPECT_EQ(rig.state.sampleHistory[0].load(), 25);

    rig.runner.stop();
    EXPECT_FALSE(rig.runner.workerRunning());
    rig.runner.start();
    EXPECT_EQ(rig.script.made, 2) << "switching on again opens a new meter";
}

// Ending the runner with the lights following the sound ends the worker and the meter.
TEST(SoundLightRunner, EndingWhileOnLeavesNothingRunning) {
    {
        RunnerRig rig;
        rig.state.setMode(kSoundModePulse);
        rig.state.setShow(1);
        rig.runner.start();
        ASSERT_TRUE(rig.runner.workerRunning());
        rig.runner.stop();
        EXPECT_FALSE(rig.runner.workerRunning());
        EXPECT_EQ(rig.script.alive, 0);
        rig.runner.start();
    } // the destructor stops the second run, or the test does not end
}

} // namespace
} // namespace zel
