// The key dialog and the combination dialog over the shipped skins, driven with pointer
// and key events on the offscreen platform.

#include "ui/keys/CDialogGetKey.h"
#include "ui/keys/CShortcutGetKey.h"

#include "TestSupport.h"
#include "presentation/LayoutElements.h"
#include "settings/ProfileStore.h"
#include "ui/AppMessage.h"
#include "ui/keys/KeyEventCodes.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace zel;
namespace keyset = zel::layout::skin_keyset;
namespace shortcut = zel::layout::skin_shortcut;

namespace {

QPoint centre(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

/// An owner window that records the program messages it gets, and whether the dialog
/// was still open when each arrived.
class RecordingOwner final : public QWidget {
public:
    struct Received {
        int message;
        std::int64_t wParam;
        std::int64_t lParam;
        std::string text;
        bool dialogOpen;
    };
    std::vector<Received> received;
    QPointer<QDialog> dialog;

protected:
    bool event(QEvent* event) override {
        if (event->type() == AppMessage::eventType()) {
            const auto* m = static_cast<AppMessage*>(event);
            received.push_back({m->message, m->wParam, m->lParam, m->text,
                                dialog != nullptr && dialog->isVisible()});
            return true;
        }
        return QWidget::event(event);
    }
};

/// The records a dialog is built from, for one language folder.
class DialogRig {
public:
    explicit DialogRig(int language = 1, const std::string& folder = "/1_INI_EN")
        : context{m_ini,
                  test::builtAppDir() + "/skins",
                  test::builtAppDir() + "/skins" + folder,
                  language,
                  m_keys,
                  QFont(),
                  QStringLiteral("ZEL GMouse"),
                  &messages} {
        QFont font = QApplication::font();
        font.setPixelSize(15);
        context.font = font;
    }

    test::RecordingMessageSink messages;
    KeyDialogContext context;

private:
    ini::IniStore m_ini;
    MacVkAndText m_keys;
};

int accentPixels(const QImage& image, const Area& a) {
    int count = 0;
    for (int y = a.y; y < a.y + a.height; ++y) {
        for (int x = a.x; x < a.x + a.width; ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.blue() > 200 && c.green() > 120 && c.red() < 90 ? 1 : 0;
        }
    }
    return count;
}

void pressKeysThatMustNotClose(QDialog& dialog) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_F10}) {
        QTest::keyClick(&dialog, key);
    }
    QTest::keyClick(&dialog, Qt::Key_F4, Qt::AltModifier);
    dialog.close(); // the system's close request
}

CombinationRequest request(int slot, int code = 0, std::string stored = {}) {
    CombinationRequest r;
    r.slot = slot;
    r.assignCode = code;
    r.storedText = std::move(stored);
    r.pressKeyPrompt = "Press a key";
    r.noModifierPrompt = "No modifier chosen";
    return r;
}

} // namespace

