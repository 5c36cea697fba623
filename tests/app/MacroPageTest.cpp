// A user keeps macro groups and macros on the macro page: its lists show the library of the
// language, and the lists' menus, opened by right presses on rows, create, rename, delete,
// exchange and reset groups and macros on the real files, through the real windows.
#include "AppFixture.h"
#include "QtTestWait.h"

#include "macros/MacroEditor.h"
#include "presentation/LayoutElements.h"
#include "ui/CListBoxXI.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/menus/CSubMenuDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zel;
using test::AppTest;

namespace {

namespace fs = std::filesystem;
namespace m = layout::skin_main;

constexpr int kMenuRowHeight = 20;

// Rows of the list's menu (on the list, and on a macro row).
constexpr int kNewGroup = 1;
constexpr int kNewMacro = 2;
constexpr int kDeleteGroup = 3;
constexpr int kResetGroups = 4;
constexpr int kRename = 5;
constexpr int kImportGroup = 6;
constexpr int kExportGroup = 7;
constexpr int kExportSealed = 8;
constexpr int kRenameMacro = 1;
constexpr int kDeleteMacro = 2;
constexpr int kExportMacro = 3;
constexpr int kImportMacro = 4;

QWidget* shown(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

QPoint centreOf(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

QPoint rowPoint(CListBoxXI* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// A macro name as a group file holds it: each UTF-16 code unit as two bytes of three digits.
std::string storedName(const std::string& ascii) {
    std::string digits;
    for (const char c : ascii) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%03d000", static_cast<int>(c));
        digits += unit;
    }
    return digits;
}

std::vector<std::string> rowTexts(const CListBoxXI* list) {
    std::vector<std::string> texts;
    for (int r = 0; r < list->count(); ++r) {
        texts.push_back(list->rowText(r).toStdString());
    }
    return texts;
}

class MacroPageTest : public AppTest {
protected:
    void SetUp() override { chooser = &files; }

    /// Starts the program and shows the macro page by a click on its tab.
    std::unique_ptr<App> startOnMacroPage() {
        auto app = makeApp();
        if (!app->start()) {
            ADD_FAILURE() << "the program did not start";
            return app;
        }
        click(app->mainWindow(), centreOf(app->skin().main.area(m::kTabFirst + 2)));
        return app;
    }

    static CListBoxXI* list(App& app, const char* id) {
        return app.mainWindow()->findChild<CListBoxXI*>(QLatin1String(id));
    }
    static CListBoxXI* macros(App& app) { return list(app, "10001"); }

    /// Right press on row `row` of the macro list: the menu that opens.
    static QWidget* menuOn(App& app, int row) {
        CListBoxXI* l = macros(app);
        QTest::mouseClick(l->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(l, row));
        return shown("MainMenuDlg");
    }

    /// Chooses row `menuRow` of the menu opened on list row `row` with the pointer.
    static void choose(App& app, int row, int menuRow) {
        QWidget* menu = menuOn(app, row);
        ASSERT_NE(menu, nullptr);
        const QPoint p(menu->width() / 2, (menuRow - 1) * kMenuRowHeight + kMenuRowHeight / 2);
        QTest::mouseMove(menu, p);
        QTest::mousePress(menu, Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(menu, Qt::LeftButton, Qt::NoModifier, p);
        // The menu posts its row to the window.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    /// The group names of the index file, read afresh.
    std::vector<std::string> indexNames(App& app) {
        ini::IniStore fresh;
        const std::string index = app.folders().macroDir + "macroGrp.ini";
        const int count = std::stoi("0" + fresh.read(index, "MACRO_GROUP_NUM", "macGrpNum", 16));
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back(fresh.read(index, "MACRO_GROUP_NAME", std::to_string(i), 60));
        }
        return names;
    }

    std::string tip(App& app, Tip t) { return app.core().pack().tipText(t); }

    /// Pictures of the page, with the lists filled and each menu open, named `prefix` + what.
    void pictures(const QString& prefix);

    test::ScriptedFileChooser files;
};

} // namespace

TEST_F(MacroPageTest, ThePageShowsTheShippedGroupsAndMacrosInItsControls) {
    auto app = startOnMacroPage();
    CZEL_GMouseDlg* w = app->mainWindow();
    const SkinLayout& mac = app->skin().macro;
    CListBoxXI* groups = macros(*app);
    ASSERT_NE(groups, nullptr);
    ASSERT_NE(list(*app, "10002"), nullptr);
    ASSERT_NE(list(*app, "10007"), nullptr);
    auto* repeat = w->findChild<QLineEdit*>(QStringLiteral("10004"));
    ASSERT_NE(repeat, nullptr);
    const CornerRect& r = mac.macroDisplays[0];
    EXPECT_EQ(groups->geometry(), QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
    const CornerRect& e = mac.edits[0];
    EXPECT_EQ(repeat->geometry(), QRect(QPoint(e.left, e.top), QPoint(e.right - 1, e.bottom - 1)));
    // Screen readers name the controls by the captions over them.
    EXPECT_EQ(groups->accessibleName().toStdString(),
              mac.area(layout::skin_mac::kMacrosCaption).label);
    EXPECT_EQ(list(*app, "10007")->accessibleName().toStdString(),
              mac.area(layout::skin_mac::kLightsCaption).label);
    EXPECT_EQ(repeat->accessibleName().toStdString(),
              mac.area(layout::skin_mac::kRepeatCaption).label);

    // The first group is selected and open: its macros follow it, indented, then the other
    // groups closed.
    const std::vector<std::string> names = indexNames(*app);
    ASSERT_EQ(names, (std::vector<std::string>{"Office", "Game"}));
    const std::vector<std::string>& officeMacros = app->core().library().macroNames(0);
    ASSERT_FALSE(officeMacros.empty());
    std::vector<std::string> expected{"Office"};
    expected.insert(expected.end(), officeMacros.begin(), officeMacros.end());
    expected.push_back("Game");
    EXPECT_EQ(rowTexts(groups), expected);
    EXPECT_EQ(groups->currentRow(), 0);
    EXPECT_EQ(groups->rowKind(0), 1);
    EXPECT_EQ(groups->rowKind(1), 2);
    EXPECT_EQ(groups->rowKind(groups->count() - 1), 0);
    EXPECT_EQ(repeat->text(), QStringLiteral("1"));
    EXPECT_FALSE(repeat->isEnabled());

    // A macro row shows its steps, a step row and a delay row each; a press on the open
    // group row (not selected) closes it.
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(groups, 1));
    EXPECT_EQ(groups->currentRow(), 1);
    CListBoxXI* steps = list(*app, "10002");
    const MacroRecord& first = app->core().group().groupMacros.records[0];
    EXPECT_EQ(steps->count(), 2 * first.stepCount);
    ASSERT_GT(steps->count(), 1);
    EXPECT_FALSE(steps->rowText(0).isEmpty());
    EXPECT_TRUE(steps->rowText(1).startsWith(QString::number(first.delay[0])));
    EXPECT_EQ(steps->rowKind(1), 0);
    EXPECT_TRUE(repeat->isEnabled() || (first.runMode & 3) != 0);
    // A right press on a key step or a delay opens the step menu (its two rows).
    for (int row : {0, 1}) {
        QTest::mouseClick(steps->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(steps, row));
        QWidget* stepMenu = shown("MainMenuDlg");
        ASSERT_NE(stepMenu, nullptr) << row;
        EXPECT_EQ(stepMenu->height(), 2 * kMenuRowHeight);
        EXPECT_EQ(steps->currentRow(), row);
    }
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(groups, 0));
    EXPECT_EQ(rowTexts(groups), (std::vector<std::string>{"Office", "Game"}));

    // Another page: the controls go; back again: they come back.
    click(w, centreOf(app->skin().main.area(m::kTabFirst)));
    EXPECT_EQ(macros(*app), nullptr);
    click(w, centreOf(app->skin().main.area(m::kTabFirst + 2)));
    ASSERT_NE(macros(*app), nullptr);
    EXPECT_EQ(macros(*app)->count(), 2);
    app->shutDown();
}

namespace {

namespace mac = layout::skin_mac;

QPoint menuRowCentre(const QWidget* popup, int row, int rowHeight) {
    return QPoint(popup->width() / 2, (row - 1) * rowHeight + rowHeight / 2);
}

void pressRow(QWidget* popup, QPoint p) {
    QTest::mouseMove(popup->windowHandle(), p);
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(popup, Qt::LeftButton, Qt::NoModifier, p);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

/// Presses Insert on the page and chooses row `row` of its menu, or row `subRow` of the
/// insert list beside row `row` when `subRow` is given.
void insertThroughMenu(App& app, int row, int subRow = 0) {
    QTest::mouseClick(app.mainWindow(), Qt::LeftButton, Qt::NoModifier,
                      centreOf(app.skin().macro.area(mac::kInsert)));
    auto* menu = dynamic_cast<CMenuDlg*>(shown("MainMenuDlg"));
    ASSERT_NE(menu, nullptr);
    const QPoint p = menuRowCentre(menu, row, menu->rowHeight());
    if (subRow == 0) {
        pressRow(menu, p);
        return;
    }
    QCursor::setPos(QPoint(-50, -50));
    QTest::mouseMove(menu->windowHandle(), p);
    ZEL_WAIT_UNTIL(menu->subPopup() != nullptr);
    CSubMenuDlg* sub = menu->subPopup();
    ASSERT_NE(sub, nullptr);
    static_cast<void>(QTest::qWaitForWindowExposed(sub));
    pressRow(sub, menuRowCentre(sub, subRow, sub->rowHeight()));
}

} // namespace

TEST_F(MacroPageTest, TheInsertMenuAddsStepsAndTheGroupFileKeepsWhatTheListShows) {
    auto app = startOnMacroPage();
    CZEL_GMouseDlg* w = app->mainWindow();
    // With the group row selected Insert asks for a macro row.
    click(w, centreOf(app->skin().macro.area(mac::kInsert)));
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.back(), tip(*app, Tip::SelectRowFirst));
    EXPECT_EQ(shown("MainMenuDlg"), nullptr);

    CListBoxXI* groups = macros(*app);
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(groups, 1));
    CListBoxXI* steps = list(*app, "10002");
    const MacroRecord& record = app->core().group().groupMacros.records[0];
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(steps, 0));
    const int before = record.stepCount;

