#pragma once

#include "macros/MacroRecord.h"

#include <string>
#include <string_view>

namespace zel {

class MacVkAndText;

/// How a key or mouse-button code is kept in a macro file: keyboard keys as the platform's
/// virtual-key codes of the given language's tables, mouse buttons as 240 left, 241 right,
/// 242 middle; codes 0 and 245..255 unchanged.
struct MacroKeyForm {
    const MacVkAndText& keys;
    int language;

    std::uint8_t toFile(std::uint8_t code) const;
    std::uint8_t fromFile(std::uint8_t item) const;
};

/// Which header a stored value has and what of it is taken.
struct MacroValueLayout {
    /// Items before the first step: 81 for DAT_VER 3, 75 for older files.
    int headerItems = kHeaderItemsV3;
    /// Whether items 75..80 (extra76, extra77, reserved) are taken into the record.
    bool takeExtraItems = true;
};

/// The text of one macro key: 2621 items of three digits (7863 characters), every step
/// position and every lighting slot included, whatever the step count.
std::string encodeMacroValue(const MacroRecord& record, const MacroKeyForm& form);

/// A fresh record from a stored value. Item j is the number formed by the leading decimal
/// digits of characters 3j..3j+2 (no digits, or characters missing: 0); a byte field takes
/// the low eight bits, a u16 field is low + 256 x high. Items past the slots are ignored.
/// The record is then brought to a consistent form (`normaliseMacroRecord`).
MacroRecord decodeMacroValue(std::string_view value, const MacroValueLayout& layout,
                             const MacroKeyForm& form);

/// Makes a record read from outside safe for every later user: at most 275 steps; a step
/// that would exceed its kind's limit (50 moves, 5 each of codes 247, 248, 249, 250, 251)
/// ends the macro there; the per-kind counters are set from the steps; the k-th lighting
/// step and the k-th code-251 step use slot k; entries past the step count are zero; a
/// lighting slot names at most the 16 entries that fit in it.
/// Returns true when anything had to change.
bool normaliseMacroRecord(MacroRecord& record);

/// The name of a stored value (items 0..59) as UTF-8; a value shorter than that reads the
/// missing bytes as 0.
std::string decodeMacroName(std::string_view value);

} // namespace zel
