#pragma once

#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "lighting/SoundLightState.h"
#include "lighting/SoundLightWorker.h"
#include "platform/audio/PeakMeter.h"

#include <functional>
#include <memory>

namespace zel {

/// The running sound-reactive lighting: a peak meter of what the computer plays and the
/// lighting worker, both there only while the switch is on, so no audio stream is open
/// while the lights do not follow the sound. The window's thread owns it and drives it
/// with the sampling tick and the two pattern ticks; the meter is read on that thread only.
class SoundLightRunner {
public:
    using MeterFactory = std::function<std::unique_ptr<audio::PeakMeter>()>;

    SoundLightRunner(SoundLightState& state, DeviceLink& link, Sleeper& sleeper,
                     MeterFactory makeMeter);
    ~SoundLightRunner();
    SoundLightRunner(const SoundLightRunner&) = delete;
    SoundLightRunner& operator=(const SoundLightRunner&) = delete;

    /// Opens the meter and starts the worker unless they run.
    void start();
    /// Closes the meter at once; the worker finishes the pass under way (the switch is off,
    /// so it then idles) and is ended by `stop`.
    void closeMeter();
    /// Ends the worker, waiting for the pass under way, and closes the meter.
    void stop();

    /// The meter is open (the switch was turned on and not off since).
    bool running() const { return m_meter != nullptr; }
    bool workerRunning() const { return m_worker.running(); }
    /// The worker is in the middle of a pass.
    bool workerInPass() const { return m_worker.inPass(); }
    /// The open meter, or null.
    audio::PeakMeter* meter() const { return m_meter.get(); }

    /// The sampling tick: the peak since the last tick goes into the history and the level
    /// follows. Without an open meter nothing changes.
    void samplingTick();
    /// A 480 ms tick of the pulse and tempo patterns (`pulseTimer`) or of the bar pattern.
    void patternTick(bool pulseTimer) { m_state.patternTick(pulseTimer); }

    SoundLightWorker& worker() { return m_worker; }

private:
    SoundLightState& m_state;
    MeterFactory m_makeMeter;
    std::unique_ptr<audio::PeakMeter> m_meter;
    SoundLightWorker m_worker;
};

} // namespace zel
