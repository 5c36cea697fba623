#include "device/Sleeper.h"

#include <thread>

namespace zel {

void SteadySleeper::sleepFor(std::chrono::microseconds duration) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + duration;
    if (duration > m_spinMargin) {
        std::this_thread::sleep_until(deadline - m_spinMargin);
    }
    while (Clock::now() < deadline) {
    }
}

void RecordingSleeper::sleepFor(std::chrono::microseconds duration) {
    {
        std::lock_guard lock(m_mutex);
        m_pauses.push_back(duration);
    }
    if (onSleep) {
        onSleep(duration);
    }
}

std::vector<std::chrono::microseconds> RecordingSleeper::pauses() const {
    std::lock_guard lock(m_mutex);
    return m_pauses;
}

std::chrono::microseconds RecordingSleeper::total() const {
    std::lock_guard lock(m_mutex);
    std::chrono::microseconds sum{0};
    for (const auto pause : m_pauses) {
        sum += pause;
    }
    return sum;
}

void RecordingSleeper::clear() {
    std::lock_guard lock(m_mutex);
    m_pauses.clear();
}

} // namespace zel
