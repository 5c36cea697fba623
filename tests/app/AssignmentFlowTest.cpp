// A user gives buttons their functions through the popups of the buttons page, with real
// pointer events on the real windows, and Apply sends them to the simulated mouse.
#include "AppFixture.h"
#include "QtTestWait.h"

#include "presentation/LayoutElements.h"
#include "programming/ConfigImage.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimulatedMouse.h"
#include "ui/keys/CShortcutGetKey.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>

using namespace zel;
using test::AppTest;

namespace {

namespace m = layout::skin_main;

/// The shown top-level window named `name` (a popup's title), or null.
QWidget* shown(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

/// Top-level windows named `name` that still exist once the deferred deletions ran.
int alive(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        count += w->objectName() == QLatin1String(name) ? 1 : 0;
    }
    return count;
}

/// The centre of row `row` (from 1) of a popup with `rows` rows.
QPoint rowCentre(const QWidget* popup, int row, int rowHeight) {
    return QPoint(popup->width() / 2, (row - 1) * rowHeight + rowHeight / 2);
}

void hover(QWidget* w, QPoint p) {
    // From off the windows: a move to where the pointer already is would be no move.
    QCursor::setPos(QPoint(-50, -50));
    QCoreApplication::processEvents();
    QTest::mouseMove(w->windowHandle(), p);
    QCoreApplication::processEvents();
}

void release(QWidget* w, QPoint p) {
    QTest::mouseMove(w, p);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, p);
}

QPoint centreOf(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

class AssignmentFlowTest : public AppTest {
protected:
    /// Opens the assignment popup of button `slot` by a click on its label.
    QWidget* openMenu(App& app, int slot) {
        click(app.mainWindow(), centreOf(app.skin().main.area(m::kButtonLabelFirst + slot)));
        QWidget* menu = shown("MainMenuDlg");
        if (menu != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        }
        return menu;
    }
    static int rowHeightOf(const QWidget* popup, int rows) { return popup->height() / rows; }
};

} // namespace

