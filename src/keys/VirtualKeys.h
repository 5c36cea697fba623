#pragma once

// Windows virtual-key codes of Linux key events. A key event on Linux carries the X keysym
// (what the active layout and shift level made of the key) and the X keycode (the evdev
// key code + 8, the physical key); the macro files and the key tables keep the virtual-key
// numbering that the Windows layout of the same country gives for the physical key. These
// functions make the one from the other without a display.

#include <cstdint>

namespace zel::keys {

/// The virtual key of an X keysym, 0 for keysyms it does not know.
///
/// Letters of either case give 65..90, digits 48..57, F1..F24 give 112..135. Punctuation
/// gives the key that types it on the US keyboard, with or without Shift (semicolon and
/// colon 186, equal and plus 187, ...), except `numbersign` (191, the German # key) and
/// `less` (226, the key left of Y/Z). The unshifted symbols of the German, French, Spanish,
/// Italian and Swedish keyboards give the virtual key of their Windows layout (udiaeresis
/// 186, odiaeresis 192, ssharp 219, dead_acute 221, dead_circumflex 220, ugrave 192, ...).
///
/// Keypad: with Num Lock on, KP_0..KP_9 give 96..105 and KP_Decimal (and KP_Separator, the
/// decimal key of layouts with a decimal comma) 110. With Num Lock off the keypad sends
/// KP_Home, KP_Up, ... and, as on Windows, gives the navigation keys (36, 38, ...; KP_Begin
/// is 12, the clear key). The operator keys and KP_Enter (13) are the same in both states.
std::uint8_t virtualKeyFromKeysym(std::uint32_t keysym);

/// The virtual key of the physical key with X keycode `xKeycode` (evdev code + 8) as on a
/// US keyboard, 0 for keys it does not know. Modifiers keep left and right apart (160..165,
/// 91/92), the key between left Shift and Z is 226.
std::uint8_t virtualKeyFromScanCode(std::uint32_t xKeycode);

/// The virtual key of a key event, 0 when neither value identifies the key. In order:
///
/// 1. Modifiers by scan code, so that left and right stay apart whatever keysym the layout
///    puts on them (AltGr sends ISO_Level3_Shift and still gives 165).
/// 2. The digits row by scan code: every Windows layout keeps 48..57 on those ten keys,
///    also where the keysym is a shifted symbol (US Shift+3 is `numbersign`) or, as on the
///    French keyboard, a symbol without Shift.
/// 3. A keysym that one of the layouts above types on a key where it means another virtual
///    key than the keysym alone gives (French `semicolon`, Spanish `dead_acute`, German
///    Shift+ß `question`, ...), looked up by keysym, key and Shift.
/// 4. With Shift held, a symbol that the US layout types with Shift goes by scan code
///    (US Shift+/ `question` is 191 from its key, not from the keysym).
/// 5. The keysym (letters and every unshifted case).
/// 6. The scan code, for keys whose keysym is not Latin (Cyrillic, Greek, ...).
///
/// Where two layouts put the same keysym on the same key with different virtual keys the
/// German one wins: the Swedish ´ key gives 221 (Windows: 219), Swedish Shift++ gives 219
/// (Windows: 187).
std::uint8_t virtualKeyOf(std::uint32_t keysym, std::uint32_t xKeycode, bool shiftHeld = false);

} // namespace zel::keys
