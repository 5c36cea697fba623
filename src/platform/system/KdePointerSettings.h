#pragma once

#include "platform/system/PointerSettings.h"

#include <memory>
#include <string>

namespace zel::ini {
class IniStore;
}

namespace zel::system {

/// KDE Plasma: the wheel lines are the key WheelScrollLines of group [KDE] in the user's
/// kdeglobals, read and written as that one key through the settings-file engine, so
/// every other group of the file (also KDE's nested "[A][B]" groups) stays as it is. A
/// file with a group nested below [KDE] ("[KDE][...]", also the immutable "[KDE][$i]")
/// is not read or written: the engine would take that header for [KDE]. The pointer speed
/// goes to `speed` (the X11 route), when there is one.
class KdePointerSettings final : public PointerSettings {
public:
    static constexpr const char* kGroup = "KDE";
    static constexpr const char* kWheelKey = "WheelScrollLines";
    /// What KDE uses while the key is not set.
    static constexpr int kDefaultWheelLines = 3;
    /// Values KDE's own settings page offers.
    static constexpr int kMaxWheelLines = 100;

    /// `kdeglobals` is the path of the file; `speed` may be null.
    KdePointerSettings(ini::IniStore& ini, std::string kdeglobals,
                       std::unique_ptr<PointerSettings> speed);

    std::optional<int> readPointerSpeed() override;
    bool writePointerSpeed(int speed) override;
    std::optional<int> readWheelLines() override;
    bool writeWheelLines(int lines) override;

    const std::string& kdeglobals() const { return m_path; }

private:
    ini::IniStore& m_ini;
    std::string m_path;
    std::unique_ptr<PointerSettings> m_speed;
};

/// Where kdeglobals lies: $XDG_CONFIG_HOME/kdeglobals, else $HOME/.config/kdeglobals;
/// empty when neither folder is known.
std::string kdeglobalsPath(const std::string& xdgConfigHome, const std::string& home);

} // namespace zel::system
