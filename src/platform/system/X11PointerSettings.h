#pragma once

#include "platform/system/PointerSettings.h"

#include <memory>
#include <mutex>
#include <string>

namespace zel::system {

/// Plain X11: the pointer speed is the XInput2 property "libinput Accel Speed" (a
/// 32-bit float, -1..1) of the slave pointers that carry it; on a server without such
/// pointers it is the core pointer acceleration, speed / 5 (so the default speed 10 is
/// the server's default acceleration 2/1), with the threshold left alone. X11 has no
/// setting for the wheel lines, so those reads fail.
///
/// Holds one connection to the display; calls are serialised.
class X11PointerSettings final : public PointerSettings {
public:
    static constexpr const char* kAccelProperty = "libinput Accel Speed";
    /// Denominator of the core acceleration a speed is written as.
    static constexpr int kCoreDenominator = 5;

    /// Connects to `display` (empty: $DISPLAY). Without a connection every call fails.
    explicit X11PointerSettings(const std::string& display = {});
    ~X11PointerSettings() override;
    X11PointerSettings(const X11PointerSettings&) = delete;
    X11PointerSettings& operator=(const X11PointerSettings&) = delete;

    bool connected() const;

    std::optional<int> readPointerSpeed() override;
    bool writePointerSpeed(int speed) override;
    std::optional<int> readWheelLines() override { return std::nullopt; }
    bool writeWheelLines(int) override { return false; }

    /// True when the last read or write went through the libinput property (tests).
    bool usedAccelProperty() const;

private:
    struct Connection;
    mutable std::mutex m_mutex;
    std::unique_ptr<Connection> m_x;
    bool m_usedProperty = false;
};

} // namespace zel::system
