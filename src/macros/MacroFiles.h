#pragma once

#include "macros/MacroCodec.h"
#include "macros/MacroRecord.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace zel {

class MacVkAndText;
class WarningSink;
namespace ini {
class IniStore;
}

/// Where the file of a macro group lies. The group index implements it.
class MacroGroupFiles {
public:
    virtual ~MacroGroupFiles() = default;
    /// The group file of group number `group` (0-based); nullopt when there is no such group.
    virtual std::optional<std::string> groupFilePath(int group) const = 0;
};

// Names in the macro files.
inline constexpr const char* kMacroInitSection = "Init";
inline constexpr const char* kMacroSection = "Macros";
inline constexpr const char* kDatVerKey = "DAT_VER";
inline constexpr const char* kMacMd5Key = "MacMd5";
inline constexpr const char* kSealMarker = "MacMd5";
inline constexpr const char* kMacroNumKey = "macroNum";
inline constexpr const char* kSingleMacroKey = "Macro";
inline constexpr int kCurrentDatVersion = 3;
/// A group macro value is read with room for this many characters.
inline constexpr std::size_t kGroupValueBound = 26648;
/// A constant macro value is read into a buffer of 1464 characters with its terminator.
inline constexpr std::size_t kConstValueBound = 1463;

/// The macro files: group files (".dat"), single-macro exchange files (".sdat") and the
/// constant macro file, read and written through the settings-file engine. Key and mouse
/// codes are kept in the files in the key tables' form of the current language.
class MacroFiles {
public:
    MacroFiles(ini::IniStore& store, const MacVkAndText& keys, WarningSink& warnings,
               int language = 0);

    /// The language may change (the window's language switch) while a worker reads macro
    /// files (the download), so it is an atomic word.
    void setLanguage(int language) { m_language.store(language); }
    int language() const { return m_language.load(); }

    /// DAT_VER 3, the seal marker when the group is sealed, macroNum and the keys 0..count-1,
    /// as one replace of the file. Keys of an earlier, longer group stay and are never read.
    bool WriteGroupFile(const std::string& path, const MacroGroupState& group) const;
    /// DAT_VER 3, macroNum = the group's count and the key of record `i` (one replace).
    bool WriteMacro(const std::string& path, const MacroGroupState& group, int i) const;
    /// The key `i` of a group file with the value of a record held elsewhere.
    bool WriteMacroValue(const std::string& path, int i, const MacroRecord& record) const;
    /// DAT_VER 3 and the key `i` with the value of `record`, as one replace (weapon presets).
    bool WriteVersionedMacroValue(const std::string& path, int i, const MacroRecord& record) const;
    /// A single-macro exchange file: only [Macros] Macro = the value of record `i`.
    bool WriteSingleMacroFile(const std::string& path, const MacroGroupState& group, int i) const;

    /// Fills the group state from a group file: DatVersion, GroupSealed and at most 12
    /// records (every record not read is zero). A missing file warns Tip::FileMissing and
    /// gives an empty group of version 0.
    void ReadGroupFile(const std::string& path, MacroGroupState& group) const;
    /// Macro `i` of group `group`, with the version-3 positions; items 75..80 are taken only
    /// when `datVersion` (that of the last group file read) is 3. A group or macro that does
    /// not exist gives the zeroed record.
    MacroRecord ReadMacroFromGroup(const MacroGroupFiles& groups, int group, int i,
                                   int datVersion) const;
    /// The record of a single-macro exchange file (key "Macro"), as `ReadMacroFromGroup`.
    MacroRecord ReadSingleMacroFile(const std::string& path, int datVersion) const;
    /// Fills the constant macros; of each value only the first 1463 characters count.
    void ReadConstMacros(const std::string& path, ConstMacros& macros) const;
    /// The names of a group file's macros; none unless macroNum is 1..12.
    std::vector<std::string> ReadMacroNames(const std::string& path) const;

private:
    MacroKeyForm keyForm() const { return MacroKeyForm{m_keys, m_language.load()}; }
    void readBuffer(const std::string& path, MacroBuffer& buffer, std::size_t bound,
                    int& datVersion, bool& sealed) const;

    ini::IniStore& m_store;
    const MacVkAndText& m_keys;
    WarningSink& m_warnings;
    std::atomic<int> m_language;
};

/// Every field of record `i` zero except extra76, extra77 and reserved.
void ClearRecord(MacroBuffer& buffer, int i);
/// Record `to` becomes a copy of record `from`.
void MoveRecord(MacroBuffer& buffer, int from, int to);

} // namespace zel
