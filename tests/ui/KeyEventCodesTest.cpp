// Virtual keys of Qt key events: from the native keysym and scan code where the event has
// them, from Qt's key number where it has none (the offscreen platform, synthetic events).

#include "ui/keys/KeyEventCodes.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace zel {
namespace {

std::uint8_t vkOfQtKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, 0, 0, 0);
    return virtualKeyOf(event);
}

std::uint8_t vkOfNative(quint32 keysym, quint32 keycode, quint32 xState,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // Qt's key number is left at Key_A on purpose: the native values must decide.
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_A, modifiers, keycode, keysym, xState);
    return virtualKeyOf(event);
}

TEST(KeyEventCodesTest, QtKeysWithoutNativeValues) {
    EXPECT_EQ(vkOfQtKey(Qt::Key_A), 65);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Z), 90);
    EXPECT_EQ(vkOfQtKey(Qt::Key_0), 48);
    EXPECT_EQ(vkOfQtKey(Qt::Key_F24), 135);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Escape), 27);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Return), 13);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Enter), 13);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Backtab), 9);
    EXPECT_EQ(vkOfQtKey(Qt::Key_PageDown), 34);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Delete), 46);
    // Modifiers are the left ones.
    EXPECT_EQ(vkOfQtKey(Qt::Key_Shift), 160);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Control), 162);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Alt), 164);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Meta), 91);
    // Punctuation as on a US keyboard, shifted or not.
    EXPECT_EQ(vkOfQtKey(Qt::Key_Semicolon), 186);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Colon, Qt::ShiftModifier), 186);
    EXPECT_EQ(vkOfQtKey(Qt::Key_NumberSign, Qt::ShiftModifier), 51);
    EXPECT_EQ(vkOfQtKey(Qt::Key_QuoteLeft), 192);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Plus), 187);
    EXPECT_EQ(vkOfQtKey(Qt::Key_unknown), 0);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Launch0), 0);
}

TEST(KeyEventCodesTest, KeypadKeysByTheKeypadModifier) {
    EXPECT_EQ(vkOfQtKey(Qt::Key_5, Qt::KeypadModifier), 101);
    EXPECT_EQ(vkOfQtKey(Qt::Key_0, Qt::KeypadModifier), 96);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Slash, Qt::KeypadModifier), 111);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Period, Qt::KeypadModifier), 110);
    EXPECT_EQ(vkOfQtKey(Qt::Key_Home, Qt::KeypadModifier), 36); // Num Lock off
}

TEST(KeyEventCodesTest, NativeValuesDecideAndShiftComesFromEitherState) {
    EXPECT_EQ(vkOfNative(0xffe2, 62, 0), 161); // Shift_R
    EXPECT_EQ(vkOfNative(0x23, 51, 0), 191);   // the German # key
    // US Shift+3 gives numbersign; Shift is in the X state, in Qt's modifiers, or both.
    EXPECT_EQ(vkOfNative(0x23, 12, 1), 51);
    EXPECT_EQ(vkOfNative(0x3f, 61, 0, Qt::ShiftModifier), 191); // US Shift+slash
    EXPECT_EQ(vkOfNative(0x3f, 20, 1, Qt::ShiftModifier), 219); // German Shift+ß
    // Only one native value: the other is not needed.
    EXPECT_EQ(vkOfNative(0x1008ff13, 0, 0), 175); // XF86AudioRaiseVolume
    EXPECT_EQ(vkOfNative(0, 38, 0), 65);          // the A key
    // Native values the tables do not know are not replaced by Qt's key number.
    EXPECT_EQ(vkOfNative(0x1008ff2a, 124, 0), 0);
}

} // namespace
} // namespace zel
