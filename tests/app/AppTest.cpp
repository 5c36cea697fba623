#include "app/App.h"
#include "presentation/LayoutElements.h"

#include "AppFixture.h"
#include "QtTestWait.h"
#include "TestSupport.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimulatedMouse.h"
#include "ui/WarningDlg.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <vector>

using namespace zel;

using test::AppTest;

TEST_F(AppTest, WithoutAMouseTheWarningNamesTheProductAndTheProgramEnds) {
    auto app = makeApp(0x1040, true);
    EXPECT_FALSE(app->start());
    EXPECT_EQ(app->exitCode(), 0);
    ASSERT_EQ(warnings.size(), 1u);
    // Tip::MouseNotFound followed directly by the product name of the language (English here).
    EXPECT_NE(warnings[0].find("ZEL GMouse GM8"), std::string::npos);
    EXPECT_GT(warnings[0].size(), std::string("ZEL GMouse GM8").size());
    EXPECT_TRUE(app->mainWindow() == nullptr || !app->mainWindow()->isVisible());
    EXPECT_EQ(downloads.load(), 0);
}

TEST_F(AppTest, WithAMouseTheWindowShowsAndOneDownloadRuns) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    EXPECT_TRUE(app->state().connected.load());
    EXPECT_EQ(app->state().productKind.load(), ProductKind::Pid1040);
    EXPECT_TRUE(app->mainWindow()->isVisible());
    EXPECT_EQ(app->mainWindow()->windowTitle(), QStringLiteral("ZEL GMouse GM8"));
    EXPECT_TRUE(warnings.empty());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    app->shutDown();
}

TEST_F(AppTest, AFreshMouseGetsTheFirstConnection) {
    // Profiles in the file that differ from the factory ones, and profile 2 current.
    {
        ini::IniStore ini;
        const std::string file = appDir.appDir() + "/skins/config/config.ini";
        ini.write(file, "Config0", "K1", "5");
        ini.write(file, "Init", "CurConfig", "2");
    }
    auto app = makeApp(0x1201);
    ASSERT_TRUE(app->start());
    EXPECT_EQ(app->state().productKind.load(), ProductKind::Pid1201);
    const LanguagePack& pack = app->core().pack();
    // What happens next, then the wait while the download runs.
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], pack.tipText(Tip::FirstConnectionWriting));
    EXPECT_EQ(warnings[1], pack.tipText(Tip::FirstConnectionWait));
    EXPECT_EQ(app->state().currentProfile.load(), 0);
    EXPECT_EQ(app->profiles().profiles[0].buttonCode[1], 2);
    EXPECT_EQ(config("Config0", "K1"), "2");
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    // The last word once the factory profiles are on the mouse, and only once.
    ZEL_WAIT_UNTIL(warnings.size() == 3u);
    EXPECT_EQ(warnings[2], pack.tipText(Tip::FirstConnectionDone));
    app->startDownload();
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    QTest::qWait(50);
    EXPECT_EQ(warnings.size(), 3u);
    app->shutDown();
}

TEST_F(AppTest, TheFirstConnectionBoxesReadInOrderAndTheWaitingBoxEndsWithTheLastWord) {
    // Real boxes: the first is closed by its button, the second stays open while the
    // download runs and changes its message when the download ends.
    auto app = makeApp(0x1201);
    app->warningShower = nullptr;
    // The pack is read when the program starts.
    const LanguagePack& pack = app->core().pack();
    const auto tip = [&pack](Tip t) { return QString::fromStdString(pack.tipText(t)); };
    std::vector<QString> seen;
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* box = qobject_cast<WarningDlg*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        if (seen.empty() || seen.back() != box->shownText()) {
            seen.push_back(box->shownText());
        }
        if (box->shownText() == tip(Tip::FirstConnectionWriting) ||
            box->shownText() == tip(Tip::FirstConnectionDone)) {
            box->done(1);
        }
    });
    driver.start();
    ASSERT_TRUE(app->start());
    driver.stop();
    // Each text once, in the order things happen; the last one replaces the waiting text.
    EXPECT_EQ(app->shownWarnings(),
              (std::vector<std::string>{pack.tipText(Tip::FirstConnectionWriting),
                                        pack.tipText(Tip::FirstConnectionWait),
                                        pack.tipText(Tip::FirstConnectionDone)}));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), tip(Tip::FirstConnectionWriting));
    EXPECT_EQ(seen.back(), tip(Tip::FirstConnectionDone));
    // The factory profiles are what the mouse holds.
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    EXPECT_EQ(decoded.profile, 0);
    EXPECT_EQ(decoded.buttons[0][2].function, 2);
    app->shutDown();
}

