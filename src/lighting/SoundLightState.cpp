#include "lighting/SoundLightState.h"

#include "device/DeviceLink.h"

namespace zel {

namespace {
constexpr std::uint16_t kDpiBlockAddress = 0x18;
constexpr std::size_t kDpiBlockLength = 8;
} // namespace

void SoundLightState::sample(float peak) {
    pushSample(sampleHistory, peakToSample(peak));
    soundLevel.store(soundLevelOf(sampleHistory));
}

void SoundLightState::patternTick(bool pulseTimer) {
    const int mode = soundMode.load();
    const bool matches =
        pulseTimer ? (mode == kSoundModePulse || mode == kSoundModeTempo) : mode == kSoundModeBar;
    if (matches && !tickPending.exchange(true)) {
        wake();
    }
}

void SoundLightState::setMode(int mode) {
    soundMode.store(mode);
    wake();
}

void SoundLightState::setShow(int show) {
    soundShow.store(show);
    wake();
}

bool SoundLightState::workDue() const {
    if (soundShow.load() == 0) {
        return false;
    }
    const int mode = soundMode.load();
    if (mode == kSoundModePulse) {
        return true;
    }
    return (mode == kSoundModeBar || mode == kSoundModeTempo) && tickPending.load();
}

bool SoundLightState::waitForWork(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait(lock, stop, [this] { return workDue(); });
}

void SoundLightState::wake() {
    // Taking the lock orders the change before a waiter's check, so no wake-up is lost.
    { std::lock_guard lock(m_mutex); }
    m_changed.notify_all();
}

void learnSoundDpiStage(DeviceLink& link, SoundLightState& state) {
    const auto block = link.readBlock(kDpiBlockAddress, kDpiBlockLength);
    if (!block.empty()) {
        state.soundDpiStage.store(block[0] & 0x07);
    }
}

} // namespace zel
