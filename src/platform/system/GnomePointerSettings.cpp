#include "platform/system/GnomePointerSettings.h"

#include "platform/ini/IniText.h"

#include <charconv>
#include <cmath>

namespace zel::system {

namespace {

/// A GVariant double as `gsettings get` prints it ("0.0", "-0.5", "1e-05").
std::optional<double> parseDouble(std::string_view text) {
    text = ini::trimBlanks(text);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<double> GnomePointerSettings::readAccel() {
    const auto result = m_runner.run({"gsettings", "get", kSchema, kSpeedKey});
    if (!result || result->exitStatus != 0) {
        return std::nullopt;
    }
    return parseDouble(result->output);
}

std::optional<int> GnomePointerSettings::readPointerSpeed() {
    const auto accel = readAccel();
    if (!accel) {
        return std::nullopt;
    }
    return speedOfAccel(*accel);
}

bool GnomePointerSettings::writePointerSpeed(int speed) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, accelOfSpeed(speed));
    if (ec != std::errc()) {
        return false;
    }
    const auto result =
        m_runner.run({"gsettings", "set", kSchema, kSpeedKey, std::string(text, end)});
    return result && result->exitStatus == 0;
}

} // namespace zel::system