TEST_F(AssignmentFlowTest, EveryKindOfFunctionIsStoredLabelledAndSentToTheMouse) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    CZEL_GMouseDlg* w = app->mainWindow();
    ProfileSettings& p0 = app->profiles().profiles[0];
    const SkinLayout& main = app->skin().main;

    // Rows 1..6 of the first level store codes 1..6; the label changes at once.
    for (int row = 1; row <= 6; ++row) {
        const QImage before = w->compose().copy(QRect(
            main.area(m::kButtonLabelFirst + 2).x, main.area(m::kButtonLabelFirst + 2).y,
            main.area(m::kButtonLabelFirst + 2).width, main.area(m::kButtonLabelFirst + 2).height));
        QWidget* menu = openMenu(*app, 2);
        ASSERT_NE(menu, nullptr) << row;
        const int rh = rowHeightOf(menu, 11);
        release(menu, rowCentre(menu, row, rh));
        EXPECT_EQ(p0.buttonCode[2], row);
        EXPECT_EQ(alive("MainMenuDlg"), 0);
        const QImage after = w->compose().copy(QRect(
            main.area(m::kButtonLabelFirst + 2).x, main.area(m::kButtonLabelFirst + 2).y,
            main.area(m::kButtonLabelFirst + 2).width, main.area(m::kButtonLabelFirst + 2).height));
        if (row != 3) { // button 2 is the middle click already
            EXPECT_NE(before, after) << row;
        }
    }

    // Row 8 (multimedia): its sub-popup's third row stores 25.
    QWidget* menu = openMenu(*app, 3);
    ASSERT_NE(menu, nullptr);
    int rh = rowHeightOf(menu, 11);
    hover(menu, rowCentre(menu, 8, rh));
    QWidget* sub = nullptr;
    // The sub-popup opens when the popup repaints its hot row.
    ZEL_WAIT_UNTIL((sub = shown("SubMenuDlg")) != nullptr);
    EXPECT_EQ(sub->geometry().left(), menu->geometry().right() + 1);
    release(sub, QPoint(sub->width() / 2, 2 * (sub->height() / 10) + 5));
    EXPECT_EQ(p0.buttonCode[3], 25);
    w->update();
    QTest::qWait(20);
    EXPECT_EQ(alive("SubMenuDlg"), 0);
    EXPECT_EQ(alive("MainMenuDlg"), 0);

    // Row 9 (macro): group 1, its first macro: 256.
    ASSERT_GE(app->core().library().groupCount(), 1);
    ASSERT_GE(app->core().library().macroCount(0), 1);
    menu = openMenu(*app, 4);
    ASSERT_NE(menu, nullptr);
    hover(menu, rowCentre(menu, 9, rh));
    sub = nullptr;
    ZEL_WAIT_UNTIL((sub = shown("SubMenuDlg")) != nullptr);
    const int groups = app->core().library().groupCount();
    hover(sub, QPoint(sub->width() / 2, (sub->height() / groups) / 2));
    // The macro popup opens beside the group row when the group list repaints.
    const auto macroPopup = [&]() -> QWidget* {
        for (QWidget* t : QApplication::topLevelWidgets()) {
            if (t->isVisible() && t != menu && t != sub && t != w && t->height() > 0) {
                return t;
            }
        }
        return nullptr;
    };
    QWidget* macros = nullptr;
    ZEL_WAIT_UNTIL((macros = macroPopup()) != nullptr);
    const int macroRows = app->core().library().macroCount(0);
    release(macros, QPoint(macros->width() / 2, (macros->height() - 1) / macroRows / 2));
    EXPECT_EQ(p0.buttonCode[4], 256);
    w->update();
    QTest::qWait(20);
    EXPECT_EQ(alive("SubMenuDlg"), 0);
    EXPECT_EQ(alive("MainMenuDlg"), 0);
    EXPECT_FALSE(w->pointer().popupOpen);

    // Apply: the mouse gets the functions.
    click(w, centreOf(main.area(m::kApply)));
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    // Physical numbers are slots + 1 in the shipped key map.
    EXPECT_EQ(decoded.buttons[0][3].function, 6);
    EXPECT_EQ(decoded.buttons[0][5].function, kFnMacro);
    EXPECT_TRUE(decoded.directory[0][5].used);
    app->shutDown();
}

TEST_F(AssignmentFlowTest, ThePopupOpensAboveItsButtonNearTheBottomOfTheScreen) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    const Area& label = app->skin().main.area(m::kButtonLabelFirst + 3);
    const QRect work = w->screen()->availableGeometry();
    // The label's bottom 40 pixels above the end of the work area.
    w->move(w->x(), work.bottom() - 40 - (label.y + label.height));
    QWidget* menu = openMenu(*app, 3);
    ASSERT_NE(menu, nullptr);
    const QPoint labelTop = w->mapToGlobal(QPoint(label.x, label.y));
    EXPECT_EQ(menu->geometry().bottom() + 1, labelTop.y());
    EXPECT_EQ(menu->x(), labelTop.x() + 1);
    EXPECT_EQ(menu->width(), label.width + 1);

    // At the top it opens below.
    click(w, QPoint(2, 2)); // a press anywhere in the window closes the popup
    EXPECT_EQ(alive("MainMenuDlg"), 0);
    w->move(work.left(), work.top());
    menu = openMenu(*app, 3);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->y(), w->mapToGlobal(QPoint(label.x, label.y + label.height)).y());
    app->shutDown();
}

