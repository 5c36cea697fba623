#pragma once

#include "macros/MacroRecord.h"
#include "programming/ConfigImage.h"
#include "programming/MacroImage.h"

#include <map>
#include <utility>
#include <vector>

namespace zel {

class MacroFiles;
class MacroLibrary;
struct MacroGroupState;

/// The macros a button code can name besides its combination: the weapon presets and the
/// macros of the macro groups.
class MacroCatalogue {
public:
    virtual ~MacroCatalogue() = default;
    virtual int presetCount() const = 0;
    virtual MacroRecord preset(int index) const = 0;
    virtual int groupCount() const = 0;
    virtual int macroCount(int group) const = 0;
    virtual MacroRecord groupMacro(int group, int macro) const = 0;
};

/// The catalogue of the running program: the weapon presets in memory and the groups of the
/// macro library, whose macros are read from their group files.
class LibraryMacroCatalogue final : public MacroCatalogue {
public:
    /// `presets` holds the preset count and records (at most 12 are used); `current` gives
    /// the DAT_VER of the last group file read.
    LibraryMacroCatalogue(const MacroFiles& files, const MacroLibrary& library,
                          const MacroGroupState& current, const MacroBuffer& presets);

    int presetCount() const override;
    MacroRecord preset(int index) const override;
    int groupCount() const override;
    int macroCount(int group) const override;
    MacroRecord groupMacro(int group, int macro) const override;

private:
    const MacroFiles& m_files;
    const MacroLibrary& m_library;
    const MacroGroupState& m_current;
    const MacroBuffer& m_presets;
};

/// Whether the macro a code names exists: combinations always do; a weapon preset when its
/// number is below the preset count; a group macro when its group and its number are below
/// the group count and that group's macro count. Codes that name no macro count as present.
bool macroExists(std::int32_t code, const MacroCatalogue& catalogue);

/// The macro of every button after the macro check. The records of presets and group
/// macros are read once per code; combination records are those of `profiles`, which must
/// outlive the result.
struct ResolvedMacros {
    ButtonMacros macros{};
    ButtonMacroModes modes{};
    std::map<std::int32_t, MacroRecord> library;
    /// (profile, slot) of every assignment that was dropped.
    std::vector<std::pair<int, int>> dropped;

    ResolvedMacros() = default;
    ResolvedMacros(const ResolvedMacros&) = delete;
    ResolvedMacros& operator=(const ResolvedMacros&) = delete;
    ResolvedMacros(ResolvedMacros&&) = default;
    ResolvedMacros& operator=(ResolvedMacros&&) = default;
};

/// The macro check for the first `keyCount` buttons of every profile: a code that names a
/// missing macro is set to 0 in `profiles`; every other button gets its macro.
ResolvedMacros resolveButtonMacros(std::array<ProfileSettings, kProfileCount>& profiles,
                                   int keyCount, const MacroCatalogue& catalogue);

} // namespace zel
