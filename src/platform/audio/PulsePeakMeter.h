#pragma once

#include "platform/audio/PeakMeter.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>

namespace zel::audio {

/// Measures the monitor source of the default sink of the Pulse server. It follows a
/// change of the default sink and, when the server goes away, tries again every
/// `retryInterval` until one answers. Its own thread (libpulse's main loop) does the work;
/// the calls below only read what it found and may come from any thread.
class PulsePeakMeter final : public PeakMeter {
public:
    /// `server` is a server address ("unix:/run/.../native"); empty: the session's
    /// server as libpulse finds it. A server is never started on demand.
    explicit PulsePeakMeter(std::string server = {},
                            std::chrono::milliseconds retryInterval = std::chrono::seconds(1))
        : PulsePeakMeter(std::move(server), retryInterval, true) {}
    ~PulsePeakMeter() override;
    PulsePeakMeter(const PulsePeakMeter&) = delete;
    PulsePeakMeter& operator=(const PulsePeakMeter&) = delete;

    /// Connected and at least one sink other than the server's placeholder sink. Waits
    /// up to `settleTimeout` for a connection attempt under way to be decided.
    bool audioDevicePresent() override;
    float takePeak() override;

    /// The source the meter records from, empty while it records nothing.
    std::string monitorSource() const;

    /// Whether the server at `server` (empty: the session's) answers and has a sink other
    /// than its placeholder, asked without recording anything: no stream is opened.
    static bool devicePresent(const std::string& server = {});

    /// The longest `audioDevicePresent` waits for an answer.
    static constexpr std::chrono::seconds settleTimeout{2};

private:
    /// `measure` false: the meter only follows the server and its sinks.
    PulsePeakMeter(std::string server, std::chrono::milliseconds retryInterval, bool measure);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zel::audio
