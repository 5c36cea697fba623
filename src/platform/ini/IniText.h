#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel::ini {

/// The one leading-integer rule of every settings, language and macro file: optional
/// blanks, an optional sign, then decimal digits up to the first other character;
/// text without digits gives 0. The result wraps like the platform's 32-bit parse.
std::int32_t leadingInt(std::string_view text);

/// `text` cut to at most `bound` characters (UTF-8 code points; a malformed byte
/// counts as one character), never in the middle of a character.
std::string cutToCharacters(std::string_view text, std::size_t bound);

/// Number of characters of `text` as `cutToCharacters` counts them.
std::size_t characterCount(std::string_view text);

/// ASCII case-insensitive equality, as section and key names compare.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

/// `text` without leading and trailing blanks (space, tab, CR, LF, vertical tab, form feed).
std::string_view trimBlanks(std::string_view text);

} // namespace zel::ini
