#pragma once

#include <algorithm>
#include <array>

namespace zel {

/// The warnings of the program: each value is the entry of the language pack's TipText
/// table whose text the warning box shows. The numbers are those of the language files
/// and never change.
enum class Tip : int {
    MouseNotFound = 1,            ///< followed directly by the product name
    FirstConnectionWriting = 2,   ///< a new mouse gets its factory profiles
    FirstConnectionWait = 3,      ///< shown while that download runs
    FirstConnectionDone = 4,      ///< the factory profiles are on the mouse
    FileMissing = 5,              ///< a settings, layout or macro file is missing
    OperationFailed = 6,          ///< a file or device is unavailable, or the action is invalid
    KeepLeftClick = 7,            ///< the change would leave no left-click button
    NoMacroList = 8,              ///< the macro list is empty
    OtherModel = 9,               ///< a profile file of another model
    RecordingBusy = 20,           ///< a macro is being recorded
    LimitReached = 21,            ///< a list or value is at its limit
    GroupExists = 23,             ///< a macro group of that name exists
    SelectRowFirst = 24,          ///< no row is selected
    GroupSealed = 27,             ///< the macro group is sealed
    MacroMemoryFull = 29,         ///< the mouse's macro memory is full
    TwelveGroups = 30,            ///< there are twelve macro groups already
    NoSoundLightingInDpiMode = 31 ///< sound lighting while the lights show the DPI stage
};

/// The TipText entry of a warning, for the language pack and for printing.
constexpr int tipNumber(Tip tip) {
    return static_cast<int>(tip);
}

/// The enumerator's name; nullptr for a number that names no warning. The switch has no
/// default, so a new enumerator without a name does not compile.
constexpr const char* tipName(Tip tip) {
    switch (tip) {
    case Tip::MouseNotFound:
        return "MouseNotFound";
    case Tip::FirstConnectionWriting:
        return "FirstConnectionWriting";
    case Tip::FirstConnectionWait:
        return "FirstConnectionWait";
    case Tip::FirstConnectionDone:
        return "FirstConnectionDone";
    case Tip::FileMissing:
        return "FileMissing";
    case Tip::OperationFailed:
        return "OperationFailed";
    case Tip::KeepLeftClick:
        return "KeepLeftClick";
    case Tip::NoMacroList:
        return "NoMacroList";
    case Tip::OtherModel:
        return "OtherModel";
    case Tip::RecordingBusy:
        return "RecordingBusy";
    case Tip::LimitReached:
        return "LimitReached";
    case Tip::GroupExists:
        return "GroupExists";
    case Tip::SelectRowFirst:
        return "SelectRowFirst";
    case Tip::GroupSealed:
        return "GroupSealed";
    case Tip::MacroMemoryFull:
        return "MacroMemoryFull";
    case Tip::TwelveGroups:
        return "TwelveGroups";
    case Tip::NoSoundLightingInDpiMode:
        return "NoSoundLightingInDpiMode";
    }
    return nullptr;
}

/// Every warning, in TipText order (the data-set test checks each has a text in every
/// shipped language).
inline constexpr std::array kAllTips{Tip::MouseNotFound,
                                     Tip::FirstConnectionWriting,
                                     Tip::FirstConnectionWait,
                                     Tip::FirstConnectionDone,
                                     Tip::FileMissing,
                                     Tip::OperationFailed,
                                     Tip::KeepLeftClick,
                                     Tip::NoMacroList,
                                     Tip::OtherModel,
                                     Tip::RecordingBusy,
                                     Tip::LimitReached,
                                     Tip::GroupExists,
                                     Tip::SelectRowFirst,
                                     Tip::GroupSealed,
                                     Tip::MacroMemoryFull,
                                     Tip::TwelveGroups,
                                     Tip::NoSoundLightingInDpiMode};

namespace detail {
// Every number that has a name is in kAllTips, inside the 50 entries of the table, and
// the list is strictly ascending, so a new enumerator cannot be left out of the list.
constexpr bool allTipsComplete() {
    for (int n = 0; n < 256; ++n) {
        const bool named = tipName(static_cast<Tip>(n)) != nullptr;
        const bool listed =
            std::find(kAllTips.begin(), kAllTips.end(), static_cast<Tip>(n)) != kAllTips.end();
        if (named != listed || (named && n >= 50)) {
            return false;
        }
    }
    return std::is_sorted(kAllTips.begin(), kAllTips.end()) &&
           std::adjacent_find(kAllTips.begin(), kAllTips.end()) == kAllTips.end();
}
} // namespace detail
static_assert(detail::allTipsComplete(), "kAllTips must list every Tip once, in order");

} // namespace zel
