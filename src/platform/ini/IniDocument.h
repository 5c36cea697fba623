#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zel::ini {

/// One line of a settings file as it was read; key lines also carry their parsed parts.
struct IniLine {
    std::string raw;      ///< the line without its line end
    bool isKey = false;   ///< "name=value" with a non-empty name
    std::string keyLower; ///< trimmed name, ASCII lower case
    std::string value;    ///< trimmed value
};

/// A section: its header line (none for the lines before the first header) and its lines.
struct IniSection {
    bool hasHeader = false;
    std::string headerRaw;
    std::string nameLower;
    std::vector<IniLine> lines;
    std::unordered_map<std::string, std::size_t> keyIndex; ///< first line of each key
};

/// A whole file kept as lines, so that a write changes only what it must.
struct IniDocument {
    std::vector<IniSection> sections; ///< sections[0] holds the lines before any header
    std::unordered_map<std::string, std::size_t> sectionIndex; ///< first section of each name
    bool crlf = false;
    bool bom = false;
    /// The file is there but could not be read whole: it reads as empty and is never
    /// written over.
    bool unreadable = false;
    /// Why it could not be read (for the user).
    std::string problem;

    static IniDocument parse(std::string_view text);
    std::string serialise() const;

    const IniSection* findSection(std::string_view name) const;
    const IniLine* findKey(std::string_view section, std::string_view key) const;

    void set(std::string_view section, std::string_view key, std::string_view value);
    void removeKey(std::string_view section, std::string_view key);
    void removeSection(std::string_view section);
};

} // namespace zel::ini