TEST_F(AppTest, ClicksOnTheLayoutChangeTheSettings) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    const SkinLayout& main = app->skin().main;
    AppState& state = app->state();
    SharedSettings& shared = app->profiles().shared;

    // Profile items 10..13 select a profile; nothing is written before Apply.
    click(w, centre(main.area(12)));
    EXPECT_EQ(state.currentProfile.load(), 2);
    EXPECT_EQ(config("Init", "CurConfig"), "0");

    // Wheel status.
    click(w, centre(main.area(32)));
    EXPECT_EQ(shared.wheelStatus, 1);
    click(w, centre(main.area(31)));
    EXPECT_EQ(shared.wheelStatus, 0);

    // DPI toggles keep one level enabled.
    shared.dpiEnabled = {true, false, false, false, false, false};
    shared.dpiLevel = 0;
    click(w, centre(main.area(47)));
    EXPECT_TRUE(shared.dpiEnabled[0]);
    click(w, centre(main.area(48)));
    EXPECT_TRUE(shared.dpiEnabled[1]);
    click(w, centre(main.area(47)));
    EXPECT_FALSE(shared.dpiEnabled[0]);
    EXPECT_EQ(shared.dpiLevel, 1);

    // The advanced page's sliders at and beyond both ends.
    click(w, centre(main.area(7)));
    EXPECT_EQ(w->pointer().page, PageId::AdvancedPage);
    const SkinLayout& adv = app->skin().advanced;
    const Area fire = adv.area(31);
    click(w, QPoint(fire.x, fire.y + fire.height / 2));
    EXPECT_EQ(shared.fireTime, 8);
    // The last pixel is half a step short of the end: 299; the end itself is 300.
    click(w, QPoint(fire.x + fire.width - 1, fire.y + fire.height / 2));
    EXPECT_EQ(shared.fireTime, 299);
    // Dragging beyond the right end keeps the full value, beyond the left end the least.
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(fire.x + 5, fire.y + 2));
    QTest::mouseMove(w, QPoint(fire.x + fire.width + 200, fire.y + 2));
    EXPECT_EQ(shared.fireTime, 300);
    QTest::mouseMove(w, QPoint(fire.x - 200, fire.y + 2));
    EXPECT_EQ(shared.fireTime, 8);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(fire.x - 200, fire.y + 2));
    EXPECT_EQ(w->pointer().dragMode, DragMode::None);

    const Area speed = adv.area(1);
    click(w, QPoint(speed.x + speed.width - 1, speed.y + speed.height / 2));
    EXPECT_EQ(shared.dpiSpeed, 11);
    click(w, QPoint(speed.x, speed.y + speed.height / 2));
    EXPECT_EQ(shared.dpiSpeed, 1);
    const Area dpi = adv.area(66);
    click(w, QPoint(dpi.x + dpi.width - 1, dpi.y + dpi.height / 2));
    EXPECT_EQ(shared.dpiValueIndex[static_cast<std::size_t>(shared.dpiLevel)], 16);
    app->shutDown();
}

TEST_F(AppTest, AssignmentNeedsAnotherLeftClickButton) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    // Button 0 is the only left click of profile 0: its menu does not open.
    click(app->mainWindow(), centre(app->skin().main.area(20)));
    ASSERT_EQ(warnings.size(), 1u);
    app->shutDown();
}

