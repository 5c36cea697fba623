// Virtual-key codes of key events: every key of a US and of a German keyboard as X reports
// it, against the code the Windows layout of the same country gives for that key.

#include "keys/VirtualKeys.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace zel::keys {
namespace {

struct KeyRow {
    std::uint32_t xKeycode;
    std::uint32_t keysym;        ///< without Shift
    std::uint32_t shiftedKeysym; ///< with Shift
    std::uint8_t vk;
};

// The 105 keys of a PC keyboard with the `us` layout and Num Lock on.
constexpr KeyRow kUsKeyboard[] = {
    {9, 0xff1b, 0xff1b, 27},    // Escape Escape
    {67, 0xffbe, 0xffbe, 112},  // F1 F1
    {68, 0xffbf, 0xffbf, 113},  // F2 F2
    {69, 0xffc0, 0xffc0, 114},  // F3 F3
    {70, 0xffc1, 0xffc1, 115},  // F4 F4
    {71, 0xffc2, 0xffc2, 116},  // F5 F5
    {72, 0xffc3, 0xffc3, 117},  // F6 F6
    {73, 0xffc4, 0xffc4, 118},  // F7 F7
    {74, 0xffc5, 0xffc5, 119},  // F8 F8
    {75, 0xffc6, 0xffc6, 120},  // F9 F9
    {76, 0xffc7, 0xffc7, 121},  // F10 F10
    {95, 0xffc8, 0xffc8, 122},  // F11 F11
    {96, 0xffc9, 0xffc9, 123},  // F12 F12
    {107, 0xff61, 0xff15, 44},  // Print Sys_Req
    {78, 0xff14, 0xff14, 145},  // Scroll_Lock Scroll_Lock
    {127, 0xff13, 0xff6b, 19},  // Pause Break
    {49, 0x60, 0x7e, 192},      // grave asciitilde
    {10, 0x31, 0x21, 49},       // 1 exclam
    {11, 0x32, 0x40, 50},       // 2 at
    {12, 0x33, 0x23, 51},       // 3 numbersign
    {13, 0x34, 0x24, 52},       // 4 dollar
    {14, 0x35, 0x25, 53},       // 5 percent
    {15, 0x36, 0x5e, 54},       // 6 asciicircum
    {16, 0x37, 0x26, 55},       // 7 ampersand
    {17, 0x38, 0x2a, 56},       // 8 asterisk
    {18, 0x39, 0x28, 57},       // 9 parenleft
    {19, 0x30, 0x29, 48},       // 0 parenright
    {20, 0x2d, 0x5f, 189},      // minus underscore
    {21, 0x3d, 0x2b, 187},      // equal plus
    {22, 0xff08, 0xff08, 8},    // BackSpace BackSpace
    {118, 0xff63, 0xff63, 45},  // Insert Insert
    {110, 0xff50, 0xff50, 36},  // Home Home
    {112, 0xff55, 0xff55, 33},  // Prior Prior
    {77, 0xff7f, 0xff7f, 144},  // Num_Lock Num_Lock
    {106, 0xffaf, 0xffaf, 111}, // KP_Divide KP_Divide
    {63, 0xffaa, 0xffaa, 106},  // KP_Multiply KP_Multiply
    {82, 0xffad, 0xffad, 109},  // KP_Subtract KP_Subtract
    {23, 0xff09, 0xfe20, 9},    // Tab ISO_Left_Tab
    {24, 0x71, 0x51, 81},       // q Q
    {25, 0x77, 0x57, 87},       // w W
    {26, 0x65, 0x45, 69},       // e E
    {27, 0x72, 0x52, 82},       // r R
    {28, 0x74, 0x54, 84},       // t T
    {29, 0x79, 0x59, 89},       // y Y
    {30, 0x75, 0x55, 85},       // u U
    {31, 0x69, 0x49, 73},       // i I
    {32, 0x6f, 0x4f, 79},       // o O
    {33, 0x70, 0x50, 80},       // p P
    {34, 0x5b, 0x7b, 219},      // bracketleft braceleft
    {35, 0x5d, 0x7d, 221},      // bracketright braceright
    {119, 0xffff, 0xffff, 46},  // Delete Delete
    {115, 0xff57, 0xff57, 35},  // End End
    {117, 0xff56, 0xff56, 34},  // Next Next
    {79, 0xffb7, 0xffb7, 103},  // KP_7 KP_7
    {80, 0xffb8, 0xffb8, 104},  // KP_8 KP_8
    {81, 0xffb9, 0xffb9, 105},  // KP_9 KP_9
    {86, 0xffab, 0xffab, 107},  // KP_Add KP_Add
    {66, 0xffe5, 0xffe5, 20},   // Caps_Lock Caps_Lock
    {38, 0x61, 0x41, 65},       // a A
    {39, 0x73, 0x53, 83},       // s S
    {40, 0x64, 0x44, 68},       // d D
    {41, 0x66, 0x46, 70},       // f F
    {42, 0x67, 0x47, 71},       // g G
    {43, 0x68, 0x48, 72},       // h H
    {44, 0x6a, 0x4a, 74},       // j J
    {45, 0x6b, 0x4b, 75},       // k K
    {46, 0x6c, 0x4c, 76},       // l L
    {47, 0x3b, 0x3a, 186},      // semicolon colon
    {48, 0x27, 0x22, 222},      // apostrophe quotedbl
    {51, 0x5c, 0x7c, 220},      // backslash bar
    {36, 0xff0d, 0xff0d, 13},   // Return Return
    {83, 0xffb4, 0xffb4, 100},  // KP_4 KP_4
    {84, 0xffb5, 0xffb5, 101},  // KP_5 KP_5
    {85, 0xffb6, 0xffb6, 102},  // KP_6 KP_6
    {50, 0xffe1, 0xffe1, 160},  // Shift_L Shift_L
    {94, 0x3c, 0x3e, 226},      // less greater
    {52, 0x7a, 0x5a, 90},       // z Z
    {53, 0x78, 0x58, 88},       // x X
    {54, 0x63, 0x43, 67},       // c C
    {55, 0x76, 0x56, 86},       // v V
    {56, 0x62, 0x42, 66},       // b B
    {57, 0x6e, 0x4e, 78},       // n N
    {58, 0x6d, 0x4d, 77},       // m M
    {59, 0x2c, 0x3c, 188},      // comma less
    {60, 0x2e, 0x3e, 190},      // period greater
    {61, 0x2f, 0x3f, 191},      // slash question
    {62, 0xffe2, 0xffe2, 161},  // Shift_R Shift_R
    {111, 0xff52, 0xff52, 38},  // Up Up
    {87, 0xffb1, 0xffb1, 97},   // KP_1 KP_1
    {88, 0xffb2, 0xffb2, 98},   // KP_2 KP_2
    {89, 0xffb3, 0xffb3, 99},   // KP_3 KP_3
    {104, 0xff8d, 0xff8d, 13},  // KP_Enter KP_Enter
    {37, 0xffe3, 0xffe3, 162},  // Control_L Control_L
    {133, 0xffeb, 0xffeb, 91},  // Super_L Super_L
    {64, 0xffe9, 0xffe7, 164},  // Alt_L Meta_L
    {65, 0x20, 0x20, 32},       // space space
    {108, 0xffea, 0xffe8, 165}, // Alt_R Meta_R
    {134, 0xffec, 0xffec, 92},  // Super_R Super_R
    {135, 0xff67, 0xff67, 93},  // Menu Menu
    {105, 0xffe4, 0xffe4, 163}, // Control_R Control_R
    {113, 0xff51, 0xff51, 37},  // Left Left
    {116, 0xff54, 0xff54, 40},  // Down Down
    {114, 0xff53, 0xff53, 39},  // Right Right
    {90, 0xffb0, 0xffb0, 96},   // KP_0 KP_0
    {91, 0xffae, 0xffae, 110},  // KP_Decimal KP_Decimal
};

// The keys whose keysyms or codes differ on the `de` layout (Windows: German).
constexpr KeyRow kGermanDifferences[] = {
    {10, 0x31, 0x21, 49},       // 1 exclam
    {11, 0x32, 0x22, 50},       // 2 quotedbl
    {12, 0x33, 0xa7, 51},       // 3 section
    {13, 0x34, 0x24, 52},       // 4 dollar
    {14, 0x35, 0x25, 53},       // 5 percent
    {15, 0x36, 0x26, 54},       // 6 ampersand
    {16, 0x37, 0x2f, 55},       // 7 slash
    {17, 0x38, 0x28, 56},       // 8 parenleft
    {18, 0x39, 0x29, 57},       // 9 parenright
    {19, 0x30, 0x3d, 48},       // 0 equal
    {20, 0xdf, 0x3f, 219},      // ssharp question: VK_OEM_4
    {21, 0xfe51, 0xfe50, 221},  // dead_acute dead_grave: VK_OEM_6
    {29, 0x7a, 0x5a, 90},       // z Z on the US Y key
    {34, 0xfc, 0xdc, 186},      // udiaeresis Udiaeresis: VK_OEM_1
    {35, 0x2b, 0x2a, 187},      // plus asterisk: VK_OEM_PLUS
    {47, 0xf6, 0xd6, 192},      // odiaeresis Odiaeresis: VK_OEM_3
    {48, 0xe4, 0xc4, 222},      // adiaeresis Adiaeresis: VK_OEM_7
    {49, 0xfe52, 0xb0, 220},    // dead_circumflex degree: VK_OEM_5
    {51, 0x23, 0x27, 191},      // numbersign apostrophe: VK_OEM_2
    {52, 0x79, 0x59, 89},       // y Y on the US Z key
    {59, 0x2c, 0x3b, 188},      // comma semicolon
    {60, 0x2e, 0x3a, 190},      // period colon
    {61, 0x2d, 0x5f, 189},      // minus underscore: VK_OEM_MINUS
    {91, 0xffac, 0xffac, 110},  // KP_Separator (the decimal comma)
    {94, 0x3c, 0x3e, 226},      // less greater: VK_OEM_102
    {108, 0xfe03, 0xfe03, 165}, // ISO_Level3_Shift (AltGr)
};

std::vector<KeyRow> germanKeyboard() {
    std::vector<KeyRow> rows(std::begin(kUsKeyboard), std::end(kUsKeyboard));
    for (const KeyRow& de : kGermanDifferences) {
        auto it = std::find_if(rows.begin(), rows.end(),
                               [&](const KeyRow& r) { return r.xKeycode == de.xKeycode; });
        if (it == rows.end()) {
            ADD_FAILURE() << "no key " << de.xKeycode;
            continue;
        }
        *it = de;
    }
    return rows;
}

void expectKeyboard(std::span<const KeyRow> rows) {
    for (const KeyRow& row : rows) {
        EXPECT_EQ(virtualKeyOf(row.keysym, row.xKeycode, false), row.vk)
            << "keycode " << row.xKeycode << " keysym 0x" << std::hex << row.keysym;
        EXPECT_EQ(virtualKeyOf(row.shiftedKeysym, row.xKeycode, true), row.vk)
            << "keycode " << row.xKeycode << " Shift, keysym 0x" << std::hex << row.shiftedKeysym;
    }
}

TEST(VirtualKeysTest, UsKeyboardWithAndWithoutShift) {
    ASSERT_EQ(std::size(kUsKeyboard), 105U);
    expectKeyboard(kUsKeyboard);
}

TEST(VirtualKeysTest, UsKeyboardByScanCodeAlone) {
    for (const KeyRow& row : kUsKeyboard) {
        EXPECT_EQ(virtualKeyFromScanCode(row.xKeycode), row.vk) << "keycode " << row.xKeycode;
    }
}

TEST(VirtualKeysTest, GermanKeyboardWithAndWithoutShift) {
    const std::vector<KeyRow> rows = germanKeyboard();
    ASSERT_EQ(rows.size(), 105U);
    expectKeyboard(rows);
}

TEST(VirtualKeysTest, ShiftedSymbolsThatAnotherLayoutTypesWithoutShift) {
    EXPECT_EQ(virtualKeyOf(0x23, 12, true), 51);   // US Shift+3: numbersign
    EXPECT_EQ(virtualKeyOf(0x23, 51, false), 191); // German # key
    EXPECT_EQ(virtualKeyOf(0x3c, 59, true), 188);  // US Shift+comma: less
    EXPECT_EQ(virtualKeyOf(0x3c, 94, false), 226); // the key left of Y/Z
    EXPECT_EQ(virtualKeyOf(0x3f, 61, true), 191);  // US Shift+slash: question
    EXPECT_EQ(virtualKeyOf(0x3f, 20, true), 219);  // German Shift+ß: question
    EXPECT_EQ(virtualKeyOf(0x3a, 47, true), 186);  // US Shift+semicolon: colon
    EXPECT_EQ(virtualKeyOf(0x3a, 60, false), 191); // French colon key
    EXPECT_EQ(virtualKeyOf(0x2a, 17, true), 56);   // US Shift+8: asterisk
    EXPECT_EQ(virtualKeyOf(0x2a, 35, true), 187);  // German Shift+plus: asterisk
    EXPECT_EQ(virtualKeyOf(0x2a, 51, false), 220); // French asterisk key
    // Without the key, the keysym alone decides.
    EXPECT_EQ(virtualKeyFromKeysym(0x23), 191);
    EXPECT_EQ(virtualKeyFromKeysym(0x3c), 226);
    EXPECT_EQ(virtualKeyFromKeysym(0x3a), 186);
}

TEST(VirtualKeysTest, NumLockOffGivesTheNavigationKeys) {
    constexpr KeyRow kKeypad[] = {
        {79, 0xff95, 0, 36}, // KP_Home
        {80, 0xff97, 0, 38}, // KP_Up
        {81, 0xff9a, 0, 33}, // KP_Prior
        {83, 0xff96, 0, 37}, // KP_Left
        {84, 0xff9d, 0, 12}, // KP_Begin: the clear key
        {85, 0xff98, 0, 39}, // KP_Right
        {87, 0xff9c, 0, 35}, // KP_End
        {88, 0xff99, 0, 40}, // KP_Down
        {89, 0xff9b, 0, 34}, // KP_Next
        {90, 0xff9e, 0, 45}, // KP_Insert
        {91, 0xff9f, 0, 46}, // KP_Delete
    };
    for (const KeyRow& row : kKeypad) {
        EXPECT_EQ(virtualKeyOf(row.keysym, row.xKeycode), row.vk) << "keycode " << row.xKeycode;
    }
}

TEST(VirtualKeysTest, OtherLayoutsGiveTheirWindowsLayoutsCodes) {
    constexpr KeyRow kKeys[] = {
        // fr
        {10, 0x26, 0, 49},    // ampersand on the 1 key
        {11, 0xe9, 0, 50},    // eacute on the 2 key
        {20, 0x29, 0, 219},   // parenright
        {24, 0x61, 0, 65},    // a on the US Q key
        {34, 0xfe52, 0, 221}, // dead_circumflex
        {35, 0x24, 0, 186},   // dollar
        {47, 0x6d, 0, 77},    // m on the US semicolon key
        {48, 0xf9, 0, 192},   // ugrave
        {49, 0xb2, 0, 222},   // twosuperior
        {51, 0x2a, 0, 220},   // asterisk
        {58, 0x2c, 0, 188},   // comma on the US M key
        {59, 0x3b, 0, 190},   // semicolon
        {61, 0x21, 0, 223},   // exclam: VK_OEM_8
        // es
        {20, 0x27, 0, 219},   // apostrophe
        {21, 0xa1, 0, 221},   // exclamdown
        {34, 0xfe50, 0, 186}, // dead_grave
        {47, 0xf1, 0, 192},   // ntilde
        {48, 0xfe51, 0, 222}, // dead_acute
        {49, 0xba, 0, 220},   // masculine
        {51, 0xe7, 0, 191},   // ccedilla
        // it
        {21, 0xec, 0, 221}, // igrave
        {34, 0xe8, 0, 186}, // egrave
        {47, 0xf2, 0, 192}, // ograve
        {48, 0xe0, 0, 222}, // agrave
        {49, 0x5c, 0, 220}, // backslash
        {51, 0xf9, 0, 191}, // ugrave
        // se
        {20, 0x2b, 0, 187},   // plus
        {34, 0xe5, 0, 221},   // aring
        {35, 0xfe57, 0, 186}, // dead_diaeresis
        {49, 0xa7, 0, 220},   // section
        {51, 0x27, 0, 191},   // apostrophe
        // ru: letters by their key
        {38, 0x6c6, 0, 65},  // Cyrillic_ef on the A key
        {49, 0x6a3, 0, 192}, // Cyrillic_io
        {59, 0x6c2, 0, 188}, // Cyrillic_be
        {61, 0x2e, 0, 191},  // period on the US slash key
    };
    for (const KeyRow& row : kKeys) {
        EXPECT_EQ(virtualKeyOf(row.keysym, row.xKeycode), row.vk)
            << "keycode " << row.xKeycode << " keysym 0x" << std::hex << row.keysym;
    }
    // The Swedish ´ key carries the German keysym on the same key: the German code wins.
    EXPECT_EQ(virtualKeyOf(0xfe51, 21), 221);
}

TEST(VirtualKeysTest, ModifiersStayApartWhateverTheKeysym) {
    EXPECT_EQ(virtualKeyOf(0xfe03, 108), 165);      // AltGr sends ISO_Level3_Shift
    EXPECT_EQ(virtualKeyOf(0xffe1, 62), 161);       // Shift_L on the right Shift key
    EXPECT_EQ(virtualKeyOf(0xffe4, 37), 162);       // Control_R on the left Ctrl key
    EXPECT_EQ(virtualKeyOf(0xffe5, 37), 162);       // Caps_Lock swapped onto left Ctrl
    EXPECT_EQ(virtualKeyOf(0xffe7, 64, true), 164); // Shift+left Alt: Meta_L
    // Without a key the keysym tells the side.
    EXPECT_EQ(virtualKeyOf(0xffe2, 0), 161);
    EXPECT_EQ(virtualKeyOf(0xffe4, 0), 163);
    EXPECT_EQ(virtualKeyOf(0xffec, 0), 92);
}

TEST(VirtualKeysTest, KeysymsWithoutAKey) {
    EXPECT_EQ(virtualKeyFromKeysym(0x61), 65);        // a
    EXPECT_EQ(virtualKeyFromKeysym(0x5a), 90);        // Z
    EXPECT_EQ(virtualKeyFromKeysym(0xffd5), 135);     // F24
    EXPECT_EQ(virtualKeyFromKeysym(0xffb0), 96);      // KP_0
    EXPECT_EQ(virtualKeyFromKeysym(0xffb9), 105);     // KP_9
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff13), 175); // XF86AudioRaiseVolume
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff11), 174); // XF86AudioLowerVolume
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff12), 173); // XF86AudioMute
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff14), 179); // XF86AudioPlay
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff17), 176); // XF86AudioNext
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff26), 166); // XF86Back
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff18), 172); // XF86HomePage
    EXPECT_EQ(virtualKeyFromKeysym(0x1008ff19), 180); // XF86Mail
    EXPECT_EQ(virtualKeyOf(0x1008ff13, 0), 175);
}

TEST(VirtualKeysTest, UnknownKeysGiveZero) {
    EXPECT_EQ(virtualKeyOf(0, 0), 0);
    EXPECT_EQ(virtualKeyOf(0x1008ff2a, 124), 0); // XF86PowerOff on the power key
    EXPECT_EQ(virtualKeyOf(0x6c6, 0), 0);        // Cyrillic_ef without its key
    EXPECT_EQ(virtualKeyFromKeysym(0xffd6), 0);  // F25
    EXPECT_EQ(virtualKeyFromKeysym(0xffbd), 0);  // KP_Equal
    EXPECT_EQ(virtualKeyFromKeysym(0xffffffff), 0);
    for (std::uint32_t keycode = 0; keycode < 8; ++keycode) {
        EXPECT_EQ(virtualKeyFromScanCode(keycode), 0) << keycode;
    }
    EXPECT_EQ(virtualKeyFromScanCode(255), 0);
    EXPECT_EQ(virtualKeyFromScanCode(0xffffffff), 0);
}

} // namespace
} // namespace zel::keys
