#pragma once

#include "macros/MacroRecord.h"

#include <functional>
#include <optional>
#include <string>

namespace zel {

class MacroFiles;
class MacroGroupFiles;
namespace ini {
class IniStore;
}

/// The macros the event monitor and the software player reach by button code.
class SoftMacroSource {
public:
    virtual ~SoftMacroSource() = default;
    /// Macro `macro` of group `group`; nothing when the group does not exist or holds
    /// fewer macros.
    virtual std::optional<MacroRecord> groupMacro(int group, int macro) = 0;
    /// Weapon preset `index`; nothing when there is no such preset.
    virtual std::optional<MacroRecord> weaponPreset(int index) = 0;
    /// Writes a record as macro `macro` of the group file of `group`; false when the
    /// group does not hold that macro or the write failed.
    virtual bool storeGroupMacro(int group, int macro, const MacroRecord& record) = 0;
};

/// The group macros from their files, through the macro file codec, and the weapon
/// presets from a lookup the presets provide.
class FileMacroSource final : public SoftMacroSource {
public:
    using PresetLookup = std::function<std::optional<MacroRecord>(int index)>;

    /// `groups` maps group numbers to files; `datVersion` gives DatVersion, the version
    /// of the last group file read, on which a single macro's read depends.
    FileMacroSource(const MacroFiles& files, const MacroGroupFiles& groups,
                    const ini::IniStore& ini, std::function<int()> datVersion,
                    PresetLookup presets = {});

    std::optional<MacroRecord> groupMacro(int group, int macro) override;
    std::optional<MacroRecord> weaponPreset(int index) override;
    bool storeGroupMacro(int group, int macro, const MacroRecord& record) override;

private:
    const MacroFiles& m_files;
    const MacroGroupFiles& m_groups;
    const ini::IniStore& m_ini;
    std::function<int()> m_datVersion;
    PresetLookup m_presets;
};

} // namespace zel