    // A move after the first step, a CPI step after it, a left press before it, a pause.
    insertThroughMenu(*app, 3, 4);
    EXPECT_EQ(steps->rowText(2), QStringLiteral("[X+]:10,[Y+]:10"));
    EXPECT_EQ(steps->currentRow(), 2);
    insertThroughMenu(*app, 4, 1);
    EXPECT_EQ(steps->rowText(4), QStringLiteral("[DPI]:800 "));
    insertThroughMenu(*app, 1, 1);
    EXPECT_EQ(record.code[2], kCodeLeftButton);
    EXPECT_EQ(record.action[2], kActionPress);
    insertThroughMenu(*app, 6);
    EXPECT_EQ(record.code[3], kCodePause);
    EXPECT_EQ(record.stepCount, before + 4);
    EXPECT_EQ(steps->count(), 2 * record.stepCount);

    // Lighting steps up to the limit, and one more is refused with its warning.
    const std::size_t warned = warnings.size();
    while (record.ledSlotCount < kMaxLedSteps) {
        const int count = record.stepCount;
        insertThroughMenu(*app, 5);
        ASSERT_EQ(record.stepCount, count + 1);
    }
    EXPECT_EQ(warnings.size(), warned);
    const int full = record.stepCount;
    insertThroughMenu(*app, 5);
    EXPECT_EQ(record.stepCount, full);
    ASSERT_EQ(warnings.size(), warned + 1);
    EXPECT_EQ(warnings.back(), tip(*app, Tip::LimitReached));

