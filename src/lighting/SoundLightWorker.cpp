#include "lighting/SoundLightWorker.h"

#include "device/DeviceCommands.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace zel {

namespace {

constexpr int kBarEffect = 6;
constexpr int kFadeEffect = 9;
constexpr int kSparkleEffect = 13;
constexpr int kSteadyEffect = 2;
constexpr int kTickMs = 480;
constexpr int kBarFallMs = 392;
constexpr int kBarRiseMs = 87;
constexpr int kQuietMs = 240;

SoundLighting lighting(int effect, int speed, int direction, int extent, int brightness,
                       int pattern, int symmetry = 0) {
    SoundLighting l;
    l.effect = effect;
    l.speed = speed;
    l.direction = direction;
    l.extent = extent;
    l.brightness = brightness;
    l.pattern = pattern;
    l.symmetry = symmetry;
    return l;
}

// The tempo pattern's effect, speed, brightness and symmetry by level 0..7 (7 stands for
// every level from 7 up).
struct TempoRow {
    int effect;
    int speed;
    int brightness;
    int symmetry;
};
constexpr std::array<TempoRow, 8> kTempoRows{{
    {4, 0, 3, 1},
    {8, 0, 2, 0},
    {8, 1, 2, 0},
    {8, 1, 1, 0},
    {8, 2, 1, 0},
    {8, 3, 0, 0},
    {8, 4, 0, 0},
    {8, 5, 1, 0},
}};

} // namespace

SoundLightWorker::SoundLightWorker(SoundLightState& state, DeviceLink& link, Sleeper& sleeper)
    : m_state(state), m_link(link), m_sleeper(sleeper) {}

SoundLightWorker::~SoundLightWorker() {
    stop();
}

bool SoundLightWorker::start() {
    std::lock_guard lock(m_threadMutex);
    if (m_thread.joinable()) {
        return false;
    }
    m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
    return true;
}

void SoundLightWorker::stop() {
    std::lock_guard lock(m_threadMutex);
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    m_thread = std::jthread();
}

void SoundLightWorker::run(std::stop_token stop) {
    // The pulse pattern always has work while the switch is on, so the stop request is
    // looked at before each pass, not only while waiting.
    while (!stop.stop_requested() && m_state.waitForWork(stop)) {
        m_inPass.store(true);
        soundStep();
        m_inPass.store(false);
    }
}

void SoundLightWorker::soundStep() {
    switch (m_state.soundMode.load()) {
    case kSoundModeBar:
        barPattern();
        break;
    case kSoundModePulse:
        pulsePattern();
        break;
    case kSoundModeTempo:
        tempoPattern();
        break;
    default:
        break;
    }
}

void SoundLightWorker::sendSoundLighting(const SoundLighting& values) {
    SoundLighting l = values;
    l.colourMask = 0x7F;
    l.restore = 1;
    fillSoundLighting(m_report, l);
    static_cast<void>(m_link.sendReport(m_report)); // device writes are fire-and-forget
}

void SoundLightWorker::sendSoundDpiColour() {
    DpiColourLevels levels = soundDpiColour(0);
    if (m_state.soundMode.load() == kSoundModePulse) {
        const int step = (m_dpiColourStep.load() + 1) % 4;
        m_dpiColourStep.store(step);
        levels = soundDpiColour(step);
    }
    fillDpiColour(m_report, m_state.soundDpiStage.load(), levels.red, levels.green, levels.blue);
    static_cast<void>(m_link.sendReport(m_report));
}

void SoundLightWorker::pause(int milliseconds) {
    m_sleeper.sleepFor(std::chrono::milliseconds(milliseconds));
}

bool SoundLightWorker::barStep(int stepExtent) {
    sendSoundLighting(lighting(kBarEffect, 1, 1, stepExtent, 0, kSoundPatternFull));
    if (m_state.soundShow.load() == 0) {
        sendSoundLighting(lighting(kFadeEffect, 1, 1, 11, 3, kSoundPatternFull));
        return false;
    }
    return true;
}

void SoundLightWorker::barPattern() {
    if (!m_state.tickPending.load()) {
        return;
    }
    const int count = m_state.soundLevel.load();
    m_state.tickPending.store(false);

    const int height = m_barHeight.load();
    if (height >= 2) {
        for (int n = height; n >= 0; --n) {
            sendSoundLighting(lighting(kBarEffect, 1, 1, n, 0, kSoundPatternFull));
            pause(kBarFallMs / (height - 1));
            if (m_state.soundShow.load() == 0) {
                sendSoundLighting(lighting(kFadeEffect, 1, 1, 11, 3, kSoundPatternFull));
                break;
            }
        }
    }

    if (count >= 1) {
        pause(kBarRiseMs / count);
        for (int i = 0; i < count; ++i) {
            const int e = extent();
            const int v = count < e - 1 ? i : e;
            pause(kBarRiseMs / count);
            if (!barStep(v)) {
                break;
            }
        }
        if (count >= 7) {
            pause(kBarRiseMs / count);
        }
    }
    m_barHeight.store(count);

    if (m_state.sampleHistory[0].load() <= 1 || m_state.soundLevel.load() <= 0) {
        pause(kQuietMs);
        sendSoundLighting(lighting(kSparkleEffect, 2, 0, extent(), 0, kSoundPatternSparse));
        pause(kQuietMs);
        sendSoundLighting(lighting(kBarEffect, 1, 1, 0, 0, kSoundPatternFull));
    }
}

void SoundLightWorker::pulsePattern() {
    const bool phaseOne = m_pulsePhase.load() == 1;
    if (m_state.soundLevel.load() == 0) {
        if (phaseOne) {
            sendSoundLighting(lighting(kSteadyEffect, 2, 0, extent(), 4, kSoundPatternFull));
            pause(kTickMs);
            m_pulsePhase.store(0);
            sendSoundDpiColour();
        } else {
            sendSoundLighting(lighting(kSparkleEffect, 2, 0, extent(), 3, kSoundPatternFull));
            pause(kTickMs);
            m_pulsePhase.store(1);
        }
        return;
    }
    if (phaseOne) {
        sendSoundLighting(lighting(kSparkleEffect, 2, 0, extent(), 0, kSoundPatternSparse));
        pause(kTickMs / (std::max(m_state.soundLevel.load(), 0) + 1));
        m_pulsePhase.store(0);
    } else {
        sendSoundLighting(lighting(kSteadyEffect, 2, 0, extent(), 0, kSoundPatternFull));
        pause(kTickMs / (std::max(m_state.soundLevel.load(), 0) + 1));
        sendSoundDpiColour();
        m_pulsePhase.store(1);
    }
}

void SoundLightWorker::tempoPattern() {
    if (!m_state.tickPending.load()) {
        return;
    }
    m_state.tickPending.store(false);
    const int level = std::clamp(m_state.soundLevel.load(), 0, 7);
    const TempoRow& row = kTempoRows[static_cast<std::size_t>(level)];
    sendSoundLighting(lighting(row.effect, row.speed, 0, extent(), row.brightness,
                               kSoundPatternFull, row.symmetry));
}

} // namespace zel
