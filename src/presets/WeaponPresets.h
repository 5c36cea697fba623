#pragma once

#include "macros/MacroRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace zel {

class MacroFiles;
class MessageSink;
struct MacroGroupState;

inline constexpr int kMaxPresets = 12;
inline constexpr const char* kPresetFileMissing = "Can't find the PUBG file.";
inline constexpr const char* kPresetContentError = "宏内容出错!";
inline constexpr int kMinPullStrength = 1;
inline constexpr int kMaxPullStrength = 99;

/// The weapon presets: recoil macros of pointer moves, read from the language's preset file.
struct WeaponPresets {
    std::int16_t count = 0;
    std::array<std::string, kMaxPresets> names{};
    std::array<MacroRecord, kMaxPresets> records{};
    /// The preset the dialog shows (0 each time the dialog opens).
    int current = 0;
};

/// Reading and storing the preset file (a macro file: DAT_VER, macroNum, one key per preset).
class PresetStore {
public:
    PresetStore(MacroFiles& files, MessageSink& messages) : m_files(files), m_messages(messages) {}

    /// Fills `presets` from `path`; DAT_VER becomes `group.datVersion`. A missing file shows
    /// "Can't find the PUBG file." and leaves the presets as they are with a count of 0.
    /// At most 12 presets are read; the names of the others are empty.
    void LoadPresets(const std::string& path, WeaponPresets& presets, MacroGroupState& group);

    /// Writes DAT_VER 3 and the key of preset `index`, after giving every step whose param2
    /// is not 0 the pull `strength` (in the record and the file). A missing file shows the
    /// message and writes nothing. False when nothing was written.
    bool SavePreset(const std::string& path, WeaponPresets& presets, int index, int strength);

    MessageSink& messages() { return m_messages; }

private:
    MacroFiles& m_files;
    MessageSink& m_messages;
};

} // namespace zel