    // Delete the selected (the last inserted) step.
    insertThroughMenu(*app, 7);
    EXPECT_EQ(record.stepCount, full - 1);
    EXPECT_EQ(steps->count(), 2 * record.stepCount);

    // The repeat mode saves the macro: the group file read back shows the same rows.
    click(w, centreOf(app->skin().macro.area(mac::kRepeatModeFirst + 2)));
    auto* repeat = w->findChild<QLineEdit*>(QStringLiteral("10004"));
    ASSERT_NE(repeat, nullptr);
    EXPECT_TRUE(repeat->isEnabled());
    const std::optional<std::string> path = app->core().library().groupFilePath(0);
    ASSERT_TRUE(path.has_value());
    MacroGroupState reread;
    app->core().macroFiles().ReadGroupFile(*path, reread);
    const MacroRecord& stored = reread.groupMacros.records[0];
    EXPECT_EQ(stored.stepCount, record.stepCount);
    EXPECT_EQ(stored.ledSlots, record.ledSlots);
    class Quiet final : public MacroEditorOutput {
    public:
        void warn(Tip, std::string_view) override {}
        void plainMessage(const std::string&) override {}
        void saveMacro(int) override {}
    } quiet;
    const LanguagePack& pack = app->core().pack();
    const int language = app->state().language.load();
    MacroEditor storedRows(
        reread,
        MacroEditorTexts{[&pack](int e) { return pack.text(TextTable::Other, e); },
                         [&pack](int e) { return pack.text(TextTable::Led, e); },
                         [&app, language](std::uint8_t code) {
                             return app->core().keys().deviceCodeName(language, code);
                         }},
        quiet);
    storedRows.setMacro(0);
    std::vector<std::string> expected;
    for (const EditorRow& row : storedRows.stepRows()) {
        expected.push_back(row.text);
    }
    EXPECT_EQ(rowTexts(steps), expected);
    app->shutDown();
}

