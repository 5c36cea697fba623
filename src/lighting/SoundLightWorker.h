#pragma once

#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "lighting/SoundCommands.h"
#include "lighting/SoundLightState.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace zel {

/// Turns the loudness into lighting and DPI colour commands in one of three patterns, on
/// a thread of its own. It sends from a report buffer of its own through the link, so its
/// reports never touch the transport's buffer. While the switch is off, or while the
/// chosen pattern waits for its tick, the thread sleeps on the state's event.
class SoundLightWorker {
public:
    SoundLightWorker(SoundLightState& state, DeviceLink& link, Sleeper& sleeper);
    ~SoundLightWorker();
    SoundLightWorker(const SoundLightWorker&) = delete;
    SoundLightWorker& operator=(const SoundLightWorker&) = delete;

    /// Starts the thread unless it runs; true when it was started.
    bool start();
    bool running() const { return m_thread.joinable(); }
    /// Ends the thread after the pass under way and waits for it.
    void stop();
    /// A pass is under way (false while the thread waits for work or does not run).
    bool inPass() const { return m_inPass.load(); }

    /// One pass for the current pattern: the bar and tempo patterns act only on a pending
    /// tick, the pulse pattern at every pass; any other pattern sends nothing.
    void soundStep();

    /// The sound lighting command with the given values, colour mask 0x7F, restore flag 1.
    void sendSoundLighting(const SoundLighting& lighting);
    /// The DPI colour of the pulse cycle's next step for the learned DPI stage; red
    /// without advancing when the pattern is no longer the pulse.
    void sendSoundDpiColour();

    int barHeight() const { return m_barHeight.load(); }
    int pulsePhase() const { return m_pulsePhase.load(); }
    int dpiColourStep() const { return m_dpiColourStep.load(); }

private:
    void run(std::stop_token stop);
    void barPattern();
    void pulsePattern();
    void tempoPattern();
    /// A bar step L(6, 1, 1, extent, 0, full); false (after the fade command) when the
    /// switch went off meanwhile.
    bool barStep(int extent);
    void pause(int milliseconds);
    int extent() const { return m_state.lightingExtent.load(); }

    SoundLightState& m_state;
    DeviceLink& m_link;
    Sleeper& m_sleeper;
    ReportBuffer m_report{};
    std::atomic<int> m_barHeight{0};
    std::atomic<int> m_pulsePhase{1};
    std::atomic<int> m_dpiColourStep{0};
    std::atomic<bool> m_inPass{false};
    std::mutex m_threadMutex;
    std::jthread m_thread;
};

} // namespace zel
