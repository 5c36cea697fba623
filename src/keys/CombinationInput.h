#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

/// The separator of combination texts and of the tokens a capture hands to the store.
inline constexpr std::string_view kCombinationSplit = "&split&";

/// The AssignCode of a button that sends a key combination.
inline constexpr int kCombinationAssignCode = 33;

/// "No main key" in a combination.
inline constexpr std::uint8_t kNoMainKey = 255;

/// What the combination dialog is editing: the four modifier toggles and the main key
/// (its virtual-key code and its name in the current language). The opener owns it,
/// hands it to the dialog and reads the main key back afterwards.
struct CombinationInput {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool win = false;
    std::uint8_t mainKey = kNoMainKey;
    std::string mainName;

    bool anyModifier() const { return ctrl || shift || alt || win; }
    void clearModifiers() { ctrl = shift = alt = win = false; }
    /// No modifier and no main key.
    void clear();
    /// Modifier 0..3 (Ctrl, Shift, Alt, Win) switched on or off; other numbers do nothing.
    void toggleModifier(int modifier);
};

/// What the key dialog captured: the device key code and its name in the current
/// language. The opener sets it to the step's current key and reads it back.
struct CapturedKey {
    std::uint8_t code = 0;
    std::string name;
};

/// The state a button's stored combination text opens the dialog with. Only a button
/// whose code is 33 has one; any other code (or an empty text) gives no modifier and no
/// main key. The fields of the text come in pairs: a modifier name followed by its code,
/// which switches the modifier on when it is not empty; the last pair is the main key's
/// name and its virtual-key code.
CombinationInput prefillCombination(int assignCode, std::string_view storedText);

/// The modifier keys the combination dialog leaves alone (Shift, Ctrl, Alt and the two
/// Win keys, plain and left/right): modifiers are chosen with the toggles.
bool isModifierKey(std::uint8_t virtualKey);

/// The names of the enabled modifiers, in the order Ctrl, Shift, Alt, Win, joined with
/// "&split&".
std::string modifierTokens(const CombinationInput& input);

/// The tokens a capture hands to the store: the modifier tokens and the main key's name
/// joined with "&split&", leaving out an empty part. Empty when nothing was entered.
std::string combinationTokens(const CombinationInput& input);

/// The enabled modifiers as the dialog shows them: "Ctrl+Alt"; empty when none is on.
std::string modifierDisplayText(const CombinationInput& input);

/// The parameter of a capture's message: slot × 256 + main key (255 when there is none).
std::int64_t combinationArgument(int slot, const CombinationInput& input);

} // namespace zel
