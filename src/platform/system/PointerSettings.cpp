#include "platform/system/PointerSettings.h"

#include <algorithm>
#include <cmath>

namespace zel::system {

double accelOfSpeed(int speed) {
    const double accel = (static_cast<double>(speed) - 10.0) / 10.0;
    return std::clamp(accel, -1.0, 1.0);
}

int speedOfAccel(double accel) {
    if (!std::isfinite(accel)) {
        return kDefaultPointerSpeed;
    }
    const long speed = std::lround(10.0 * std::clamp(accel, -1.0, 1.0) + 10.0);
    return std::clamp(static_cast<int>(speed), kMinPointerSpeed, kMaxPointerSpeed);
}

bool applyPointerSpeed(PointerSettings& settings, int speed) {
    if (!settings.readPointerSpeed()) {
        return false;
    }
    return settings.writePointerSpeed(speed);
}

bool applyWheelLines(PointerSettings& settings, int lines) {
    if (!settings.readWheelLines()) {
        return false;
    }
    return settings.writeWheelLines(lines);
}

} // namespace zel::system
