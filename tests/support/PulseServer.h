#pragma once

#include "TestSupport.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zel::test {

/// Whether `program` is an executable in a folder of PATH.
bool onPath(const std::string& program);

/// Starts `argv` with `environment` added to ours, its output to /dev/null; -1 when it
/// could not be started.
pid_t spawnQuiet(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment = {});

/// Waits for `pid` to end; its exit status, or -1.
int finishProcess(pid_t pid);

/// Polls `condition` every 20 ms until it holds or `limit` passed.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = std::chrono::seconds(10));

/// A throwaway PulseAudio server: a null sink "test_sink" and the native protocol on a
/// socket in a folder of its own, with no other configuration.
class PulseServer {
public:
    /// The server and its client tools are installed.
    static bool available();

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    void start();
    /// Ends the server (SIGTERM), or kills it outright with `kill`.
    void stop(bool kill = false);

    bool started() const { return m_pid > 0; }
    std::string socket() const;
    std::string address() const { return "unix:" + socket(); }
    /// The server answers on its socket (waits up to 10 s).
    bool listening() const;

    /// Runs a client tool of the server to its end; its exit status.
    int run(std::vector<std::string> argv) const;

    /// Plays `seconds` of a 440 Hz tone of peak `amplitude` into `sink`, without waiting.
    pid_t playTone(const std::string& sink, float amplitude, double seconds) const;

private:
    std::vector<std::string> environment() const;

    TempDir m_dir;
    pid_t m_pid = -1;
};

} // namespace zel::test