TEST(KeyDialog, TakesEveryKeyAndOkPostsTheCapture) {
    DialogRig rig;
    RecordingOwner owner;
    CapturedKey captured{9, "F"};
    CDialogGetKey dialog(rig.context, captured, QPoint(412, 317), &owner);
    owner.dialog = &dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    ASSERT_FALSE(dialog.layoutMissing());
    EXPECT_EQ(dialog.pos(), QPoint(412, 317));
    EXPECT_EQ(dialog.size(), QSize(360, 200));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ZEL GMouse"));
    const QImage mask(QString::fromStdString(rig.context.skinsDir + "/keyset_mask.jpg"));
    EXPECT_EQ(dialog.mask(), shapeFromMask(mask));
    EXPECT_EQ(QWidget::keyboardGrabber(), &dialog);
    EXPECT_TRUE(dialog.holdingKeyboard());

    // The step's key is shown until a key is pressed; then each key replaces the last,
    // a modifier too.
    const Area keyArea = dialog.area(keyset::kKey);
    const QImage before = dialog.compose();
    EXPECT_GT(accentPixels(before, keyArea), 0);
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 0x32, 0xffe1, 0);
    QApplication::sendEvent(&dialog, &shift);
    if (virtualKeyOf(shift) != 0) {
        EXPECT_EQ(captured.code, MacVkAndText().vkToDeviceCode(1, virtualKeyOf(shift)));
    }
    QTest::keyClick(&dialog, Qt::Key_A);
    EXPECT_EQ(captured.code, 4);
    EXPECT_EQ(captured.name, "A");
    EXPECT_NE(dialog.compose().copy(keyArea.x, keyArea.y, keyArea.width, keyArea.height),
              before.copy(keyArea.x, keyArea.y, keyArea.width, keyArea.height));
    // A held key repeats its press: the capture stays as it is.
    QTest::keyPress(&dialog, Qt::Key_B);
    QTest::keyPress(&dialog, Qt::Key_C, Qt::NoModifier, -1);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&dialog, &repeat);
    EXPECT_EQ(captured.name, "C");
    QTest::keyClick(&dialog, Qt::Key_A);

    // Esc, Enter and F10 neither close it nor get past it.
    pressKeysThatMustNotClose(dialog);
    QApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(dialog.isVisible());

    // Hovering OK shows its over picture; the press ends the dialog and posts the message.
    const Area ok = dialog.area(keyset::kOk);
    const QImage resting = dialog.compose();
    QTest::mouseMove(&dialog, centre(ok));
    EXPECT_EQ(dialog.hot(), keyset::kOk);
    EXPECT_NE(dialog.compose().pixel(ok.x + 3, ok.y + 3), resting.pixel(ok.x + 3, ok.y + 3));
    QTest::keyClick(&dialog, Qt::Key_Escape); // captured like any other key
    QTest::keyClick(&dialog, Qt::Key_A);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(ok));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_FALSE(dialog.capturing());
    EXPECT_FALSE(dialog.holdingKeyboard());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_TRUE(owner.received.empty()); // posted, not sent
    QApplication::processEvents();
    ASSERT_EQ(owner.received.size(), 1U);
    EXPECT_EQ(owner.received[0].message, msg::kKeyCaptured);
    EXPECT_EQ(owner.received[0].wParam, 0);
    EXPECT_EQ(owner.received[0].lParam, 0);
    EXPECT_EQ(captured.code, 4);
    EXPECT_EQ(captured.name, "A");
}

TEST(KeyDialog, CancelPostsNothingAndTheLanguageChoosesTheKeyTable) {
    DialogRig german(4, "/4_INI_DE");
    RecordingOwner owner;
    CapturedKey captured;
    CDialogGetKey dialog(german.context, captured, QPoint(0, 0), &owner);
    dialog.show();
    // On a German keyboard the key Z sits where Y is on an English one.
    QTest::keyClick(&dialog, Qt::Key_Z);
    EXPECT_EQ(captured.code, 28);
    EXPECT_EQ(captured.name, "Z");
    QTest::mouseMove(&dialog, centre(dialog.area(keyset::kCancel)));
    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(dialog.area(keyset::kCancel)));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(owner.received.empty());
}

TEST(KeyDialog, RunsModallyAndLetsTheKeyboardGoWhenDestroyed) {
    DialogRig rig;
    CapturedKey captured;
    {
        CDialogGetKey dialog(rig.context, captured, QPoint(0, 0));
        QTimer::singleShot(0, [&dialog] {
            EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
            EXPECT_EQ(QWidget::keyboardGrabber(), &dialog);
            QTest::keyClick(&dialog, Qt::Key_F5);
            QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(dialog.area(keyset::kOk)));
        });
        EXPECT_EQ(dialog.exec(), 0);
        EXPECT_EQ(captured.name, "F5");
    }
    // A dialog that goes away while shown does not keep the keyboard.
    {
        auto dialog = std::make_unique<CDialogGetKey>(rig.context, captured, QPoint(0, 0));
        dialog->show();
        ASSERT_EQ(QWidget::keyboardGrabber(), dialog.get());
    }
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

TEST(KeyDialogs, AMissingLayoutIsToldAndEndsTheDialogAtOnce) {
    test::TempDir empty;
    DialogRig rig;
    rig.context.languageDir = empty.str();
    CapturedKey captured{4, "A"};
    CDialogGetKey keyDialog(rig.context, captured, QPoint(0, 0));
    EXPECT_TRUE(keyDialog.layoutMissing());
    EXPECT_EQ(keyDialog.exec(), 0);
    EXPECT_FALSE(keyDialog.isVisible());
    CombinationInput input;
    RecordingOwner owner;
    CShortcutGetKey comboDialog(rig.context, request(1), input, &owner);
    EXPECT_EQ(comboDialog.exec(), 0);
    EXPECT_EQ(rig.messages.messages,
              (std::vector<std::string>{std::string(kConfigFileMissingText),
                                        std::string(kConfigFileMissingText)}));
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_TRUE(owner.received.empty());
}