TEST_F(AppTest, ApplyWritesTheSettingsFileAndTheMouseGetsTheSameConfiguration) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    // Apply does nothing while a download runs: the one of the start has to end first.
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    SharedSettings& shared = app->profiles().shared;
    shared.fireTime = 123;
    shared.dpiLevel = 4;
    app->profiles().profiles[3].buttonCode[1] = 5;
    app->state().currentProfile = 3;
    // Apply does nothing while a download runs: the start-up download ends first.
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    click(app->mainWindow(), centre(app->skin().main.area(3)));
    ZEL_WAIT_UNTIL(config("ShareData", "FIRE_TIME") == std::string("123"));
    EXPECT_EQ(config("Init", "CurConfig"), "3");
    EXPECT_EQ(config("Config3", "K1"), "5");
    EXPECT_EQ(downloads.load(), 2);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());

    const auto memory = app->simulatedMouse()->memory();
    const sim::DecodedMemory decoded = sim::decodeMemory(memory);
    EXPECT_EQ(decoded.profile, 3);
    EXPECT_EQ(decoded.rapidFire, 123 / 8);
    EXPECT_EQ(decoded.dpiLevel, 4);
    // Buttons by physical number (the shipped map is the identity): left, then the change.
    EXPECT_EQ(decoded.buttons[0][1].function, 1);
    EXPECT_EQ(decoded.buttons[0][2].function, 2);
    EXPECT_EQ(decoded.buttons[3][2].function, 5);
    app->shutDown();
}

TEST_F(AppTest, ApplyFillsAsTheBlocksGoAndThenSaysWhatItCameTo) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    CZEL_GMouseDlg* w = app->mainWindow();
    const Area& apply = app->skin().main.area(3);
    // The start-up download's word goes after its moment.
    ZEL_WAIT_UNTIL_MS(app->state().applyOutcome == kApplyNothing, 6000);
    const QImage rest = w->compose();
    const int y = apply.y + 3; // above the label
    const auto light = [](const QImage& i, int x, int y0) { return qGray(i.pixel(x, y0)); };
    const int left = apply.x + 3;
    const int right = apply.x + apply.width - 4;

    // Half of the blocks written: the left half is lit, the right half dimmed.
    AppState& state = app->state();
    state.downloadBusy = true;
    state.downloadTotal = 10;
    state.downloadWritten = 5;
    const QImage half = w->compose();
    EXPECT_GT(light(half, left, y), light(half, right, y) + 30);
    EXPECT_EQ(half.pixel(left, y), rest.pixel(left, y));
    state.downloadWritten = 10;
    const QImage full = w->compose();
    EXPECT_EQ(full.pixel(right, y), rest.pixel(right, y)) << "ends at full";
    state.downloadBusy = false;

    // A real Apply: its word for a moment, then the label again.
    click(w, centre(apply));
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    ZEL_WAIT_UNTIL(!state.downloadBusy.load());
    ZEL_WAIT_UNTIL(state.applyOutcome == kApplyDone);
    const QImage withWord = w->compose().copy(apply.x, apply.y, apply.width, apply.height);
    ZEL_WAIT_UNTIL_MS(state.applyOutcome == kApplyNothing, 6000);
    EXPECT_NE(w->compose().copy(apply.x, apply.y, apply.width, apply.height), withWord);
    app->shutDown();
}

TEST_F(AppTest, TheWindowComesBackWithinReachAndItsWarningBoxMovesWithIt) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    ZEL_WAIT_UNTIL(w->isVisible());

    WarningDlg box(WarningSkin{}, WarningRequest{"Moving", 2, 0, {}}, w);
    box.show();
    const QPoint boxAt = box.pos();
    w->move(w->pos() + QPoint(40, 30));
    EXPECT_EQ(box.pos(), boxAt + QPoint(40, 30));
    box.close();

    // Dragged past the screen's left and bottom edges: once still, it comes back so that
    // its top band can be taken again.
    const QRect screen = w->screen()->availableGeometry();
    w->move(screen.left() - w->width() + 10, screen.bottom() + 200);
    ZEL_WAIT_UNTIL_MS(w->frameGeometry().right() >= screen.left() + 100 &&
                          w->frameGeometry().top() <= screen.bottom() - 40,
                      3000);
    const QRect f = w->frameGeometry();
    EXPECT_GE(std::min(f.right(), screen.right()) - std::max(f.left(), screen.left()), 150);
    EXPECT_GE(f.top(), screen.top());
    // A window on the screen is left where the user put it.
    const QPoint inside = screen.topLeft() + QPoint(20, 20);
    w->move(inside);
    QTest::qWait(600);
    EXPECT_EQ(w->pos(), inside);
    app->shutDown();
}