TEST_F(MacroPageTest, TypedDelaysAndLightingTimesAreLimitedAndTheTimeIsSaved) {
    auto app = startOnMacroPage();
    CListBoxXI* groups = macros(*app);
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(groups, 1));
    CListBoxXI* steps = list(*app, "10002");
    CListBoxXI* lights = list(*app, "10007");
    const MacroRecord& record = app->core().group().groupMacros.records[0];
    ASSERT_GT(steps->count(), 1);

    // A delay typed above the limit is stored at the limit, with the warning.
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(steps, 1));
    QTest::keyClick(steps, Qt::Key_Insert);
    ASSERT_NE(steps->editor(), nullptr);
    steps->editor()->setText(QStringLiteral("20000"));
    QTest::keyClick(steps->editor(), Qt::Key_Return);
    ZEL_WAIT_UNTIL(record.delay[0] == 10000);
    EXPECT_TRUE(steps->rowText(1).startsWith(QStringLiteral("10000")));
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.back(), tip(*app, Tip::LimitReached));

    // A new lighting step shows its entry; a double click on the time types it.
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(steps, 0));
    insertThroughMenu(*app, 5);
    ASSERT_EQ(steps->currentRow(), 2);
    ASSERT_EQ(record.code[1], kCodeLed);
    ASSERT_EQ(lights->count(), 3);
    QTest::mouseDClick(lights->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(lights, 2));
    ASSERT_NE(lights->editor(), nullptr);
    lights->editor()->setText(QStringLiteral("55"));
    QTest::keyClick(lights->editor(), Qt::Key_Return);
    const LedSlot& slot = record.ledSlots[record.params[1].param1];
    ZEL_WAIT_UNTIL(slot.bytes[6] == 55);
    EXPECT_TRUE(lights->rowText(2).contains(QStringLiteral("55*122")));
    MacroGroupState reread;
    app->core().macroFiles().ReadGroupFile(*app->core().library().groupFilePath(0), reread);
    EXPECT_EQ(reread.groupMacros.records[0].ledSlots, record.ledSlots);
    EXPECT_EQ(reread.groupMacros.records[0].delay[0], 10000);
    app->shutDown();
}

