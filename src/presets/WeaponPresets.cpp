#include "presets/WeaponPresets.h"

#include "common/WarningSink.h"
#include "macros/MacroFiles.h"

#include <filesystem>
#include <system_error>

namespace zel {

namespace {

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

void PresetStore::LoadPresets(const std::string& path, WeaponPresets& presets,
                              MacroGroupState& group) {
    if (!exists(path)) {
        m_messages.message(kPresetFileMissing);
        presets.count = 0;
        return;
    }
    // The preset file is read exactly as a group file; the reader keeps to 12 records.
    MacroGroupState read;
    m_files.ReadGroupFile(path, read);
    group.datVersion = read.datVersion;
    presets.count = read.groupMacros.count;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxPresets); ++i) {
        if (static_cast<int>(i) < presets.count) {
            presets.records[i] = read.groupMacros.records[i];
            presets.names[i] = presets.records[i].nameUtf8();
        } else {
            presets.names[i].clear();
        }
    }
}

bool PresetStore::SavePreset(const std::string& path, WeaponPresets& presets, int index,
                             int strength) {
    if (!exists(path)) {
        m_messages.message(kPresetFileMissing);
        return false;
    }
    if (index < 0 || index >= kMaxPresets) {
        return false;
    }
    MacroRecord& r = presets.records[static_cast<std::size_t>(index)];
    for (StepParams& p : r.params) {
        if (p.param2 != 0) {
            p.param2 = static_cast<std::uint16_t>(strength);
        }
    }
    // Only the version and this preset's key are written; macroNum stays as it is.
    return m_files.WriteVersionedMacroValue(path, index, r);
}

} // namespace zel
