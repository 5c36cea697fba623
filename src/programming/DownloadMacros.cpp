#include "programming/DownloadMacros.h"

#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"

#include <algorithm>

namespace zel {

LibraryMacroCatalogue::LibraryMacroCatalogue(const MacroFiles& files, const MacroLibrary& library,
                                             const MacroGroupState& current,
                                             const MacroBuffer& presets)
    : m_files(files), m_library(library), m_current(current), m_presets(presets) {}

int LibraryMacroCatalogue::presetCount() const {
    // The records hold 12 presets whatever the preset file's count says.
    return std::clamp<int>(m_presets.count, 0, kMaxMacrosPerGroup);
}

MacroRecord LibraryMacroCatalogue::preset(int index) const {
    if (index < 0 || index >= presetCount()) {
        return MacroRecord{};
    }
    return m_presets.records[static_cast<std::size_t>(index)];
}

int LibraryMacroCatalogue::groupCount() const {
    return m_library.groupCount();
}

int LibraryMacroCatalogue::macroCount(int group) const {
    return m_library.macroCount(group);
}

MacroRecord LibraryMacroCatalogue::groupMacro(int group, int macro) const {
    return m_files.ReadMacroFromGroup(m_library, group, macro, m_current.datVersion);
}

bool macroExists(std::int32_t code, const MacroCatalogue& catalogue) {
    switch (macroSourceOf(code)) {
    case MacroSourceKind::Preset:
        return code - kFirstPresetCode < catalogue.presetCount();
    case MacroSourceKind::Group: {
        const int group = code / 256 - 1;
        const int macro = code % 256;
        return group < catalogue.groupCount() && macro < catalogue.macroCount(group);
    }
    case MacroSourceKind::Combination:
    case MacroSourceKind::None:
        break;
    }
    return true;
}

ResolvedMacros resolveButtonMacros(std::array<ProfileSettings, kProfileCount>& profiles,
                                   int keyCount, const MacroCatalogue& catalogue) {
    ResolvedMacros out;
    const int keys = std::clamp(keyCount, 0, kButtonSlots);
    for (std::size_t p = 0; p < kProfileCount; ++p) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(keys); ++k) {
            std::int32_t& code = profiles[p].buttonCode[k];
            if (!macroExists(code, catalogue)) {
                out.dropped.emplace_back(static_cast<int>(p), static_cast<int>(k));
                code = 0;
                continue;
            }
            const MacroRecord* record = nullptr;
            switch (macroSourceOf(code)) {
            case MacroSourceKind::Combination:
                record = &profiles[p].comboRecord[k];
                break;
            case MacroSourceKind::Preset:
                record = &out.library.try_emplace(code, catalogue.preset(code - kFirstPresetCode))
                              .first->second;
                break;
            case MacroSourceKind::Group: {
                auto found = out.library.find(code);
                if (found == out.library.end()) {
                    found =
                        out.library.emplace(code, catalogue.groupMacro(code / 256 - 1, code % 256))
                            .first;
                }
                record = &found->second;
                break;
            }
            case MacroSourceKind::None:
                break;
            }
            out.macros[p][k] = record;
            out.modes[p][k] = record != nullptr ? record->runMode : 0;
        }
    }
    return out;
}

} // namespace zel
