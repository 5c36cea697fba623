#pragma once

#include "lighting/SoundLevel.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>

namespace zel {

class DeviceLink;

/// Sound patterns (`soundMode`); any other value sends nothing.
inline constexpr int kSoundModeBar = 2;
inline constexpr int kSoundModePulse = 3;
inline constexpr int kSoundModeTempo = 4;

/// The words the sound window's thread and the sound lighting worker share. Each is one
/// atomic word, written and read whole; the worker reads them afresh at every use, so a
/// pass under way sees changes made meanwhile. The setters that can give the worker
/// something to do wake it.
class SoundLightState {
public:
    SampleHistory sampleHistory{};
    std::atomic<std::int32_t> soundLevel{0};
    std::atomic<std::int32_t> soundMode{0};
    std::atomic<std::int32_t> soundShow{0};
    std::atomic<bool> tickPending{false};
    /// The mouse's DPI stage 0..7 as last learned.
    std::atomic<std::int32_t> soundDpiStage{0};
    /// Low four bits of byte 4 of every lighting command that is not a bar step.
    std::atomic<std::int32_t> lightingExtent{11};

    /// The sampling tick: stores the sample of a peak reading and derives the level.
    void sample(float peak);
    /// The 480 ms tick of the pulse and tempo patterns (`pulseTimer`) or of the bar
    /// pattern: marks a tick pending when the pattern matches.
    void patternTick(bool pulseTimer);
    void setMode(int mode);
    /// Not 0: the lights follow the sound.
    void setShow(int show);

    /// True when a pass of the worker would do something now: the switch is on and the
    /// pattern is the pulse, or a tick is pending.
    bool workDue() const;
    /// Blocks until `workDue` or a stop request; returns `workDue()`.
    bool waitForWork(std::stop_token stop);
    /// Wakes a waiting worker to look again.
    void wake();

private:
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
};

/// Learns the mouse's DPI stage from bits 0..2 of byte 0 of its DPI block; leaves the
/// stage as it was when nothing came back.
void learnSoundDpiStage(DeviceLink& link, SoundLightState& state);

} // namespace zel