TEST_F(MacroPageTest, TheListMenuCreatesRenamesAndDeletesGroupsInTheIndexFile) {
    auto app = startOnMacroPage();
    const std::string dir = app->folders().macroDir;
    const std::string defaultName = app->core().pack().text(TextTable::DevMac, 36);

    // New group: appended to the index with an empty group file, twice with a number.
    choose(*app, 0, kNewGroup);
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 3);
    EXPECT_EQ(indexNames(*app)[2], defaultName);
    EXPECT_TRUE(fs::exists(dir + defaultName + ".dat"));
    choose(*app, 0, kNewGroup);
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 4);
    EXPECT_EQ(indexNames(*app)[3], defaultName + "02");
    CListBoxXI* l = macros(*app);
    EXPECT_EQ(l->rowText(l->currentRow()).toStdString(), defaultName + "02");

    // Rename through the menu: the row opens for typing; Enter keeps the text.
    choose(*app, l->currentRow(), kRename);
    ASSERT_TRUE(l->editing());
    QTest::keyClicks(l, QStringLiteral("Sniper"));
    QTest::keyClick(l, Qt::Key_Return);
    EXPECT_FALSE(l->editing());
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 4 && indexNames(*app)[3] == "Sniper");
    EXPECT_TRUE(fs::exists(dir + "Sniper.dat"));
    EXPECT_FALSE(fs::exists(dir + defaultName + "02.dat"));
    EXPECT_EQ(macros(*app)->rowText(macros(*app)->currentRow()), QStringLiteral("Sniper"));

    // Renaming a group to another group's name gives the next free number.
    l = macros(*app);
    choose(*app, l->currentRow(), kRename);
    QTest::keyClicks(l, QStringLiteral("Game"));
    QTest::keyClick(l, Qt::Key_Return);
    ZEL_WAIT_UNTIL(indexNames(*app)[3] == "Game02");

    // Delete the selected group: its name and its file go.
    choose(*app, macros(*app)->currentRow(), kDeleteGroup);
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 3);
    EXPECT_FALSE(fs::exists(dir + "Game02.dat"));
    EXPECT_EQ(indexNames(*app), (std::vector<std::string>{"Office", "Game", defaultName}));

    // A thirteenth group is refused with its warning.
    for (int n = 3; n < kMaxGroups; ++n) {
        choose(*app, 0, kNewGroup);
    }
    ZEL_WAIT_UNTIL(indexNames(*app).size() == kMaxGroups);
    choose(*app, 0, kNewGroup);
    ZEL_WAIT_UNTIL(!warnings.empty());
    EXPECT_EQ(warnings.back(), tip(*app, Tip::TwelveGroups));
    EXPECT_EQ(indexNames(*app).size(), static_cast<std::size_t>(kMaxGroups));

    // Reset: the factory groups again.
    choose(*app, 0, kResetGroups);
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 2);
    EXPECT_EQ(indexNames(*app), (std::vector<std::string>{"Office", "Game"}));
    EXPECT_FALSE(fs::exists(dir + "Sniper.dat"));
    EXPECT_EQ(rowTexts(macros(*app)), (std::vector<std::string>{"Office", "Game"}));
    app->shutDown();
}

TEST_F(MacroPageTest, GroupsAreExportedPlainAndSealedAndImportedThroughTheFileDialogs) {
    auto app = startOnMacroPage();
    const std::string dir = app->folders().macroDir;
    const fs::path out = fs::path(appDir.appDir()) / "exchange";
    fs::create_directories(out);

    // Export the selected group (Office) and import it back: a group of that name exists.
    files.answers.push_back((out / "Office.dat").string());
    choose(*app, 0, kExportGroup);
    ZEL_WAIT_UNTIL(fs::exists(out / "Office.dat"));
    EXPECT_EQ(files.requests.back().filter, "All Files(*.dat)|*.dat||");
    EXPECT_EQ(readFile((out / "Office.dat").string()).find("MacMd5"), std::string::npos);
    files.answers.push_back((out / "Office.dat").string());
    choose(*app, 0, kImportGroup);
    ZEL_WAIT_UNTIL(!warnings.empty());
    EXPECT_EQ(warnings.back(), tip(*app, Tip::GroupExists));
    EXPECT_EQ(indexNames(*app).size(), 2U);

    // Under another name it comes in as a new group with the same macros.
    fs::copy_file(out / "Office.dat", out / "Work.dat");
    files.answers.push_back((out / "Work.dat").string());
    choose(*app, 0, kImportGroup);
    ZEL_WAIT_UNTIL(indexNames(*app).size() == 3);
    EXPECT_EQ(indexNames(*app)[2], "Work");
    EXPECT_EQ(app->core().library().macroNames(2), app->core().library().macroNames(0));
    EXPECT_NE(std::find(rowTexts(macros(*app)).begin(), rowTexts(macros(*app)).end(), "Work"),
              rowTexts(macros(*app)).end());

    // Sealed: the file carries the mark, and the group's macros can no longer be exported
    // one by one (until the group is read again).
    CListBoxXI* l = macros(*app);
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(l, 1));
    ASSERT_EQ(macros(*app)->currentRow(), 1);
    // Below the rows the list's menu opens and the selection stays.
    files.answers.push_back((out / "Sealed.dat").string());
    QTest::mouseClick(l->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(10, l->viewport()->height() - 5));
    QWidget* menu = shown("MainMenuDlg");
    ASSERT_NE(menu, nullptr);
    const QPoint sealedRow(menu->width() / 2, (kExportSealed - 1) * kMenuRowHeight + 10);
    QTest::mouseMove(menu, sealedRow);
    QTest::mouseRelease(menu, Qt::LeftButton, Qt::NoModifier, sealedRow);
    ZEL_WAIT_UNTIL(fs::exists(out / "Sealed.dat"));
    EXPECT_NE(readFile((out / "Sealed.dat").string()).find("MacMd5"), std::string::npos);
    EXPECT_EQ(list(*app, "10002")->count(), 0);
    const std::size_t before = warnings.size();
    choose(*app, 1, kExportMacro);
    ZEL_WAIT_UNTIL(warnings.size() > before);
    EXPECT_EQ(warnings.back(), tip(*app, Tip::GroupSealed));
    app->shutDown();
}

