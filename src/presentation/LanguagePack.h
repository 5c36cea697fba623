#pragma once

#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <array>
#include <string>
#include <vector>

namespace zel {

/// The six text tables of a language pack, in the order they are read.
enum class TextTable { TipText = 0, MouseKey, DevMac, Led, Other, ShortCut };

inline constexpr int kTextTableCount = 6;
inline constexpr int kTextEntries = 50;

/// Section name of a table in LanguageText.ini.
const char* textTableSection(TextTable table);

/// A language pack: `LanguageText.ini` of one language folder, six tables of 50 texts
/// (field 1 of each indexed entry), the three lighting name lists built from the
/// lighting table, and the pack's font keys. It names the mouse buttons for the key
/// tables (UniqueName_DevMac 20, 21, 22).
class LanguagePack final : public DevMacNames {
public:
    /// Reads `languageDir` + "/LanguageText.ini". A missing file shows "找不到配置文件"
    /// through `messages` and leaves every text empty; returns false then.
    bool load(const ini::IniStore& store, const std::string& languageDir, MessageSink* messages);

    /// Entry `entry` of `table`; "" outside 0..49.
    const std::string& text(TextTable table, int entry) const;
    /// The text of a warning box.
    const std::string& tipText(Tip tip) const { return text(TextTable::TipText, tipNumber(tip)); }

    std::string devMacName(int entry) const override { return text(TextTable::DevMac, entry); }

    /// The 14 effect names (UniqueName_LED 1..14), the 4 reaction type names (2, 4, 6, 5)
    /// and the 5 mode names (15, 3, 4, 7, 8).
    const std::vector<std::string>& effectNames() const { return m_effectNames; }
    const std::vector<std::string>& reactionNames() const { return m_reactionNames; }
    const std::vector<std::string>& modeNames() const { return m_modeNames; }

    /// Font keys of UniqueName_MouseKey as read (bound 259): `fontFlag` is kept as text,
    /// because an absent flag and a flag of 0 mean different things.
    const std::string& fontFlag() const { return m_fontFlag; }
    const std::string& fontFile() const { return m_fontFile; }
    const std::string& fontName() const { return m_fontName; }

    /// The path the last load looked at.
    const std::string& path() const { return m_path; }

private:
    void buildLightingLists();

    // Every text starts empty by the string's own constructor. (An explicit `{}` here
    // crashes clang 14, which builds the fuzz targets.)
    std::array<std::array<std::string, kTextEntries>, kTextTableCount> m_tables;
    std::vector<std::string> m_effectNames;
    std::vector<std::string> m_reactionNames;
    std::vector<std::string> m_modeNames;
    std::string m_fontFlag;
    std::string m_fontFile;
    std::string m_fontName;
    std::string m_path;
};

} // namespace zel
