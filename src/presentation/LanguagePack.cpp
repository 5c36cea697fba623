#include "presentation/LanguagePack.h"

#include "presentation/LayoutReader.h"

#include <filesystem>

namespace zel {

const char* textTableSection(TextTable table) {
    switch (table) {
    case TextTable::TipText:
        return "TipText";
    case TextTable::MouseKey:
        return "UniqueName_MouseKey";
    case TextTable::DevMac:
        return "UniqueName_DevMac";
    case TextTable::Led:
        return "UniqueName_LED";
    case TextTable::Other:
        return "UniqueName_Other";
    case TextTable::ShortCut:
        return "UniqueName_ShortCut";
    }
    return "";
}

bool LanguagePack::load(const ini::IniStore& store, const std::string& languageDir,
                        MessageSink* messages) {
    m_path = languageDir + "/LanguageText.ini";
    for (auto& table : m_tables) {
        table.fill(std::string());
    }
    m_fontFlag.clear();
    m_fontFile.clear();
    m_fontName.clear();

    std::error_code ec;
    const bool present = std::filesystem::is_regular_file(m_path, ec);
    if (!present) {
        // One message for the whole pack; every text then reads as empty.
        if (messages != nullptr) {
            messages->message(std::string(kConfigFileMissingText));
        }
    } else {
        for (int t = 0; t < kTextTableCount; ++t) {
            const char* section = textTableSection(static_cast<TextTable>(t));
            for (int i = 0; i < kTextEntries; ++i) {
                m_tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] =
                    readMainEntry(store, m_path, section, i, nullptr, false)[1];
            }
        }
        const char* keys = textTableSection(TextTable::MouseKey);
        m_fontFlag = store.read(m_path, keys, "fontFlag", kEntryBound);
        m_fontFile = store.read(m_path, keys, "font", kEntryBound);
        m_fontName = store.read(m_path, keys, "fontName", kEntryBound);
    }
    buildLightingLists();
    return present;
}

const std::string& LanguagePack::text(TextTable table, int entry) const {
    static const std::string kEmpty;
    const int t = static_cast<int>(table);
    if (t < 0 || t >= kTextTableCount || entry < 0 || entry >= kTextEntries) {
        return kEmpty;
    }
    return m_tables[static_cast<std::size_t>(t)][static_cast<std::size_t>(entry)];
}

void LanguagePack::buildLightingLists() {
    m_effectNames.clear();
    for (int i = 1; i <= 14; ++i) {
        m_effectNames.push_back(text(TextTable::Led, i));
    }
    m_reactionNames.clear();
    for (int i : {2, 4, 6, 5}) {
        m_reactionNames.push_back(text(TextTable::Led, i));
    }
    m_modeNames.clear();
    for (int i : {15, 3, 4, 7, 8}) {
        m_modeNames.push_back(text(TextTable::Led, i));
    }
}

} // namespace zel