TEST_F(MacroPageTest, TheMacroRowMenuRenamesDeletesExportsAndImportsMacros) {
    auto app = startOnMacroPage();
    const std::string dir = app->folders().macroDir;
    MacroLibrary& library = app->core().library();
    const std::vector<std::string> original = library.macroNames(0);
    ASSERT_GE(original.size(), 2U);
    CListBoxXI* l = macros(*app);

    // Rename the first macro by typing over its selected row: the group file has the name.
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(l, 1));
    choose(*app, 1, kRenameMacro);
    ASSERT_TRUE(macros(*app)->editing());
    QTest::keyClicks(macros(*app), QStringLiteral("Burst"));
    QTest::keyClick(macros(*app), Qt::Key_Enter);
    ZEL_WAIT_UNTIL(library.macroNames(0)[0] == "Burst");
    EXPECT_NE(readFile(dir + "Office.dat").find(storedName("Burst")), std::string::npos);
    EXPECT_EQ(macros(*app)->rowText(1), QStringLiteral("Burst"));

    // Export it as a single macro, import it again: a new last macro with a unique name.
    const fs::path single = fs::path(appDir.appDir()) / "Burst.sdat";
    files.answers.push_back(single.string());
    choose(*app, 1, kExportMacro);
    ZEL_WAIT_UNTIL(fs::exists(single));
    EXPECT_EQ(files.requests.back().filter, "All Files(*.sdat)|*.sdat||");
    files.answers.push_back(single.string());
    choose(*app, 1, kImportMacro);
    ZEL_WAIT_UNTIL(library.macroNames(0).size() == original.size() + 1);
    EXPECT_EQ(library.macroNames(0).back(), "Burst02");
    EXPECT_EQ(macros(*app)->rowText(static_cast<int>(original.size()) + 1),
              QStringLiteral("Burst02"));

    // Delete the selected macro (the first): the group file loses it.
    choose(*app, 1, kDeleteMacro);
    ZEL_WAIT_UNTIL(library.macroNames(0).size() == original.size());
    EXPECT_EQ(library.macroNames(0)[0], original[1]);
    EXPECT_EQ(readFile(dir + "Office.dat").find(storedName("Burst") + "000"), std::string::npos);
    EXPECT_EQ(macros(*app)->rowText(1).toStdString(), original[1]);

    // New macro from the list's menu: the default name, in the selected row's group.
    choose(*app, 0, kNewMacro);
    ZEL_WAIT_UNTIL(library.macroNames(0).size() == original.size() + 1);
    EXPECT_EQ(library.macroNames(0).back(), app->core().pack().text(TextTable::DevMac, 37));
    app->shutDown();
}

