#include "ui/keys/KeyEventCodes.h"

#include "keys/VirtualKeys.h"

#include <QKeyEvent>
#include <algorithm>
#include <iterator>

namespace zel {
namespace {

struct QtKey {
    int key;
    std::uint8_t vk;
};

// Qt key numbers of events that carry no native key (the offscreen platform, synthetic
// events), punctuation as on a US keyboard. Letters, digits and F keys are runs and
// computed in qtKeyToVirtualKey().
constexpr QtKey kQtKeys[] = {
    {Qt::Key_Space, 32},       {Qt::Key_Exclam, 49},
    {Qt::Key_QuoteDbl, 222},   {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},      {Qt::Key_Percent, 53},
    {Qt::Key_Ampersand, 55},   {Qt::Key_Apostrophe, 222},
    {Qt::Key_ParenLeft, 57},   {Qt::Key_ParenRight, 48},
    {Qt::Key_Asterisk, 56},    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},      {Qt::Key_Minus, 189},
    {Qt::Key_Period, 190},     {Qt::Key_Slash, 191},
    {Qt::Key_Colon, 186},      {Qt::Key_Semicolon, 186},
    {Qt::Key_Less, 188},       {Qt::Key_Equal, 187},
    {Qt::Key_Greater, 190},    {Qt::Key_Question, 191},
    {Qt::Key_At, 50},          {Qt::Key_BracketLeft, 219},
    {Qt::Key_Backslash, 220},  {Qt::Key_BracketRight, 221},
    {Qt::Key_AsciiCircum, 54}, {Qt::Key_Underscore, 189},
    {Qt::Key_QuoteLeft, 192},  {Qt::Key_BraceLeft, 219},
    {Qt::Key_Bar, 220},        {Qt::Key_BraceRight, 221},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_Escape, 27},
    {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
    {Qt::Key_Backspace, 8},    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},       {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},      {Qt::Key_Pause, 19},
    {Qt::Key_Print, 44},       {Qt::Key_Clear, 12},
    {Qt::Key_Home, 36},        {Qt::Key_End, 35},
    {Qt::Key_Left, 37},        {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
    {Qt::Key_Shift, 160},      {Qt::Key_Control, 162},
    {Qt::Key_Meta, 91},        {Qt::Key_Alt, 164},
    {Qt::Key_CapsLock, 20},    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},     {Qt::Key_Menu, 93},
    {Qt::Key_VolumeDown, 174}, {Qt::Key_VolumeMute, 173},
    {Qt::Key_VolumeUp, 175},   {Qt::Key_MediaPlay, 179},
    {Qt::Key_MediaStop, 178},  {Qt::Key_MediaPrevious, 177},
    {Qt::Key_MediaNext, 176},  {Qt::Key_MediaTogglePlayPause, 179},
    {Qt::Key_AltGr, 165},
};

// Keys of the numeric pad (the event has Qt::KeypadModifier) that differ from the main keys.
constexpr QtKey kQtKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},   {Qt::Key_Comma, 110},
    {Qt::Key_Minus, 109},    {Qt::Key_Period, 110}, {Qt::Key_Slash, 111},
};

constexpr bool sortedByKey(const auto& table) {
    return std::adjacent_find(std::begin(table), std::end(table), [](const auto& a, const auto& b) {
               return a.key >= b.key;
           }) == std::end(table);
}
static_assert(sortedByKey(kQtKeys), "kQtKeys must be sorted by key, each once");
static_assert(sortedByKey(kQtKeypadKeys), "kQtKeypadKeys must be sorted by key, each once");

std::uint8_t lookUp(const auto& table, int key) {
    const auto* it = std::lower_bound(std::begin(table), std::end(table), key,
                                      [](const QtKey& e, int v) { return e.key < v; });
    return it != std::end(table) && it->key == key ? it->vk : 0;
}

std::uint8_t qtKeyToVirtualKey(int key, bool keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<std::uint8_t>(keypad ? 96 + (key - Qt::Key_0) : key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<std::uint8_t>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<std::uint8_t>(112 + (key - Qt::Key_F1));
    }
    if (keypad) {
        if (const std::uint8_t vk = lookUp(kQtKeypadKeys, key); vk != 0) {
            return vk;
        }
    }
    return lookUp(kQtKeys, key);
}

// Bit 0 of an X key event's state: Shift (or Shift Lock) held.
constexpr quint32 kXShiftMask = 1;

} // namespace

std::uint8_t virtualKeyOf(const QKeyEvent& event) {
    const quint32 keysym = event.nativeVirtualKey();
    const quint32 keycode = event.nativeScanCode();
    if (keysym == 0 && keycode == 0) {
        return qtKeyToVirtualKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
    }
    const bool shiftHeld = (event.nativeModifiers() & kXShiftMask) != 0 ||
                           event.modifiers().testFlag(Qt::ShiftModifier);
    return keys::virtualKeyOf(keysym, keycode, shiftHeld);
}

} // namespace zel
