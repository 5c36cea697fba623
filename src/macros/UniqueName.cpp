#include "macros/UniqueName.h"

#include "platform/ini/IniText.h"

#include <algorithm>
#include <cstdio>

namespace zel {

namespace {

// Byte offset of the start of the last `n` characters (UTF-8).
std::size_t lastCharsOffset(std::string_view text, std::size_t n) {
    std::size_t pos = text.size();
    while (n > 0 && pos > 0) {
        --pos;
        while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
            --pos;
        }
        --n;
    }
    return pos;
}

bool twoDigits(std::string_view s) {
    return s.size() == 2 && s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9';
}

} // namespace

std::string makeUniqueName(std::string_view candidate, const std::vector<std::string>& others,
                           std::size_t maxChars) {
    const std::string cut = ini::cutToCharacters(candidate, maxChars);
    if (std::find(others.begin(), others.end(), cut) == others.end()) {
        return cut;
    }
    const std::size_t split = lastCharsOffset(cut, 2);
    const std::string_view suffix = std::string_view(cut).substr(split);
    const bool digits = twoDigits(suffix);
    if (digits && split == 0) {
        return cut;
    }
    const std::string base = digits ? cut.substr(0, split) : cut;
    int highest = 1;
    for (const std::string& name : others) {
        if (name.size() == base.size() + 2 && name.compare(0, base.size(), base) == 0 &&
            twoDigits(std::string_view(name).substr(base.size()))) {
            highest =
                std::max(highest, (name[base.size()] - '0') * 10 + name[base.size() + 1] - '0');
        }
    }
    char number[16];
    std::snprintf(number, sizeof number, "%02d", highest + 1);
    const std::size_t numberChars = std::string_view(number).size();
    const std::size_t room = maxChars > numberChars ? maxChars - numberChars : 0;
    return ini::cutToCharacters(base, room) + number;
}

bool isSafeGroupName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace zel
