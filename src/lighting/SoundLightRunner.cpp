#include "lighting/SoundLightRunner.h"

#include <utility>

namespace zel {

SoundLightRunner::SoundLightRunner(SoundLightState& state, DeviceLink& link, Sleeper& sleeper,
                                   MeterFactory makeMeter)
    : m_state(state), m_makeMeter(std::move(makeMeter)), m_worker(state, link, sleeper) {}

SoundLightRunner::~SoundLightRunner() {
    stop();
}

void SoundLightRunner::start() {
    if (!m_meter && m_makeMeter) {
        m_meter = m_makeMeter();
    }
    static_cast<void>(m_worker.start()); // false: it runs already
}

void SoundLightRunner::closeMeter() {
    m_meter.reset();
}

void SoundLightRunner::stop() {
    m_worker.stop();
    m_meter.reset();
}

void SoundLightRunner::samplingTick() {
    if (m_meter) {
        m_state.sample(m_meter->takePeak());
    }
}

} // namespace zel
