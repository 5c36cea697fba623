// The help element and the user guide window, and the frame's language menu (element 17),
// through the real program with the simulated mouse.
#include "AppFixture.h"

#include "presentation/LayoutElements.h"
#include "ui/GuideWindow.h"
#include "ui/menus/CMenuDlg.h"

#include "QtTestWait.h"

#include <QApplication>
#include <QProcess>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>

#include <cstdlib>
#include <filesystem>

namespace zel::test {
namespace {

namespace m = layout::skin_main;
namespace fs = std::filesystem;

CMenuDlg* shownPopup() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* popup = dynamic_cast<CMenuDlg*>(w); popup != nullptr && popup->isVisible()) {
            return popup;
        }
    }
    return nullptr;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

/// Writes `image` as `name`.png into ZEL_RENDER_DIR when that is set.
void keepPicture(const QImage& image, const std::string& name) {
    const char* dir = std::getenv("ZEL_RENDER_DIR");
    if (dir != nullptr && *dir != '\0') {
        fs::create_directories(dir);
        EXPECT_TRUE(image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png")));
    }
}

class GuideTest : public AppTest {
protected:
    void pressHelp(App& app) { click(app.mainWindow(), centre(app.skin().main.area(m::kHelp))); }
    /// Chooses row `row` of the frame's language menu (element 17).
    void chooseFromLanguageMenu(App& app, int row) {
        click(app.mainWindow(), centre(app.skin().main.area(m::kLanguageMenu)));
        CMenuDlg* menu = nullptr;
        ZEL_WAIT_UNTIL((menu = shownPopup()) != nullptr);
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        const QPoint at(menu->width() / 2, (row - 1) * menu->rowHeight() + menu->rowHeight() / 2);
        click(menu, at);
    }
};

TEST_F(GuideTest, HelpOpensTheGuideOfTheLanguageAndFollowsItsChanges) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    EXPECT_EQ(app->guideWindow(), nullptr);
    pressHelp(*app);
    GuideWindow* guide = app->guideWindow();
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(endsWith(guide->shownFile(), "/skins/1_INI_EN/guide/index.html"))
        << guide->shownFile();
    EXPECT_EQ(guide->windowTitle(), QStringLiteral("ZEL GMouse – User guide"));
    // The pictures of the pages are there and load.
    const QUrl picture = guide->browser()->source().resolved(QUrl("pictures/main.png"));
    EXPECT_FALSE(guide->browser()
                     ->document()
                     ->resource(QTextDocument::ImageResource, picture)
                     .value<QImage>()
                     .isNull());
    EXPECT_TRUE(warnings.empty());
    QTest::qWait(50);
    keepPicture(guide->grab().toImage(), "guide_en");

    // Narrowed (as beside the main window on a small screen), its pictures narrow with it:
    // no sideways scrolling; widened again, they go back to their own width.
    guide->resize(560, guide->height());
    QTest::qWait(20);
    EXPECT_EQ(guide->browser()->horizontalScrollBar()->maximum(), 0);
    guide->resize(900, guide->height());
    QTest::qWait(20);
    EXPECT_EQ(guide->browser()->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(guide->browser()->document()->idealWidth(), 800);

    // A second press shows the one window again.
    guide->hide();
    pressHelp(*app);
    EXPECT_EQ(app->guideWindow(), guide);
    EXPECT_TRUE(guide->isVisible());

    // A link inside the guide stays in it and goes to its place.
    EXPECT_EQ(guide->browser()->verticalScrollBar()->value(), 0);
    Q_EMIT guide->browser()->anchorClicked(QUrl("#trouble"));
    EXPECT_TRUE(endsWith(guide->shownFile(), "/1_INI_EN/guide/index.html"));
    EXPECT_GT(guide->browser()->verticalScrollBar()->value(), 0);
    Q_EMIT guide->browser()->anchorClicked(QUrl("#buttons"));
    QTest::qWait(50);
    keepPicture(guide->grab().toImage(), "guide_en_buttons");

    // The frame's language menu reads its languages and chooses them; the open guide
    // follows the language.
    chooseFromLanguageMenu(*app, 1);
    ZEL_WAIT_UNTIL(app->state().language.load() == 0);
    EXPECT_EQ(app->state().language.load(), 0);
    EXPECT_TRUE(endsWith(guide->shownFile(), "/skins/0_INI_CN/guide/index.html"))
        << guide->shownFile();
    EXPECT_EQ(guide->windowTitle(), QStringLiteral("ZEL GMouse 使用说明"));
    keepPicture(guide->grab().toImage(), "guide_cn");
    chooseFromLanguageMenu(*app, 2);
    ZEL_WAIT_UNTIL(app->state().language.load() == 1);
    EXPECT_TRUE(endsWith(guide->shownFile(), "/skins/1_INI_EN/guide/index.html"));
    app->shutDown();
}

TEST_F(GuideTest, TheLanguageMenuShowsItsLanguagesByName) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    click(w, centre(app->skin().main.area(m::kLanguageMenu)));
    CMenuDlg* menu = nullptr;
    ZEL_WAIT_UNTIL((menu = shownPopup()) != nullptr);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->rowCount(), 2);
    EXPECT_EQ(menu->rowText(1), QStringLiteral("中文"));
    EXPECT_EQ(menu->rowText(2), QStringLiteral("English"));
    EXPECT_EQ(menu->rowName(2), QStringLiteral("English"));
    // Each row draws its name: white text over the row's band.
    const QImage look = menu->compose();
    for (int row = 1; row <= 2; ++row) {
        int light = 0;
        for (int y = (row - 1) * menu->rowHeight(); y < row * menu->rowHeight(); ++y) {
            for (int x = 0; x < look.width(); ++x) {
                light += qGray(look.pixel(x, y)) > 200 ? 1 : 0;
            }
        }
        EXPECT_GT(light, 10) << row;
    }
    QTest::mouseMove(menu, QPoint(menu->width() / 2, menu->rowHeight() + menu->rowHeight() / 2));
    keepPicture(menu->compose(), "language_menu_en");
    // The language button's own list keeps its pictures.
    click(menu, QPoint(menu->width() / 2, menu->rowHeight() + menu->rowHeight() / 2));
    click(w, centre(app->skin().main.area(m::kLanguage)));
    ZEL_WAIT_UNTIL((menu = shownPopup()) != nullptr);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->rowText(1), QString());
    EXPECT_EQ(menu->rowName(1), QStringLiteral("中文"));
    app->shutDown();
}

