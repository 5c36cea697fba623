#pragma once

#include <string>
#include <sys/types.h>

namespace zel::test {

/// A private X server for one test: Xvfb picks a free display number itself
/// (-displayfd) and stays up when its last client leaves (-noreset).
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return !m_display.empty(); }
    /// ":N", empty when the server did not start.
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

} // namespace zel::test

#include <array>
#include <optional>
#include <vector>

namespace zel::test {

/// A second connection to the test server, to prepare and inspect what a backend sees.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return m_display != nullptr; }
    std::vector<int> slavePointers() const;
    /// Creates or replaces the float property "libinput Accel Speed" of a device.
    void setAccel(int device, float value);
    std::optional<float> accel(int device) const;
    void deleteAccel(int device);
    /// Numerator, denominator and threshold of the core pointer acceleration.
    std::array<int, 3> pointerControl() const;

private:
    void* m_display = nullptr;
};

} // namespace zel::test
