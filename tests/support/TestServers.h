#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace zel::test {

/// A server process that tells where it listens by writing one line to a descriptor the
/// test hands it; stopped (SIGTERM, then reaped) on destruction.
class ChildServer {
public:
    ChildServer(const ChildServer&) = delete;
    ChildServer& operator=(const ChildServer&) = delete;

    bool running() const { return !m_line.empty(); }

protected:
    /// Starts `argv`, where the text "{fd}" in an argument becomes the descriptor number,
    /// and waits up to 15 s for the first line written to it.
    explicit ChildServer(std::vector<std::string> argv);
    ~ChildServer();
    const std::string& line() const { return m_line; }

private:
    pid_t m_pid = -1;
    std::string m_line;
};

/// A private X server for one test: Xvfb picks a free display number itself
/// (-displayfd) and stays up when its last client leaves (-noreset).
class XvfbServer final : public ChildServer {
public:
    /// `screen` is the size and depth of screen 0 ("WxHxD").
    explicit XvfbServer(const std::string& screen = "320x240x24");
    /// ":N", empty when the server did not start.
    std::string display() const { return running() ? ":" + line() : std::string(); }
};

/// A private D-Bus session bus (dbus-daemon --session) for one test.
class SessionBus final : public ChildServer {
public:
    SessionBus();
    /// The address clients connect to, empty when the daemon did not start.
    const std::string& address() const { return line(); }
};

} // namespace zel::test