TEST_F(AppTest, TheLightingPreviewRunsOnlyWhileTheLightingPageIsOnScreen) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    EXPECT_FALSE(app->lightingPreviewRunning());
    const int lightingTab = layout::skin_main::kTabFirst + static_cast<int>(PageId::LightingPage);
    click(w, centre(app->skin().main.area(lightingTab)));
    ZEL_WAIT_UNTIL(app->lightingPreviewRunning());
    // Minimised on the lighting page: nothing to preview, so the worker ends.
    w->showMinimized();
    ZEL_WAIT_UNTIL_MS(!app->lightingPreviewRunning(), 3000);
    w->showAndRestore();
    ZEL_WAIT_UNTIL(app->lightingPreviewRunning());
    w->hide();
    ZEL_WAIT_UNTIL_MS(!app->lightingPreviewRunning(), 3000);
    app->shutDown();
}

TEST_F(AppTest, EscAndEnterDoNotCloseAndTheCloseButtonKeepsTheWindowReachable) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClick(w, Qt::Key_Enter);
    EXPECT_TRUE(w->isVisible());
    // Without a tray the caption's close only minimises.
    w->close();
    EXPECT_TRUE(w->isVisible());
    app->shutDown();
}

TEST_F(AppTest, UnpluggingTheMouseEndsTheProgram) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    QSignalSpy finished(app.get(), &App::finished);
    app->simulatedMouse()->unplug();
    EXPECT_TRUE(finished.wait(3000));
    EXPECT_FALSE(app->state().connected.load());
}

TEST_F(AppTest, APowerSignalRunsADownload) {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address")});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    QDBusConnection logind = QDBusConnection::connectToBus(address, QStringLiteral("fake-logind"));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));

    auto app = makeApp(0x1040, false, address.toStdString());
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    // The window as the user left it before the session slept: shown, on the advanced page.
    CZEL_GMouseDlg* w = app->mainWindow();
    w->show();
    click(w, centre(app->skin().main.area(layout::skin_main::kTabFirst + 1)));
    ASSERT_EQ(w->pointer().page, PageId::AdvancedPage);
    const QPoint place = w->pos();
    // The Apply element's word on the last download comes and goes with time: left out.
    app->state().applyOutcome = kApplyNothing;
    const QImage before = w->compose();
    auto message = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                              QStringLiteral("org.freedesktop.login1.Manager"),
                                              QStringLiteral("PrepareForSleep"));
    message << false;
    logind.send(message);
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    // The resume re-applies the settings and leaves the window as it was.
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    QTest::qWait(100);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), place);
    EXPECT_EQ(w->pointer().page, PageId::AdvancedPage);
    app->state().applyOutcome = kApplyNothing;
    EXPECT_EQ(w->compose(), before);
    app->shutDown();
    app.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
    daemon.kill();
    daemon.waitForFinished(2000);
}

TEST_F(AppTest, PagesRenderAndTheButtonLabelsFollowTheProfile) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    const QImage profile0 = w->compose();
    EXPECT_EQ(profile0.size(), w->size());
    click(w, centre(app->skin().main.area(11)));
    const QImage profile1 = w->compose();
    EXPECT_NE(profile0, profile1); // other labels, other highlighted profile
    test::TempDir out;
    EXPECT_TRUE(app->renderPages(out.str()));
    EXPECT_TRUE(std::filesystem::exists(out.path() / "lighting_pressed.png"));
}