TEST_F(MacroPageTest, EscapeDropsAnEditAndEnterOrAPressElsewhereKeepsIt) {
    auto app = startOnMacroPage();
    CZEL_GMouseDlg* w = app->mainWindow();
    CListBoxXI* l = macros(*app);
    const std::vector<std::string> index = indexNames(*app);

    // Typing over the selected row opens its box with the typed text; Escape drops it.
    QTest::keyClicks(l, QStringLiteral("Xyz"));
    ASSERT_TRUE(l->editing());
    EXPECT_EQ(l->editor()->text(), QStringLiteral("Xyz"));
    QTest::keyClick(l, Qt::Key_Escape);
    EXPECT_FALSE(l->editing());
    QCoreApplication::processEvents();
    EXPECT_EQ(l->rowText(0), QStringLiteral("Office"));
    EXPECT_EQ(indexNames(*app), index);

    // Insert opens the box with the row's text, all selected; a press on the window keeps
    // what was typed.
    QTest::keyClick(l, Qt::Key_Insert);
    ASSERT_TRUE(l->editing());
    EXPECT_EQ(l->editor()->selectedText(), QStringLiteral("Office"));
    QTest::keyClicks(l, QStringLiteral("Desk"));
    click(w, centreOf(app->skin().macro.area(layout::skin_mac::kMacrosCaption)));
    EXPECT_FALSE(macros(*app)->editing());
    ZEL_WAIT_UNTIL(indexNames(*app)[0] == "Desk");

    // The box losing the focus keeps its text too.
    l = macros(*app);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    l->setFocus();
    QTest::keyClick(l, Qt::Key_Insert);
    ASSERT_TRUE(l->editing());
    QTest::keyClicks(l, QStringLiteral("Home"));
    list(*app, "10002")->setFocus();
    ZEL_WAIT_UNTIL(indexNames(*app)[0] == "Home");
    app->shutDown();
}

TEST_F(MacroPageTest, AnotherLanguageShowsItsOwnLibraryInTheLists) {
    auto app = startOnMacroPage();
    CZEL_GMouseDlg* w = app->mainWindow();
    click(w, centreOf(app->skin().main.area(m::kLanguage)));
    QWidget* languages = shown("MainMenuDlg");
    ASSERT_NE(languages, nullptr);
    const QPoint chinese(languages->width() / 2, languages->height() / 4);
    QTest::mouseMove(languages, chinese);
    QTest::mousePress(languages, Qt::LeftButton, Qt::NoModifier, chinese);
    QTest::mouseRelease(languages, Qt::LeftButton, Qt::NoModifier, chinese);
    ASSERT_EQ(app->state().language.load(), 0);
    CListBoxXI* l = macros(*app);
    ASSERT_NE(l, nullptr);
    ASSERT_GE(l->count(), 2);
    EXPECT_EQ(l->rowText(0), QString::fromUtf8("办公"));
    EXPECT_EQ(l->rowText(l->count() - 1), QString::fromUtf8("游戏"));
    app->shutDown();
}

TEST_F(MacroPageTest, PicturesOfThePageWithItsMenusForLookingAt) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "set ZEL_RENDER_DIR to a folder to get the pictures";
    }
    for (const int language : {0, 1}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        pictures(folder + QStringLiteral("/lang%1_").arg(language));
    }
}

void MacroPageTest::pictures(const QString& prefix) {
    auto app = startOnMacroPage();
    CZEL_GMouseDlg* w = app->mainWindow();
    CListBoxXI* l = macros(*app);
    QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(l, 1));
    // The window with the open menu drawn where it is on the screen.
    const auto picture = [&](const QString& name) {
        QImage image = w->grab().toImage();
        if (QWidget* menu = shown("MainMenuDlg")) {
            QPainter p(&image);
            p.drawPixmap(w->mapFromGlobal(menu->pos()), menu->grab());
        }
        EXPECT_TRUE(image.save(prefix + name + ".png"));
    };
    picture(QStringLiteral("macro_lists"));
    // Below the rows: the list's menu, with the macro still selected.
    QTest::mouseClick(l->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(40, l->viewport()->height() - 40));
    picture(QStringLiteral("macro_menu_list"));
    menuOn(*app, 1);
    picture(QStringLiteral("macro_menu_row"));
    CListBoxXI* steps = list(*app, "10002");
    QTest::mouseClick(steps->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(steps, 1));
    picture(QStringLiteral("macro_menu_step"));
    w->closePopup();
    QTest::keyClick(macros(*app), Qt::Key_Insert);
    picture(QStringLiteral("macro_edit"));
    app->shutDown();
}