TEST_F(AssignmentFlowTest, ALanguageChosenInThePopupRedrawsEveryPageInThatLanguage) {
    // What every page looks like in each language, from programs started in it.
    std::array<std::array<QImage, kPageCount>, 2> expected;
    for (int language : {0, 1}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        auto reference = makeApp();
        ASSERT_TRUE(reference->start());
        // The start-up download's word on the Apply element comes and goes with time.
        ZEL_WAIT_UNTIL(!reference->state().downloadBusy.load());
        reference->state().applyOutcome = kApplyNothing;
        for (int page = 0; page < kPageCount; ++page) {
            reference->mainWindow()->pointer() = PointerState{};
            reference->mainWindow()->pointer().page = static_cast<PageId>(page);
            expected[static_cast<std::size_t>(language)][static_cast<std::size_t>(page)] =
                reference->mainWindow()->compose();
        }
        reference->shutDown();
    }
    ASSERT_NE(expected[0][0], expected[1][0]);

    auto app = makeApp(); // started in English (the last language written)
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    for (int language : {0, 1, 0}) {
        // A plain click opens the list; a click on a row chooses.
        click(w, centreOf(app->skin().main.area(m::kLanguage)));
        QWidget* list = shown("MainMenuDlg");
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(w->pointer().popupOpen);
        release(list, rowCentre(list, language + 1, list->height() / 2));
        EXPECT_EQ(app->state().language.load(), language);
        EXPECT_EQ(alive("MainMenuDlg"), 0);
        EXPECT_FALSE(w->pointer().popupOpen);
        ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
        app->state().applyOutcome = kApplyNothing;
        for (int page = 0; page < kPageCount; ++page) {
            w->pointer() = PointerState{};
            w->pointer().page = static_cast<PageId>(page);
            EXPECT_EQ(w->compose(),
                      expected[static_cast<std::size_t>(language)][static_cast<std::size_t>(page)])
                << "language " << language << ", page " << page;
        }
    }
    app->shutDown();
}

TEST_F(AssignmentFlowTest, RowTenOpensTheCombinationDialogAndCtrlPlusAReachesTheMouse) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    CZEL_GMouseDlg* w = app->mainWindow();
    ProfileSettings& p0 = app->profiles().profiles[0];

    // The dialog runs modally once the popup has gone: it is driven from a timer.
    bool popupGoneWhenOpened = false;
    bool driven = false;
    QTimer poll;
    const auto drive = [&] {
        auto* dialog = qobject_cast<CShortcutGetKey*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return; // not open yet
        }
        poll.stop();
        popupGoneWhenOpened = shown("MainMenuDlg") == nullptr;
        const auto press = [&](int element) {
            const QPoint at = centreOf(dialog->area(element));
            QTest::mouseMove(dialog, at);
            QTest::mousePress(dialog, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(dialog, Qt::LeftButton, Qt::NoModifier, at);
        };
        press(6); // Ctrl on
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTest::keyClick(dialog, Qt::Key_A);
        EXPECT_TRUE(dialog->isVisible()) << "Esc does not close it";
        press(2); // OK
        driven = true;
    };
    QWidget* menu = openMenu(*app, 6);
    ASSERT_NE(menu, nullptr);
    QObject::connect(&poll, &QTimer::timeout, drive);
    poll.start(10);
    release(menu, rowCentre(menu, 10, rowHeightOf(menu, 11)));
    ZEL_WAIT_UNTIL(driven);
    EXPECT_TRUE(popupGoneWhenOpened);
    EXPECT_EQ(p0.buttonCode[6], kCodeCombination);
    EXPECT_EQ(p0.comboText[6], "Ctrl&split&162&split&Shift&split&&split&Alt&split&&split&Win&split&"
                               "&split&A&split&65");

    // Apply: the button plays the combination from the mouse's memory, Ctrl then A.
    click(w, centreOf(app->skin().main.area(m::kApply)));
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    // A combination is played while the button is held.
    EXPECT_EQ(decoded.buttons[0][7].function, kFnMacroLoop);
    ASSERT_TRUE(decoded.directory[0][7].used);
    const auto macro = decoded.macros.find(decoded.directory[0][7].address);
    ASSERT_NE(macro, decoded.macros.end());
    ASSERT_GE(macro->second.steps.size(), 2u);
    EXPECT_EQ(macro->second.steps[0].code, 224); // left Ctrl
    EXPECT_EQ(macro->second.steps[1].code, 4);   // A
    app->shutDown();
}
