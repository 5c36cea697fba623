#pragma once

#include "platform/system/PointerSettings.h"
#include "platform/system/ProcessRunner.h"

namespace zel::system {

/// GNOME-family desktops: the pointer speed is the GSettings key
/// org.gnome.desktop.peripherals.mouse speed (-1..1), read and written with the
/// `gsettings` command. These desktops have no setting for the wheel lines, so those
/// reads fail.
class GnomePointerSettings final : public PointerSettings {
public:
    static constexpr const char* kSchema = "org.gnome.desktop.peripherals.mouse";
    static constexpr const char* kSpeedKey = "speed";

    explicit GnomePointerSettings(ProcessRunner& runner) : m_runner(runner) {}

    /// True when the schema is installed and its speed key answers.
    bool available() { return readAccel().has_value(); }

    std::optional<int> readPointerSpeed() override;
    bool writePointerSpeed(int speed) override;
    std::optional<int> readWheelLines() override { return std::nullopt; }
    bool writeWheelLines(int) override { return false; }

private:
    std::optional<double> readAccel();
    ProcessRunner& m_runner;
};

} // namespace zel::system
