// A user records a macro from the keyboard on the macro page, through the real window: the
// record element starts and stops it, the window refuses everything else meanwhile, and a
// recorded, edited macro given to a button reaches the simulated mouse.
#include "AppFixture.h"
#include "QtTestWait.h"

#include "presentation/LayoutElements.h"
#include "programming/ConfigImage.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimulatedMouse.h"
#include "ui/CListBoxXI.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace zel;
using test::AppTest;

namespace {

namespace m = layout::skin_main;
namespace mac = layout::skin_mac;

constexpr std::uint8_t kUsageA = 4;
constexpr std::uint8_t kUsageB = 5;

QPoint centreOf(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

QPoint rowPoint(CListBoxXI* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

QWidget* shown(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void hover(QWidget* w, QPoint p) {
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

class MacroRecordingTest : public AppTest {
protected:
    MacroRecordingTest() {
        recordingClock = [this] { return now.load(); };
    }

    /// Starts the program on the macro page with the first macro of the first group selected.
    std::unique_ptr<App> startOnFirstMacro() {
        auto app = makeApp();
        if (!app->start()) {
            ADD_FAILURE() << "the program did not start";
            return app;
        }
        click(app->mainWindow(), centreOf(app->skin().main.area(m::kTabFirst + 2)));
        CListBoxXI* l = macros(*app);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(l, 1));
        return app;
    }

    static CListBoxXI* list(App& app, const char* id) {
        return app.mainWindow()->findChild<CListBoxXI*>(QLatin1String(id));
    }
    static CListBoxXI* macros(App& app) { return list(app, "10001"); }
    static CListBoxXI* steps(App& app) { return list(app, "10002"); }

    static void pressRecord(App& app) {
        click(app.mainWindow(), centreOf(app.skin().macro.area(mac::kRecord)));
    }

    /// A key event at the widget that has the focus as the user sees it: the macro list,
    /// which would start editing its row on a typed letter.
    void key(App& app, QEvent::Type type, int qtKey, int at, bool repeat = false) {
        now = at;
        const QString text =
            qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z ? QString(QChar(qtKey)).toLower() : QString();
        QKeyEvent event(type, qtKey, Qt::NoModifier, text, repeat);
        QApplication::sendEvent(macros(app), &event);
    }

    std::string tip(App& app, Tip t) { return app.core().pack().tipText(t); }

    std::atomic<int> now{0};
};

} // namespace

TEST_F(MacroRecordingTest, KeysBecomeStepsAsTheyComeAndTheRecordElementSavesThem) {
    auto app = startOnFirstMacro();
    CZEL_GMouseDlg* w = app->mainWindow();
    MacroPageControls* page = app->macroPageControls();
    ASSERT_NE(page, nullptr);
    const MacroRecord& record = app->core().group().groupMacros.records[0];
    const std::string name = record.nameUtf8();
    ASSERT_GT(record.stepCount, 0);
    const QImage idle = w->compose();

    pressRecord(*app);
    ASSERT_TRUE(page->recording());
    EXPECT_EQ(steps(*app)->count(), 0);
    auto* repeat = w->findChild<QLineEdit*>(QStringLiteral("10004"));
    ASSERT_NE(repeat, nullptr);
    EXPECT_EQ(repeat->text(), QStringLiteral("1"));
    EXPECT_FALSE(repeat->isEnabled());
    // The record element shows that it records ("Stop" in red on its pressed look).
    const Area& element = app->skin().macro.area(mac::kRecord);
    const QRect r(element.x, element.y, element.width, element.height);
    EXPECT_NE(w->compose().copy(r), idle.copy(r));

    key(*app, QEvent::KeyPress, Qt::Key_A, 1000);
    // One press, however often the keyboard repeats it.
    key(*app, QEvent::KeyPress, Qt::Key_A, 1030, true);
    key(*app, QEvent::KeyPress, Qt::Key_A, 1060, true);
    ASSERT_EQ(steps(*app)->count(), 1);
    key(*app, QEvent::KeyRelease, Qt::Key_A, 1150);
    // Esc and Enter are the window's: their presses are not recorded, and so neither are
    // their releases.
    key(*app, QEvent::KeyPress, Qt::Key_Escape, 1200);
    key(*app, QEvent::KeyRelease, Qt::Key_Escape, 1210);
    key(*app, QEvent::KeyPress, Qt::Key_Return, 1220);
    key(*app, QEvent::KeyRelease, Qt::Key_Return, 1230);
    key(*app, QEvent::KeyPress, Qt::Key_B, 1400);
    // The list shows each step as it comes, without the newest step's delay, and follows it.
    CListBoxXI* list = steps(*app);
    ASSERT_EQ(list->count(), 5);
    EXPECT_TRUE(list->rowText(1).startsWith(QStringLiteral("150")));
    EXPECT_TRUE(list->rowText(3).startsWith(QStringLiteral("250")));
    EXPECT_EQ(list->currentRow(), 4);
    // No key reached the list: it did not start editing its row.
    EXPECT_EQ(macros(*app)->editor(), nullptr);

    pressRecord(*app);
    EXPECT_FALSE(page->recording());
    ASSERT_EQ(record.stepCount, 3);
    EXPECT_EQ(record.step(0), (MacroStep{kUsageA, kActionPress, 0, 0, 150}));
    EXPECT_EQ(record.step(1), (MacroStep{kUsageA, kActionRelease, 0, 0, 250}));
    EXPECT_EQ(record.step(2), (MacroStep{kUsageB, kActionPress, 0, 0, 20}));
    EXPECT_EQ(record.nameUtf8(), name);
    EXPECT_EQ(list->count(), 6);
    // Keys after the recording are the page's again.
    key(*app, QEvent::KeyPress, Qt::Key_C, 1500);
    EXPECT_EQ(record.stepCount, 3);
    MacroGroupState reread;
    app->core().macroFiles().ReadGroupFile(*app->core().library().groupFilePath(0), reread);
    EXPECT_EQ(reread.groupMacros.records[0].stepCount, 3);
    EXPECT_EQ(reread.groupMacros.records[0].step(1), record.step(1));
    EXPECT_EQ(reread.groupMacros.records[0].nameUtf8(), name);
    app->shutDown();
}

TEST_F(MacroRecordingTest, WhileRecordingOnlyTheRecordElementAndEmptySpaceRespond) {
    auto app = startOnFirstMacro();
    CZEL_GMouseDlg* w = app->mainWindow();
    const SkinLayout& main = app->skin().main;
    const SkinLayout& macro = app->skin().macro;
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const int downloadsBefore = downloads.load();
    pressRecord(*app);
    ASSERT_TRUE(app->macroPageControls()->recording());

    // Other pages, the editor's Insert, a run mode, the profiles and Apply are refused.
    const int profile = app->state().currentProfile.load();
    for (const QPoint p : {centreOf(main.area(m::kTabFirst)), centreOf(macro.area(mac::kInsert)),
                           centreOf(macro.area(mac::kRepeatModeFirst)),
                           centreOf(main.area(m::kProfileFirst + (profile + 1) % 4)),
                           centreOf(main.area(m::kApply))}) {
        warnings.clear();
        click(w, p);
        // The press is refused, and so is its release.
        ASSERT_FALSE(warnings.empty()) << p.x() << "," << p.y();
        for (const std::string& warning : warnings) {
            EXPECT_EQ(warning, tip(*app, Tip::RecordingBusy));
        }
    }
    EXPECT_EQ(w->pointer().page, PageId::MacroPage);
    EXPECT_EQ(shown("MainMenuDlg"), nullptr);
    EXPECT_EQ(app->state().currentProfile.load(), profile);
    EXPECT_TRUE(app->macroPageControls()->recording());
    QTest::qWait(50);
    EXPECT_EQ(downloads.load(), downloadsBefore);

    // The record element still answers, and afterwards the tabs do again.
    warnings.clear();
    pressRecord(*app);
    EXPECT_FALSE(app->macroPageControls()->recording());
    click(w, centreOf(main.area(m::kTabFirst)));
    EXPECT_EQ(w->pointer().page, PageId::MainPage);
    EXPECT_TRUE(warnings.empty());
    app->shutDown();
}

TEST_F(MacroRecordingTest, SelectingAnotherRowDropsTheRecordingAndKeepsTheMacroAsItWas) {
    auto app = startOnFirstMacro();
    const MacroRecord before = app->core().group().groupMacros.records[0];
    const std::string groupFile = *app->core().library().groupFilePath(0);
    const std::string fileBefore = readFile(groupFile);

    pressRecord(*app);
    key(*app, QEvent::KeyPress, Qt::Key_A, 1000);
    key(*app, QEvent::KeyRelease, Qt::Key_A, 1100);
    ASSERT_EQ(steps(*app)->count(), 3);

    CListBoxXI* l = macros(*app);
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(l, 2));
    EXPECT_FALSE(app->macroPageControls()->recording());
    EXPECT_EQ(app->core().group().groupMacros.records[0], before);
    MacroGroupState reread;
    app->core().macroFiles().ReadGroupFile(groupFile, reread);
    EXPECT_EQ(reread.groupMacros.records[0].stepCount, before.stepCount);
    EXPECT_EQ(reread.groupMacros.records[0].code, before.code);
    EXPECT_EQ(reread.groupMacros.records[0].delay, before.delay);
    // Leaving the row wrote it back as it was.
    EXPECT_EQ(readFile(groupFile), fileBefore);
    // A right press on the list (its menus change the group) ends a recording the same way.
    pressRecord(*app);
    ASSERT_TRUE(app->macroPageControls()->recording());
    key(*app, QEvent::KeyPress, Qt::Key_A, 1300);
    QTest::mouseClick(l->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(l, 2));
    EXPECT_FALSE(app->macroPageControls()->recording());
    app->mainWindow()->closePopup();
    // The keyboard is the program's again: a typed letter edits the selected row.
    key(*app, QEvent::KeyPress, Qt::Key_Z, 1200);
    EXPECT_NE(l->editor(), nullptr);
    app->shutDown();
}

TEST_F(MacroRecordingTest, The111thKeyEventStopsAndSavesAndGivesTheKeyboardBack) {
    auto app = startOnFirstMacro();
    const MacroRecord& record = app->core().group().groupMacros.records[0];
    pressRecord(*app);
    int t = 1000;
    for (int i = 0; i < MacroRecorder::kMaxRecordedSteps / 2; ++i) {
        key(*app, QEvent::KeyPress, Qt::Key_A, t += 10);
        key(*app, QEvent::KeyRelease, Qt::Key_A, t += 10);
    }
    ASSERT_TRUE(app->macroPageControls()->recording());
    // The next event stops the recording from within the keyboard's own handling.
    key(*app, QEvent::KeyPress, Qt::Key_B, t += 10);
    EXPECT_FALSE(app->macroPageControls()->recording());
    EXPECT_EQ(record.stepCount, MacroRecorder::kMaxRecordedSteps);
    EXPECT_EQ(steps(*app)->count(), 2 * MacroRecorder::kMaxRecordedSteps);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MacroGroupState reread;
    app->core().macroFiles().ReadGroupFile(*app->core().library().groupFilePath(0), reread);
    EXPECT_EQ(reread.groupMacros.records[0].stepCount, MacroRecorder::kMaxRecordedSteps);
    EXPECT_EQ(reread.groupMacros.records[0].delay[0], 10);
    key(*app, QEvent::KeyPress, Qt::Key_Z, t += 10);
    EXPECT_NE(macros(*app)->editor(), nullptr);
    app->shutDown();
}

TEST_F(MacroRecordingTest, ARecordedAndEditedMacroOnAButtonReachesTheMouseWithApply) {
    auto app = startOnFirstMacro();
    CZEL_GMouseDlg* w = app->mainWindow();
    const MacroRecord& record = app->core().group().groupMacros.records[0];

    // A down, B down, B up, A up.
    pressRecord(*app);
    key(*app, QEvent::KeyPress, Qt::Key_A, 1000);
    key(*app, QEvent::KeyPress, Qt::Key_B, 1100);
    key(*app, QEvent::KeyRelease, Qt::Key_B, 1250);
    key(*app, QEvent::KeyRelease, Qt::Key_A, 1400);
    pressRecord(*app);
    ASSERT_EQ(record.stepCount, 4);

    // A repeat count typed into its box writes the macro to its group file.
    auto* repeat = w->findChild<QLineEdit*>(QStringLiteral("10004"));
    ASSERT_NE(repeat, nullptr);
    ASSERT_TRUE(repeat->isEnabled());
    repeat->selectAll();
    QTest::keyClicks(repeat, QStringLiteral("3"));
    ASSERT_EQ(record.repeatCount, 3);
    // The delay after B's release typed on the page: only the list has it so far. Apply
    // writes it to the group file before the download reads the macros.
    CListBoxXI* list = steps(*app);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(list, 5));
    QTest::keyClick(list, Qt::Key_Insert);
    ASSERT_NE(list->editor(), nullptr);
    list->editor()->setText(QStringLiteral("300"));
    QTest::keyClick(list->editor(), Qt::Key_Return);
    ZEL_WAIT_UNTIL(record.delay[2] == 300);
    {
        ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
        const int before = downloads.load();
        click(w, centreOf(app->skin().main.area(m::kApply)));
        ZEL_WAIT_UNTIL(downloads.load() == before + 1);
        ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
        MacroGroupState onDisk;
        const auto path = app->core().library().groupFilePath(0);
        ASSERT_TRUE(path.has_value());
        app->core().macroFiles().ReadGroupFile(*path, onDisk);
        EXPECT_EQ(onDisk.groupMacros.records[0].delay[2], 300);
    }

    // The first group's first macro on button slot 4, through the assignment popups.
    click(w, centreOf(app->skin().main.area(m::kTabFirst)));
    ASSERT_EQ(w->pointer().page, PageId::MainPage);
    click(w, centreOf(app->skin().main.area(m::kButtonLabelFirst + 4)));
    QWidget* menu = shown("MainMenuDlg");
    ASSERT_NE(menu, nullptr);
    const int rh = menu->height() / 11;
    hover(menu, QPoint(menu->width() / 2, 8 * rh + rh / 2));
    QWidget* sub = nullptr;
    ZEL_WAIT_UNTIL((sub = shown("SubMenuDlg")) != nullptr);
    const int groups = app->core().library().groupCount();
    hover(sub, QPoint(sub->width() / 2, (sub->height() / groups) / 2));
    const auto macroPopup = [&]() -> QWidget* {
        for (QWidget* t : QApplication::topLevelWidgets()) {
            if (t->isVisible() && t != menu && t != sub && t != w && t->height() > 0) {
                return t;
            }
        }
        return nullptr;
    };
    QWidget* macroMenu = nullptr;
    ZEL_WAIT_UNTIL((macroMenu = macroPopup()) != nullptr);
    const int macroRows = app->core().library().macroCount(0);
    release(macroMenu, QPoint(macroMenu->width() / 2, (macroMenu->height() - 1) / macroRows / 2));
    ASSERT_EQ(app->profiles().profiles[0].buttonCode[4], 256);

    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const int before = downloads.load();
    click(w, centreOf(app->skin().main.area(m::kApply)));
    ZEL_WAIT_UNTIL(downloads.load() == before + 1);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    // Physical numbers are slots + 1 in the shipped key map.
    EXPECT_EQ(decoded.buttons[0][5].function, kFnMacro);
    ASSERT_TRUE(decoded.directory[0][5].used);
    const auto played = decoded.macros.find(decoded.directory[0][5].address);
    ASSERT_NE(played, decoded.macros.end());
    const std::vector<sim::DecodedStep>& got = played->second.steps;
    EXPECT_EQ(played->second.repeat, 3);
    ASSERT_EQ(got.size(), 4u);
    const std::array<std::pair<sim::DecodedStepKind, std::uint8_t>, 4> expected{
        std::pair{sim::DecodedStepKind::Press, kUsageA},
        std::pair{sim::DecodedStepKind::Press, kUsageB},
        std::pair{sim::DecodedStepKind::Release, kUsageB},
        std::pair{sim::DecodedStepKind::Release, kUsageA}};
    const std::array<int, 4> delays{100, 150, 300, 20};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(got[i].kind, expected[i].first) << i;
        EXPECT_EQ(got[i].code, expected[i].second) << i;
        EXPECT_EQ(got[i].delay, delays[i]) << i;
    }
    app->shutDown();
}

TEST_F(MacroRecordingTest, PicturesOfThePageWhileRecordingForLookingAt) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "set ZEL_RENDER_DIR to a folder to get the pictures";
    }
    for (const int language : {0, 1}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        auto app = startOnFirstMacro();
        pressRecord(*app);
        key(*app, QEvent::KeyPress, Qt::Key_A, 1000);
        key(*app, QEvent::KeyPress, Qt::Key_B, 1120);
        key(*app, QEvent::KeyRelease, Qt::Key_A, 1300);
        EXPECT_TRUE(app->mainWindow()->grab().toImage().save(
            folder + QStringLiteral("/lang%1_macro_recording.png").arg(language)));
        app->shutDown();
    }
}