TEST_F(GuideTest, ALanguageWithoutAGuideShowsTheEnglishOne) {
    fs::remove_all(fs::path(appDir.appDir()) / "skins/4_INI_DE/guide");
    ini::IniStore ini;
    ASSERT_TRUE(ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL", "4"));
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ASSERT_EQ(app->state().language.load(), 4);
    pressHelp(*app);
    ASSERT_NE(app->guideWindow(), nullptr);
    EXPECT_TRUE(endsWith(app->guideWindow()->shownFile(), "/skins/1_INI_EN/guide/index.html"))
        << app->guideWindow()->shownFile();
    EXPECT_TRUE(warnings.empty());
    app->shutDown();
}

TEST_F(GuideTest, AMissingGuideIsToldAndOpensNothing) {
    for (const char* language : {"0_INI_CN", "1_INI_EN", "4_INI_DE"}) {
        fs::remove_all(fs::path(appDir.appDir()) / "skins" / language / "guide");
    }
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    pressHelp(*app);
    EXPECT_EQ(app->guideWindow(), nullptr);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], app->core().pack().tipText(Tip::OperationFailed));
    // The window goes on answering.
    click(app->mainWindow(), centre(app->skin().main.area(m::kTabFirst + 1)));
    EXPECT_EQ(app->mainWindow()->pointer().page, PageId::AdvancedPage);
    app->shutDown();
}

/// Runs the program with `arguments` and gives its exit status (-1 when it did not end).
int runProgram(const QStringList& arguments, const std::string& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(runtime));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString(builtAppDir() + "/zel-gmouse"), arguments);
    if (!program.waitForFinished(30000) || program.exitStatus() != QProcess::NormalExit) {
        program.kill();
        return -1;
    }
    return program.exitCode();
}

// The build draws the guide's pictures in every language from one settings file.
TEST(GuidePictures, RenderDrawsThePagesInTheLanguageAskedFor) {
    TempAppDir appDir;
    TempDir runtime;
    const std::string config = appDir.appDir() + "/skins/config/config.ini";
    const std::string before = readFile(config);
    const auto render = [&](const std::string& folder, const QString& language) {
        QStringList arguments{QStringLiteral("--simulate"), QStringLiteral("--app-dir"),
                              QString::fromStdString(appDir.appDir()), QStringLiteral("--render"),
                              QString::fromStdString(runtime.str() + "/" + folder)};
        if (!language.isEmpty()) {
            arguments << QStringLiteral("--language") << language;
        }
        return runProgram(arguments, runtime.str());
    };
    ASSERT_EQ(render("settings", {}), 0);
    ASSERT_EQ(render("en", QStringLiteral("1")), 0);
    ASSERT_EQ(render("de", QStringLiteral("4")), 0);
    const auto page = [&](const std::string& folder) {
        return QImage(QString::fromStdString(runtime.str() + "/" + folder + "/main.png"));
    };
    EXPECT_FALSE(page("de").isNull());
    EXPECT_EQ(page("en"), page("settings"));
    EXPECT_NE(page("de"), page("en"));
    // Nothing of it is kept: the settings still name their own language.
    EXPECT_EQ(readFile(config), before);

    // The language is a number and belongs to the pages drawn.
    EXPECT_EQ(render("bad", QStringLiteral("de")), 2);
    EXPECT_EQ(runProgram(
                  {QStringLiteral("--simulate"), QStringLiteral("--language"), QStringLiteral("1")},
                  runtime.str()),
              2);
}

} // namespace
} // namespace zel::test