TEST(CombinationDialog, CtrlToggleAndTheKeyAGiveTheCombination) {
    DialogRig rig;
    RecordingOwner owner;
    CombinationInput input;
    std::vector<std::string> order;
    CombinationRequest r = request(5);
    r.assignCombinationCode = [&] { order.push_back("code 33"); };
    CShortcutGetKey dialog(rig.context, r, input, &owner);
    owner.dialog = &dialog;
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(480, 330));
    // The picture is 480 × 330: the dialog opens with its corner at that screen point.
    EXPECT_EQ(dialog.pos(), QPoint(480, 330));
    EXPECT_EQ(QWidget::keyboardGrabber(), &dialog);

    // The prompts show in their greys while nothing is entered.
    const QImage empty = dialog.compose();
    EXPECT_EQ(accentPixels(empty, dialog.area(shortcut::kModifiers)), 0);
    EXPECT_EQ(accentPixels(empty, dialog.area(shortcut::kMainKey)), 0);

    // Pressing Ctrl itself changes nothing.
    QTest::keyClick(&dialog, Qt::Key_Control);
    EXPECT_EQ(input.mainKey, kNoMainKey);
    EXPECT_FALSE(input.ctrl);

    const Area ctrl = dialog.area(shortcut::kModifierFirst);
    QTest::mouseMove(&dialog, centre(ctrl));
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, centre(ctrl));
    EXPECT_TRUE(input.ctrl);
    QTest::keyClick(&dialog, Qt::Key_A);
    EXPECT_EQ(input.mainKey, 65);
    EXPECT_EQ(input.mainName, "A");
    QTest::mouseMove(&dialog, QPoint(2, 2) + centre(dialog.area(shortcut::kMainKey)));
    const QImage entered = dialog.compose();
    EXPECT_GT(accentPixels(entered, dialog.area(shortcut::kModifiers)), 0);
    EXPECT_GT(accentPixels(entered, dialog.area(shortcut::kMainKey)), 0);
    // The toggle shows its down picture while on, the others their over picture.
    EXPECT_NE(
        entered.pixel(ctrl.x + ctrl.width / 2, ctrl.y + 2),
        entered.pixel(dialog.area(shortcut::kModifierFirst + 1).x + ctrl.width / 2, ctrl.y + 2));

    pressKeysThatMustNotClose(dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(input.mainName, "F4"); // Esc, Enter and F10 are keys like the others here

    QTest::keyClick(&dialog, Qt::Key_A);
    QTest::mouseMove(&dialog, centre(dialog.area(shortcut::kOk)));
    owner.received.clear();
    dialog.connect(&dialog, &QDialog::finished, [&] { order.push_back("ended"); });
    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(dialog.area(shortcut::kOk)));
    ASSERT_EQ(owner.received.size(), 1U);
    const RecordingOwner::Received& got = owner.received[0];
    EXPECT_EQ(got.message, msg::kCombination);
    EXPECT_EQ(got.wParam, 5 * 256 + 65);
    EXPECT_EQ(got.text, "Ctrl&split&A");
    EXPECT_TRUE(got.dialogOpen); // sent: handled before the dialog goes on
    EXPECT_EQ(order, (std::vector<std::string>{"code 33", "ended"}));
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_FALSE(input.ctrl); // the toggles are cleared, the main key stays
    EXPECT_EQ(input.mainKey, 65);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

    // What the owner stores from it is the Ctrl + A text.
    EXPECT_EQ(
        ProfileStore::combinationText(static_cast<std::uint8_t>(got.wParam & 0xFF), got.text),
        "Ctrl&split&162&split&Shift&split&&split&Alt&split&&split&Win&split&&split&A&split&65");
}

