#pragma once

#include <optional>

namespace zel::system {

/// The two system settings the download adjusts: the pointer speed and the wheel scroll
/// lines. Speeds are on the platform-neutral scale 1..20 with 10 as the default (the
/// scale the download's speed table produces). A read that cannot be done returns
/// nothing; the caller then leaves the setting alone.
class PointerSettings {
public:
    virtual ~PointerSettings() = default;
    virtual std::optional<int> readPointerSpeed() = 0;
    /// Sets the speed for the user's session and keeps it; false when it could not be set.
    virtual bool writePointerSpeed(int speed) = 0;
    virtual std::optional<int> readWheelLines() = 0;
    virtual bool writeWheelLines(int lines) = 0;
};

/// A desktop without a setting we can reach: every read fails, every write is refused.
class NoPointerSettings final : public PointerSettings {
public:
    std::optional<int> readPointerSpeed() override { return std::nullopt; }
    bool writePointerSpeed(int) override { return false; }
    std::optional<int> readWheelLines() override { return std::nullopt; }
    bool writeWheelLines(int) override { return false; }
};

inline constexpr int kMinPointerSpeed = 1;
inline constexpr int kMaxPointerSpeed = 20;
inline constexpr int kDefaultPointerSpeed = 10;

/// The libinput / GNOME acceleration value (-1..1) of a speed: (speed - 10) / 10, clamped.
double accelOfSpeed(int speed);
/// The speed of an acceleration value: round(10 * accel + 10), kept in 1..20.
int speedOfAccel(double accel);

/// Sets the pointer speed only when the current one can be read (what the download asks
/// for). Returns whether a write was done and succeeded.
bool applyPointerSpeed(PointerSettings& settings, int speed);
/// Sets the wheel scroll lines only when the current value can be read.
bool applyWheelLines(PointerSettings& settings, int lines);

} // namespace zel::system
