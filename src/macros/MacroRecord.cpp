#include "macros/MacroRecord.h"

#include <algorithm>

namespace zel {

namespace {

// One code point decoded from UTF-8 at `pos`; a malformed byte gives U+FFFD and advances
// by one.
char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char c = byte(pos + static_cast<std::size_t>(k));
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0xFFFD;
    }
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::u16string MacroRecord::nameUtf16() const {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < name.size(); i += 2) {
        const auto unit = static_cast<char16_t>(name[i] | (name[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        out += unit;
    }
    return out;
}

std::string MacroRecord::nameUtf8() const {
    const std::u16string units = nameUtf16();
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                (static_cast<char32_t>(units[i + 1]) - 0xDC00);
            appendUtf8(out, cp);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

void MacroRecord::setNameUtf8(std::string_view text, int maxUnits) {
    name.fill(0);
    const auto limit = static_cast<std::size_t>(std::clamp(maxUnits, 0, kNameBytes / 2));
    std::size_t pos = 0;
    std::size_t units = 0;
    while (pos < text.size()) {
        const char32_t cp = decodeUtf8(text, pos);
        if (cp == 0) {
            break;
        }
        const std::size_t need = cp >= 0x10000 ? 2 : 1;
        if (units + need > limit) {
            break;
        }
        const auto put = [&](char16_t u) {
            name[units * 2] = static_cast<std::uint8_t>(u & 0xFF);
            name[units * 2 + 1] = static_cast<std::uint8_t>(u >> 8);
            ++units;
        };
        if (need == 2) {
            const char32_t v = cp - 0x10000;
            put(static_cast<char16_t>(0xD800 + (v >> 10)));
            put(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
}

} // namespace zel
