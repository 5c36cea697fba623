#include "platform/system/KdePointerSettings.h"

#include "platform/ini/IniStore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zel::system {

namespace {

// Long enough for any number KDE writes there.
constexpr std::size_t kValueBound = 16;

/// True when the file has a header that begins with "[KDE][": a group nested below [KDE]
/// or [KDE] marked immutable ("[KDE][$i]"). The settings-file engine names a section by
/// the text up to the first "]", so it would take such a header for [KDE] itself.
bool hasNestedKdeGroup(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view trimmed = ini::trimBlanks(line);
        if (trimmed.size() >= 6 && ini::equalsIgnoreCase(trimmed.substr(0, 6), "[KDE][")) {
            return true;
        }
    }
    return false;
}

} // namespace

KdePointerSettings::KdePointerSettings(ini::IniStore& ini, std::string kdeglobals,
                                       std::unique_ptr<PointerSettings> speed)
    : m_ini(ini), m_path(std::move(kdeglobals)), m_speed(std::move(speed)) {}

std::optional<int> KdePointerSettings::readPointerSpeed() {
    return m_speed ? m_speed->readPointerSpeed() : std::nullopt;
}

bool KdePointerSettings::writePointerSpeed(int speed) {
    return m_speed && m_speed->writePointerSpeed(speed);
}

std::optional<int> KdePointerSettings::readWheelLines() {
    if (m_path.empty()) {
        return std::nullopt;
    }
    // The folder must exist for the file to be ours to write; an unset key (or a missing
    // file in an existing folder) is KDE's default.
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(m_path).parent_path(), ec)) {
        return std::nullopt;
    }
    // A nested or immutable [KDE] group could be mistaken for the group itself: leave
    // such a file alone rather than change the wrong group.
    if (hasNestedKdeGroup(m_path)) {
        return std::nullopt;
    }
    const std::string text = m_ini.read(m_path, kGroup, kWheelKey, kValueBound);
    if (text.empty()) {
        return kDefaultWheelLines;
    }
    const int lines = ini::leadingInt(text);
    return lines >= 1 ? lines : kDefaultWheelLines;
}

bool KdePointerSettings::writeWheelLines(int lines) {
    if (m_path.empty() || hasNestedKdeGroup(m_path)) {
        return false;
    }
    // KDE accepts 1..100; a 0 would stop the wheel from scrolling at all.
    lines = std::clamp(lines, 1, kMaxWheelLines);
    return m_ini.write(m_path, kGroup, kWheelKey, std::to_string(lines));
}

std::string kdeglobalsPath(const std::string& xdgConfigHome, const std::string& home) {
    if (!xdgConfigHome.empty()) {
        return xdgConfigHome + "/kdeglobals";
    }
    if (!home.empty()) {
        return home + "/.config/kdeglobals";
    }
    return {};
}

} // namespace zel::system