namespace {

/// Rewrites fields 1..4 (the rectangle) of the given BUTTONPOS entries of one layout file
/// in every language folder of `appDir`.
void setRectangles(const std::string& appDir, const std::string& fileName,
                   const std::vector<int>& entries, const std::array<std::string, 4>& rect) {
    for (const char* language : {"0_INI_CN", "1_INI_EN", "4_INI_DE"}) {
        const std::string path = appDir + "/skins/" + language + "/" + fileName;
        std::istringstream in(test::readFile(path));
        std::string out;
        std::string line;
        bool inButtonPos = false;
        while (std::getline(in, line)) {
            if (line.rfind('[', 0) == 0) {
                inButtonPos = line.rfind("[BUTTONPOS]", 0) == 0;
            }
            for (const int e : inButtonPos ? entries : std::vector<int>{}) {
                const std::string key = std::to_string(e) + "=";
                if (line.rfind(key, 0) != 0) {
                    continue;
                }
                std::vector<std::string> parts;
                std::istringstream fields(line);
                for (std::string f; std::getline(fields, f, ',');) {
                    parts.push_back(f);
                }
                ASSERT_GE(parts.size(), 5u) << line;
                std::copy(rect.begin(), rect.end(), parts.begin() + 1);
                line = parts[0];
                for (std::size_t i = 1; i < parts.size(); ++i) {
                    line += "," + parts[i];
                }
                line += ",";
            }
            out += line + "\n";
        }
        test::writeFile(path, out);
    }
}

void writeHostileLayouts(const std::string& appDir, bool clampedByHand) {
    namespace m = layout::skin_main;
    namespace a = layout::skin_advance;
    const std::array<std::string, 4> far =
        clampedByHand
            ? std::array<std::string, 4>{"32767", "-32768", "32767", "32767"}
            : std::array<std::string, 4>{"2147483647", "-2147483648", "2147483647", "2147483647"};
    const std::array<std::string, 4> near =
        clampedByHand
            ? std::array<std::string, 4>{"-32768", "32767", "0", "32767"}
            : std::array<std::string, 4>{"-2147483648", "2147483647", "-2147483648", "2147483647"};
    setRectangles(appDir, "skin_main.ini",
                  {m::kApply, m::kProfileFirst, m::kButtonLabelFirst, m::kButtonZoneFirst,
                   m::kSoundLighting, m::kDpiToggleFirst},
                  far);
    setRectangles(appDir, "skin_main.ini",
                  {m::kLanguage, m::kProfileFirst + 1, m::kButtonLabelFirst + 1,
                   m::kButtonZoneFirst + 1, m::kDpiToggleFirst + 1},
                  near);
    setRectangles(appDir, "skin_advance.ini",
                  {a::kDpiSlider, a::kPointerSpeedSlider, a::kFireTimeValue}, far);
    setRectangles(appDir, "skin_advance.ini",
                  {a::kWheelSpeedSlider, a::kFireTimeSlider, a::kDpiRowFirst}, near);
}

} // namespace

// Rectangles at the ends of int render as the same rectangles clamped into the layout range
// by hand: nothing overflows on the way (the sanitizer build stops on any report).
TEST_F(AppTest, PagesRenderFromALayoutWithRectanglesAtTheEndsOfInt) {
    const auto render = [this](bool clampedByHand, const test::TempDir& out) {
        writeHostileLayouts(appDir.appDir(), clampedByHand);
        auto app = makeApp();
        ASSERT_TRUE(app->start());
        EXPECT_TRUE(app->renderPages(out.str()));
    };
    test::TempDir hostile;
    test::TempDir byHand;
    render(false, hostile);
    render(true, byHand);
    for (const char* page : {"main", "advanced", "macro", "lighting"}) {
        for (const char* state : {"", "_hover", "_pressed"}) {
            const std::string name = std::string(page) + state + ".png";
            const QImage a(QString::fromStdString((hostile.path() / name).string()));
            const QImage b(QString::fromStdString((byHand.path() / name).string()));
            ASSERT_FALSE(a.isNull()) << name;
            EXPECT_EQ(a, b) << name;
        }
    }
}

namespace {

/// The environment of a program started by a test: offscreen, with its runtime and cache
/// folders in `runtime`.
QProcessEnvironment programEnvironment(const std::string& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(runtime));
    return env;
}

} // namespace

TEST(ProgramProcess, RenderIntoAFolderThatCannotBeCreatedEndsWithTwo) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    // Below a regular file no folder can be made.
    test::writeFile(runtime.path() / "file", "x");
    const QProcessEnvironment env = programEnvironment(runtime.str());
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QString::fromStdString(test::builtAppDir() + "/zel-gmouse"),
                 {QStringLiteral("--simulate"), QStringLiteral("--app-dir"),
                  QString::fromStdString(appDir.appDir()), QStringLiteral("--render"),
                  QString::fromStdString((runtime.path() / "file" / "pages").string())});
    ASSERT_TRUE(render.waitForFinished(30000));
    EXPECT_EQ(render.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(render.exitCode(), 2);
    EXPECT_TRUE(render.readAllStandardError().contains("zel-gmouse: cannot write the pages to "));
}

