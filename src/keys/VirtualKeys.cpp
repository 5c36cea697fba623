// Keysym and scan-code tables of the Windows virtual-key numbering.

#include "keys/VirtualKeys.h"

#include <algorithm>
#include <iterator>

namespace zel::keys {
namespace {

struct KeysymKey {
    std::uint32_t keysym;
    std::uint8_t vk;
};

/// A keysym on one physical key (evdev code).
struct KeysymOnKey {
    std::uint32_t keysym;
    std::uint8_t evdev;
    std::uint8_t vk;
};

struct ScanKey {
    std::uint8_t evdev;
    std::uint8_t vk;
};

// Keysyms besides the regular runs (letters, digits, F keys, keypad digits), which
// virtualKeyFromKeysym() computes. Latin-1 keysyms equal their character code.
constexpr KeysymKey kKeysyms[] = {
    {0x20, 32},        // space
    {0x21, 49},        // exclam
    {0x22, 222},       // quotedbl
    {0x23, 191},       // numbersign
    {0x24, 52},        // dollar
    {0x25, 53},        // percent
    {0x26, 55},        // ampersand
    {0x27, 222},       // apostrophe
    {0x28, 57},        // parenleft
    {0x29, 48},        // parenright
    {0x2a, 56},        // asterisk
    {0x2b, 187},       // plus
    {0x2c, 188},       // comma
    {0x2d, 189},       // minus
    {0x2e, 190},       // period
    {0x2f, 191},       // slash
    {0x3a, 186},       // colon
    {0x3b, 186},       // semicolon
    {0x3c, 226},       // less
    {0x3d, 187},       // equal
    {0x3e, 190},       // greater
    {0x3f, 191},       // question
    {0x40, 50},        // at
    {0x5b, 219},       // bracketleft
    {0x5c, 220},       // backslash
    {0x5d, 221},       // bracketright
    {0x5e, 54},        // asciicircum
    {0x5f, 189},       // underscore
    {0x60, 192},       // grave
    {0x7b, 219},       // braceleft
    {0x7c, 220},       // bar
    {0x7d, 221},       // braceright
    {0x7e, 192},       // asciitilde
    {0xa1, 221},       // exclamdown
    {0xa7, 220},       // section
    {0xaa, 220},       // ordfeminine
    {0xb0, 220},       // degree
    {0xb2, 222},       // twosuperior
    {0xba, 220},       // masculine
    {0xbd, 220},       // onehalf
    {0xbf, 221},       // questiondown
    {0xc4, 222},       // Adiaeresis
    {0xc5, 221},       // Aring
    {0xc7, 191},       // Ccedilla
    {0xd1, 192},       // Ntilde
    {0xd6, 192},       // Odiaeresis
    {0xdc, 186},       // Udiaeresis
    {0xdf, 219},       // ssharp
    {0xe0, 222},       // agrave
    {0xe4, 222},       // adiaeresis
    {0xe5, 221},       // aring
    {0xe7, 191},       // ccedilla
    {0xe8, 186},       // egrave
    {0xe9, 186},       // eacute
    {0xec, 221},       // igrave
    {0xf1, 192},       // ntilde
    {0xf2, 192},       // ograve
    {0xf6, 192},       // odiaeresis
    {0xf9, 192},       // ugrave
    {0xfc, 186},       // udiaeresis
    {0xfe03, 165},     // ISO_Level3_Shift
    {0xfe20, 9},       // ISO_Left_Tab
    {0xfe50, 221},     // dead_grave
    {0xfe51, 221},     // dead_acute
    {0xfe52, 220},     // dead_circumflex
    {0xfe57, 186},     // dead_diaeresis
    {0xff08, 8},       // BackSpace
    {0xff09, 9},       // Tab
    {0xff0b, 12},      // Clear
    {0xff0d, 13},      // Return
    {0xff13, 19},      // Pause
    {0xff14, 145},     // Scroll_Lock
    {0xff15, 44},      // Sys_Req
    {0xff1b, 27},      // Escape
    {0xff21, 25},      // Kanji
    {0xff22, 29},      // Muhenkan
    {0xff23, 28},      // Henkan_Mode
    {0xff31, 21},      // Hangul
    {0xff34, 25},      // Hangul_Hanja
    {0xff50, 36},      // Home
    {0xff51, 37},      // Left
    {0xff52, 38},      // Up
    {0xff53, 39},      // Right
    {0xff54, 40},      // Down
    {0xff55, 33},      // Prior
    {0xff56, 34},      // Next
    {0xff57, 35},      // End
    {0xff58, 12},      // Begin
    {0xff60, 41},      // Select
    {0xff61, 44},      // Print
    {0xff62, 43},      // Execute
    {0xff63, 45},      // Insert
    {0xff67, 93},      // Menu
    {0xff6a, 47},      // Help
    {0xff6b, 19},      // Break
    {0xff7f, 144},     // Num_Lock
    {0xff80, 32},      // KP_Space
    {0xff89, 9},       // KP_Tab
    {0xff8d, 13},      // KP_Enter
    {0xff95, 36},      // KP_Home
    {0xff96, 37},      // KP_Left
    {0xff97, 38},      // KP_Up
    {0xff98, 39},      // KP_Right
    {0xff99, 40},      // KP_Down
    {0xff9a, 33},      // KP_Prior
    {0xff9b, 34},      // KP_Next
    {0xff9c, 35},      // KP_End
    {0xff9d, 12},      // KP_Begin
    {0xff9e, 45},      // KP_Insert
    {0xff9f, 46},      // KP_Delete
    {0xffaa, 106},     // KP_Multiply
    {0xffab, 107},     // KP_Add
    {0xffac, 110},     // KP_Separator
    {0xffad, 109},     // KP_Subtract
    {0xffae, 110},     // KP_Decimal
    {0xffaf, 111},     // KP_Divide
    {0xffe1, 160},     // Shift_L
    {0xffe2, 161},     // Shift_R
    {0xffe3, 162},     // Control_L
    {0xffe4, 163},     // Control_R
    {0xffe5, 20},      // Caps_Lock
    {0xffe7, 164},     // Meta_L
    {0xffe8, 165},     // Meta_R
    {0xffe9, 164},     // Alt_L
    {0xffea, 165},     // Alt_R
    {0xffeb, 91},      // Super_L
    {0xffec, 92},      // Super_R
    {0xffff, 46},      // Delete
    {0x1008ff11, 174}, // XF86AudioLowerVolume
    {0x1008ff12, 173}, // XF86AudioMute
    {0x1008ff13, 175}, // XF86AudioRaiseVolume
    {0x1008ff14, 179}, // XF86AudioPlay
    {0x1008ff15, 178}, // XF86AudioStop
    {0x1008ff16, 177}, // XF86AudioPrev
    {0x1008ff17, 176}, // XF86AudioNext
    {0x1008ff18, 172}, // XF86HomePage
    {0x1008ff19, 180}, // XF86Mail
    {0x1008ff1b, 170}, // XF86Search
    {0x1008ff1d, 183}, // XF86Calculator
    {0x1008ff26, 166}, // XF86Back
    {0x1008ff27, 167}, // XF86Forward
    {0x1008ff28, 169}, // XF86Stop
    {0x1008ff29, 168}, // XF86Refresh
    {0x1008ff2f, 95},  // XF86Sleep
    {0x1008ff30, 171}, // XF86Favorites
    {0x1008ff31, 179}, // XF86AudioPause
    {0x1008ff32, 181}, // XF86AudioMedia
    {0x1008ff33, 182}, // XF86MyComputer
};

// Keysyms typed without Shift that mean another virtual key on the key that carries them
// than kKeysyms gives: the French, Spanish, Italian, Swedish and Russian keyboards.
constexpr KeysymOnKey kUnshiftedOnKey[] = {
    {0x21, 53, 223},   // exclam: French ! key (VK_OEM_8)
    {0x24, 27, 186},   // dollar: French $ key
    {0x27, 12, 219},   // apostrophe: Spanish and Italian ' key
    {0x27, 43, 191},   // apostrophe: Swedish ' key
    {0x29, 12, 219},   // parenright: French ) key
    {0x2a, 43, 220},   // asterisk: French * key
    {0x2e, 53, 191},   // period: Russian . key
    {0x2f, 86, 226},   // slash: Russian, on the key left of Z
    {0x3a, 52, 191},   // colon: French : key
    {0x3b, 51, 190},   // semicolon: French ; key
    {0xf9, 43, 191},   // ugrave: Italian ù key
    {0xfe50, 26, 186}, // dead_grave: Spanish ` key
    {0xfe51, 40, 222}, // dead_acute: Spanish ´ key
    {0xfe52, 26, 221}, // dead_circumflex: French ^ key
};

// The same for keysyms typed with Shift (German Shift+ß is `question` on the ß key, 219).
constexpr KeysymOnKey kShiftedOnKey[] = {
    {0x25, 40, 192},   // percent: French Shift+ù
    {0x27, 43, 191},   // apostrophe: German Shift+#
    {0x2a, 27, 187},   // asterisk: German, Spanish, Italian Shift++
    {0x2a, 43, 191},   // asterisk: Swedish Shift+'
    {0x2c, 53, 191},   // comma: Russian Shift+.
    {0x2f, 43, 220},   // slash: Russian Shift on the backslash key
    {0x3b, 51, 188},   // semicolon: German, Spanish, Italian, Swedish Shift+,
    {0x3f, 12, 219},   // question: German Shift+ß, Spanish and Italian Shift+'
    {0x3f, 50, 188},   // question: French Shift+,
    {0x5e, 13, 221},   // asciicircum: Italian Shift+ì
    {0x5f, 53, 189},   // underscore: German, Spanish, Italian, Swedish Shift+-
    {0x7c, 41, 220},   // bar: Italian Shift on the backslash key
    {0xa3, 27, 186},   // sterling: French Shift+$
    {0xa7, 43, 191},   // section: Italian Shift+ù
    {0xa7, 53, 223},   // section: French Shift+!
    {0xb0, 12, 219},   // degree: French Shift+)
    {0xb0, 40, 222},   // degree: Italian Shift+à
    {0xe7, 39, 192},   // ccedilla: Italian Shift+ò
    {0xfe52, 26, 186}, // dead_circumflex: Spanish Shift+`
    {0xfe52, 27, 186}, // dead_circumflex: Swedish Shift+¨
    {0xfe57, 26, 221}, // dead_diaeresis: French Shift+^
    {0xfe57, 40, 222}, // dead_diaeresis: Spanish Shift+´
};

// Symbols the US layout types with Shift; with Shift held they go by scan code.
constexpr std::uint32_t kUsShiftedSymbols[] = {
    0x21, // exclam
    0x22, // quotedbl
    0x23, // numbersign
    0x24, // dollar
    0x25, // percent
    0x26, // ampersand
    0x28, // parenleft
    0x29, // parenright
    0x2a, // asterisk
    0x2b, // plus
    0x3a, // colon
    0x3c, // less
    0x3e, // greater
    0x3f, // question
    0x40, // at
    0x5e, // asciicircum
    0x5f, // underscore
    0x7b, // braceleft
    0x7c, // bar
    0x7d, // braceright
    0x7e, // asciitilde
};

// Physical keys by evdev code, US keyboard.
constexpr ScanKey kScanCodes[] = {
    {1, 27},    // Esc
    {2, 49},    // 1
    {3, 50},    // 2
    {4, 51},    // 3
    {5, 52},    // 4
    {6, 53},    // 5
    {7, 54},    // 6
    {8, 55},    // 7
    {9, 56},    // 8
    {10, 57},   // 9
    {11, 48},   // 0
    {12, 189},  // - _
    {13, 187},  // = +
    {14, 8},    // Backspace
    {15, 9},    // Tab
    {16, 81},   // Q
    {17, 87},   // W
    {18, 69},   // E
    {19, 82},   // R
    {20, 84},   // T
    {21, 89},   // Y
    {22, 85},   // U
    {23, 73},   // I
    {24, 79},   // O
    {25, 80},   // P
    {26, 219},  // [ {
    {27, 221},  // ] }
    {28, 13},   // Enter
    {29, 162},  // left Ctrl
    {30, 65},   // A
    {31, 83},   // S
    {32, 68},   // D
    {33, 70},   // F
    {34, 71},   // G
    {35, 72},   // H
    {36, 74},   // J
    {37, 75},   // K
    {38, 76},   // L
    {39, 186},  // ; :
    {40, 222},  // ' "
    {41, 192},  // ` ~
    {42, 160},  // left Shift
    {43, 220},  // backslash, bar
    {44, 90},   // Z
    {45, 88},   // X
    {46, 67},   // C
    {47, 86},   // V
    {48, 66},   // B
    {49, 78},   // N
    {50, 77},   // M
    {51, 188},  // , <
    {52, 190},  // . >
    {53, 191},  // / ?
    {54, 161},  // right Shift
    {55, 106},  // keypad *
    {56, 164},  // left Alt
    {57, 32},   // Space
    {58, 20},   // Caps Lock
    {59, 112},  // F1
    {60, 113},  // F2
    {61, 114},  // F3
    {62, 115},  // F4
    {63, 116},  // F5
    {64, 117},  // F6
    {65, 118},  // F7
    {66, 119},  // F8
    {67, 120},  // F9
    {68, 121},  // F10
    {69, 144},  // Num Lock
    {70, 145},  // Scroll Lock
    {71, 103},  // keypad 7 (the Num Lock state is in the keysym, not here)
    {72, 104},  // keypad 8
    {73, 105},  // keypad 9
    {74, 109},  // keypad -
    {75, 100},  // keypad 4
    {76, 101},  // keypad 5
    {77, 102},  // keypad 6
    {78, 107},  // keypad +
    {79, 97},   // keypad 1
    {80, 98},   // keypad 2
    {81, 99},   // keypad 3
    {82, 96},   // keypad 0
    {83, 110},  // keypad .
    {86, 226},  // the key between left Shift and Z (102nd key)
    {87, 122},  // F11
    {88, 123},  // F12
    {89, 226},  // Japanese Ro, the 102nd key's code on Windows
    {92, 28},   // Henkan (convert)
    {94, 29},   // Muhenkan (no convert)
    {96, 13},   // keypad Enter
    {97, 163},  // right Ctrl
    {98, 111},  // keypad /
    {99, 44},   // Print / SysRq
    {100, 165}, // right Alt / AltGr
    {102, 36},  // Home
    {103, 38},  // Up
    {104, 33},  // Page Up
    {105, 37},  // Left
    {106, 39},  // Right
    {107, 35},  // End
    {108, 40},  // Down
    {109, 34},  // Page Down
    {110, 45},  // Insert
    {111, 46},  // Delete
    {113, 173}, // Mute
    {114, 174}, // Volume down
    {115, 175}, // Volume up
    {119, 19},  // Pause
    {121, 194}, // keypad . of the Brazilian keyboard (ABNT C2)
    {122, 21},  // Hangul
    {123, 25},  // Hanja
    {124, 220}, // Japanese Yen
    {125, 91},  // left Meta (Windows key)
    {126, 92},  // right Meta
    {127, 93},  // Compose (menu key)
    {138, 47},  // Help
    {140, 183}, // Calculator
    {142, 95},  // Sleep
    {155, 180}, // Mail
    {156, 171}, // Bookmarks
    {158, 166}, // Back
    {159, 167}, // Forward
    {163, 176}, // Next track
    {164, 179}, // Play/Pause
    {165, 177}, // Previous track
    {166, 178}, // Stop (media)
    {172, 172}, // Home page
    {173, 168}, // Refresh
    {183, 124}, // F13
    {184, 125}, // F14
    {185, 126}, // F15
    {186, 127}, // F16
    {187, 128}, // F17
    {188, 129}, // F18
    {189, 130}, // F19
    {190, 131}, // F20
    {191, 132}, // F21
    {192, 133}, // F22
    {193, 134}, // F23
    {194, 135}, // F24
    {217, 170}, // Search
    {226, 181}, // Media
};

// Left/right modifiers by evdev code; they win over any keysym.
constexpr ScanKey kModifiers[] = {
    {29, 162},  // left Ctrl
    {42, 160},  // left Shift
    {54, 161},  // right Shift
    {56, 164},  // left Alt
    {97, 163},  // right Ctrl
    {100, 165}, // right Alt / AltGr
    {125, 91},  // left Meta
    {126, 92},  // right Meta
};

constexpr std::uint32_t kEvdevOffset = 8;
constexpr std::uint8_t kFirstDigitKey = 2; // evdev KEY_1
constexpr std::uint8_t kLastDigitKey = 11; // evdev KEY_0

constexpr bool sortedByKeysym(const auto& table) {
    return std::is_sorted(std::begin(table), std::end(table),
                          [](const auto& a, const auto& b) { return a.keysym < b.keysym; }) &&
           std::adjacent_find(std::begin(table), std::end(table), [](const auto& a, const auto& b) {
               return a.keysym == b.keysym;
           }) == std::end(table);
}
constexpr bool sortedByKeysymAndKey(const auto& table) {
    return std::adjacent_find(std::begin(table), std::end(table), [](const auto& a, const auto& b) {
               return a.keysym > b.keysym || (a.keysym == b.keysym && a.evdev >= b.evdev);
           }) == std::end(table);
}
constexpr bool sortedByEvdev(const auto& table) {
    return std::adjacent_find(std::begin(table), std::end(table), [](const auto& a, const auto& b) {
               return a.evdev >= b.evdev;
           }) == std::end(table);
}
static_assert(sortedByKeysym(kKeysyms), "kKeysyms must be sorted by keysym, each once");
static_assert(sortedByKeysymAndKey(kUnshiftedOnKey), "kUnshiftedOnKey must be sorted");
static_assert(sortedByKeysymAndKey(kShiftedOnKey), "kShiftedOnKey must be sorted");
static_assert(std::adjacent_find(std::begin(kUsShiftedSymbols), std::end(kUsShiftedSymbols),
                                 [](auto a, auto b) { return a >= b; }) ==
                  std::end(kUsShiftedSymbols),
              "kUsShiftedSymbols must be sorted");
static_assert(sortedByEvdev(kScanCodes), "kScanCodes must be sorted by evdev code, each once");
static_assert(sortedByEvdev(kModifiers), "kModifiers must be sorted by evdev code, each once");

std::uint8_t lookUpScan(const auto& table, std::uint32_t evdev) {
    const auto* it =
        std::lower_bound(std::begin(table), std::end(table), evdev,
                         [](const ScanKey& e, std::uint32_t v) { return e.evdev < v; });
    return it != std::end(table) && it->evdev == evdev ? it->vk : 0;
}

std::uint8_t lookUpOnKey(const auto& table, std::uint32_t keysym, std::uint32_t evdev) {
    const auto* it =
        std::lower_bound(std::begin(table), std::end(table), keysym,
                         [](const KeysymOnKey& e, std::uint32_t v) { return e.keysym < v; });
    for (; it != std::end(table) && it->keysym == keysym; ++it) {
        if (it->evdev == evdev) {
            return it->vk;
        }
    }
    return 0;
}

} // namespace

std::uint8_t virtualKeyFromKeysym(std::uint32_t keysym) {
    constexpr std::uint32_t kKp0 = 0xffb0, kKp9 = 0xffb9;
    constexpr std::uint32_t kF1 = 0xffbe, kF24 = 0xffd5;
    if ((keysym >= '0' && keysym <= '9') || (keysym >= 'A' && keysym <= 'Z')) {
        return static_cast<std::uint8_t>(keysym);
    }
    if (keysym >= 'a' && keysym <= 'z') {
        return static_cast<std::uint8_t>(keysym - 'a' + 'A');
    }
    if (keysym >= kKp0 && keysym <= kKp9) {
        return static_cast<std::uint8_t>(96 + (keysym - kKp0));
    }
    if (keysym >= kF1 && keysym <= kF24) {
        return static_cast<std::uint8_t>(112 + (keysym - kF1));
    }
    const auto* it =
        std::lower_bound(std::begin(kKeysyms), std::end(kKeysyms), keysym,
                         [](const KeysymKey& e, std::uint32_t v) { return e.keysym < v; });
    return it != std::end(kKeysyms) && it->keysym == keysym ? it->vk : 0;
}

std::uint8_t virtualKeyFromScanCode(std::uint32_t xKeycode) {
    if (xKeycode < kEvdevOffset) {
        return 0;
    }
    return lookUpScan(kScanCodes, xKeycode - kEvdevOffset);
}

std::uint8_t virtualKeyOf(std::uint32_t keysym, std::uint32_t xKeycode, bool shiftHeld) {
    const bool haveKey = xKeycode >= kEvdevOffset;
    const std::uint32_t evdev = haveKey ? xKeycode - kEvdevOffset : 0;
    if (haveKey) {
        if (const std::uint8_t vk = lookUpScan(kModifiers, evdev); vk != 0) {
            return vk;
        }
        if (evdev >= kFirstDigitKey && evdev <= kLastDigitKey) {
            return lookUpScan(kScanCodes, evdev);
        }
        const std::uint8_t onKey = shiftHeld ? lookUpOnKey(kShiftedOnKey, keysym, evdev)
                                             : lookUpOnKey(kUnshiftedOnKey, keysym, evdev);
        if (onKey != 0) {
            return onKey;
        }
        if (shiftHeld && std::binary_search(std::begin(kUsShiftedSymbols),
                                            std::end(kUsShiftedSymbols), keysym)) {
            if (const std::uint8_t vk = lookUpScan(kScanCodes, evdev); vk != 0) {
                return vk;
            }
        }
    }
    if (const std::uint8_t vk = virtualKeyFromKeysym(keysym); vk != 0) {
        return vk;
    }
    return haveKey ? lookUpScan(kScanCodes, evdev) : 0;
}

} // namespace zel::keys