TEST(CombinationDialog, ReopeningShowsTheStoredCombinationAndClearThenOkChangesNothing) {
    DialogRig rig;
    RecordingOwner owner;
    CombinationInput input;
    bool assigned = false;
    CombinationRequest r = request(
        2, kCombinationAssignCode,
        "Ctrl&split&&split&Shift&split&160&split&Alt&split&164&split&Win&split&&split&F5&split&"
        "116");
    r.assignCombinationCode = [&] { assigned = true; };
    CShortcutGetKey dialog(rig.context, r, input, &owner);
    dialog.show();
    EXPECT_TRUE(input.shift && input.alt);
    EXPECT_FALSE(input.ctrl || input.win);
    EXPECT_EQ(input.mainKey, 116);
    EXPECT_EQ(input.mainName, "F5");
    const QImage shown = dialog.compose();
    EXPECT_GT(accentPixels(shown, dialog.area(shortcut::kModifiers)), 0);
    EXPECT_GT(accentPixels(shown, dialog.area(shortcut::kMainKey)), 0);

    QTest::mouseClick(&dialog, Qt::LeftButton, {}, centre(dialog.area(shortcut::kClear)));
    EXPECT_FALSE(input.anyModifier());
    EXPECT_EQ(input.mainKey, kNoMainKey);
    EXPECT_EQ(input.mainName, "");
    EXPECT_TRUE(dialog.isVisible());
    QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(dialog.area(shortcut::kOk)));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(owner.received.empty());
    EXPECT_FALSE(assigned);

    // Another code than 33 opens empty, whatever text is stored.
    CShortcutGetKey other(rig.context, request(2, 12, r.storedText), input, &owner);
    EXPECT_FALSE(input.anyModifier());
    EXPECT_EQ(input.mainKey, kNoMainKey);
}

TEST(CombinationDialog, CloseAndCancelEndWithEightAndSendNothing) {
    DialogRig rig;
    RecordingOwner owner;
    for (const int element : {shortcut::kClose, shortcut::kCancel}) {
        CombinationInput input;
        CShortcutGetKey dialog(rig.context, request(0), input, &owner);
        dialog.show();
        QTest::mouseClick(&dialog, Qt::LeftButton, {},
                          centre(dialog.area(shortcut::kModifierFirst + 3)));
        QTest::keyClick(&dialog, Qt::Key_Q);
        EXPECT_TRUE(input.win);
        QTest::mousePress(&dialog, Qt::LeftButton, {}, centre(dialog.area(element)));
        EXPECT_FALSE(dialog.isVisible()) << element;
        EXPECT_EQ(dialog.result(), 8) << element;
        EXPECT_FALSE(input.win) << element;
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << element;
    }
    QApplication::processEvents();
    EXPECT_TRUE(owner.received.empty());
}

TEST(CombinationDialog, DraggingEmptySpaceMovesTheWindow) {
    DialogRig rig;
    CombinationInput input;
    CShortcutGetKey dialog(rig.context, request(0), input);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();
    const QPoint grip(240, 258); // between the toggles and the buttons
    QTest::mouseMove(&dialog, grip);
    EXPECT_EQ(dialog.hot(), 255);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip),
                     dialog.mapToGlobal(QPointF(grip + QPoint(30, 20))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, grip + QPoint(30, 20));
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));
    EXPECT_TRUE(dialog.isVisible());
}

// Writes both dialogs as pictures into the folder named by ZEL_KEYDIALOG_PICTURES, for
// looking at them; without it there is nothing to do.
TEST(KeyDialogs, PicturesForLooking) {
    const QString folder = qEnvironmentVariable("ZEL_KEYDIALOG_PICTURES");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "ZEL_KEYDIALOG_PICTURES names no folder";
    }
    QDir().mkpath(folder);
    for (const auto& [language, dir] : std::vector<std::pair<int, std::string>>{
             {1, "/1_INI_EN"}, {4, "/4_INI_DE"}, {0, "/0_INI_CN"}}) {
        DialogRig rig(language, dir);
        const QString suffix = QString::fromStdString(dir.substr(1, 1));
        CapturedKey captured{4, "A"};
        CDialogGetKey keyDialog(rig.context, captured, QPoint(0, 0));
        keyDialog.show();
        QTest::mouseMove(&keyDialog, centre(keyDialog.area(keyset::kOk)));
        EXPECT_TRUE(keyDialog.grab().save(folder + "/keyset_" + suffix + ".png"));

        CombinationInput input;
        CShortcutGetKey empty(rig.context, request(0), input);
        empty.show();
        EXPECT_TRUE(empty.grab().save(folder + "/combination_empty_" + suffix + ".png"));
        CShortcutGetKey entered(rig.context,
                                request(0, kCombinationAssignCode,
                                        "Ctrl&split&162&split&Shift&split&160&split&Alt&split&&"
                                        "split&Win&split&&split&A&split&65"),
                                input);
        entered.show();
        QTest::mouseMove(&entered, centre(entered.area(shortcut::kClear)));
        EXPECT_TRUE(entered.grab().save(folder + "/combination_entered_" + suffix + ".png"));
    }
}