/// Runs `zel-gmouse --render` over `appDir` and waits for its end.
struct RenderRun {
    int status = -1;
    QByteArray errors;
};
RenderRun renderPagesOf(const std::string& appDir, const std::string& runtime,
                        const std::string& folder, const QString& simulate) {
    const QProcessEnvironment env = programEnvironment(runtime);
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QString::fromStdString(test::builtAppDir() + "/zel-gmouse"),
                 {simulate, QStringLiteral("--app-dir"), QString::fromStdString(appDir),
                  QStringLiteral("--render"), QString::fromStdString(folder)});
    RenderRun run;
    // Never a box waiting for a click: the run ends by itself.
    if (render.waitForFinished(30000) && render.exitStatus() == QProcess::NormalExit) {
        run.status = render.exitCode();
    }
    run.errors = render.readAllStandardError();
    return run;
}

TEST(ProgramProcess, RenderChangesNothingInTheFolder) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    // A fresh mouse would have the program reset the profiles, and a group whose file is
    // gone would have it write the macro index again: drawing pages does neither.
    const std::string config = appDir.appDir() + "/skins/config/config.ini";
    const std::string index = appDir.appDir() + "/skins/1_INI_EN/macro/macroGrp.ini";
    std::filesystem::remove(appDir.appDir() + "/skins/1_INI_EN/macro/Office.dat");
    ini::IniStore store;
    ASSERT_TRUE(store.write(config, "Config0", "K1", "5"));
    const std::string configBefore = test::readFile(config);
    const std::string indexBefore = test::readFile(index);
    const RenderRun run = renderPagesOf(appDir.appDir(), runtime.str(), runtime.str() + "/pages",
                                        QStringLiteral("--simulate=1201"));
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(
        std::filesystem::is_regular_file(runtime.path() / "pages" / "lighting_pressed.png"));
    EXPECT_EQ(test::readFile(config), configBefore);
    EXPECT_EQ(test::readFile(index), indexBefore);
}

TEST(ProgramProcess, RenderSaysWhatIsMissingOnStandardErrorAndStillDraws) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    std::filesystem::remove(appDir.appDir() + "/skins/config/config.ini");
    const RenderRun run = renderPagesOf(appDir.appDir(), runtime.str(), runtime.str() + "/pages",
                                        QStringLiteral("--simulate"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.errors.contains("zel-gmouse: warning 5: ")) << run.errors.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(runtime.path() / "pages" / "main.png"));
}

TEST(ProgramProcess, RenderRunsBesideARunningInstance) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    const QProcessEnvironment env = programEnvironment(runtime.str());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QString::fromStdString(test::builtAppDir() + "/zel-gmouse"),
                {QStringLiteral("--simulate"), QStringLiteral("--app-dir"),
                 QString::fromStdString(appDir.appDir())});
    ASSERT_TRUE(first.waitForStarted(5000));
    ZEL_WAIT_UNTIL_MS(std::filesystem::exists(runtime.path() / "CZEL_GMouseApp"), 10000);
    const RenderRun run = renderPagesOf(appDir.appDir(), runtime.str(), runtime.str() + "/pages",
                                        QStringLiteral("--simulate"));
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(runtime.path() / "pages" / "macro.png"));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(2000);
    }
}

TEST(ProgramProcess, ASecondStartRestoresTheFirstAndEnds) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    const QProcessEnvironment env = programEnvironment(runtime.str());
    const QString program = QString::fromStdString(test::builtAppDir() + "/zel-gmouse");
    const QStringList args{QStringLiteral("--simulate"), QStringLiteral("--app-dir"),
                           QString::fromStdString(appDir.appDir())};

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, args);
    ASSERT_TRUE(first.waitForStarted(5000));
    // The first instance listens once its socket is there.
    const auto socket = runtime.path() / "CZEL_GMouseApp";
    ZEL_WAIT_UNTIL_MS(std::filesystem::exists(socket), 10000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, args);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // The first one keeps running.
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(2000);
    }
}
