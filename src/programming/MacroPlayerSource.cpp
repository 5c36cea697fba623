#include "programming/MacroPlayerSource.h"

#include "macros/MacroFiles.h"
#include "platform/ini/IniStore.h"

namespace zel {

FileMacroSource::FileMacroSource(const MacroFiles& files, const MacroGroupFiles& groups,
                                 const ini::IniStore& ini, std::function<int()> datVersion,
                                 PresetLookup presets)
    : m_files(files), m_groups(groups), m_ini(ini), m_datVersion(std::move(datVersion)),
      m_presets(std::move(presets)) {}

std::optional<MacroRecord> FileMacroSource::groupMacro(int group, int macro) {
    if (group < 0 || macro < 0 || macro >= kMaxMacrosPerGroup) {
        return std::nullopt;
    }
    const std::optional<std::string> path = m_groups.groupFilePath(group);
    if (!path) {
        return std::nullopt;
    }
    // The group's macro count is its macroNum; later keys are left-overs of a longer group.
    if (macro >= m_ini.readInt(*path, kMacroSection, kMacroNumKey, 3)) {
        return std::nullopt;
    }
    return m_files.ReadMacroFromGroup(m_groups, group, macro, m_datVersion ? m_datVersion() : 3);
}

std::optional<MacroRecord> FileMacroSource::weaponPreset(int index) {
    if (!m_presets || index < 0) {
        return std::nullopt;
    }
    return m_presets(index);
}

bool FileMacroSource::storeGroupMacro(int group, int macro, const MacroRecord& record) {
    const std::optional<std::string> path = m_groups.groupFilePath(group);
    if (!path || macro < 0 || macro >= kMaxMacrosPerGroup) {
        return false;
    }
    // Only a macro the group holds is replaced; a key past macroNum would never be read.
    if (macro >= m_ini.readInt(*path, kMacroSection, kMacroNumKey, 3)) {
        return false;
    }
    return m_files.WriteMacroValue(*path, macro, record);
}

} // namespace zel
