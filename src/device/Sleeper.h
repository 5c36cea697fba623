#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace zel {

/// Where the device code pauses. The program uses `SteadySleeper`; tests record the pauses.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepFor(std::chrono::microseconds duration) = 0;
};

/// Pauses on the steady clock to well under a millisecond: it sleeps until shortly before
/// the deadline and then spins on the clock until it has passed, so the wake-up latency of
/// the system does not add up over the many short pauses of a download. The spin does not
/// yield: on a busy machine a yield hands the processor away for a whole time slice.
class SteadySleeper final : public Sleeper {
public:
    explicit SteadySleeper(std::chrono::microseconds spinMargin = std::chrono::microseconds(250))
        : m_spinMargin(spinMargin) {}
    void sleepFor(std::chrono::microseconds duration) override;

private:
    std::chrono::microseconds m_spinMargin;
};

/// Records every pause instead of waiting. Thread-safe. `onSleep`, when set, is called
/// with each pause (for example to note where in a report sequence it fell).
class RecordingSleeper final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds duration) override;
    std::vector<std::chrono::microseconds> pauses() const;
    std::chrono::microseconds total() const;
    void clear();
    std::function<void(std::chrono::microseconds)> onSleep;

private:
    mutable std::mutex m_mutex;
    std::vector<std::chrono::microseconds> m_pauses;
};

} // namespace zel
