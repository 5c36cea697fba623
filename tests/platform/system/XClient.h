#pragma once

#include <array>
#include <optional>
#include <string>
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
