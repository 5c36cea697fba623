// The sound lighting window opened from the main window, its clicks and settings, and the
// lights following a tone played into a private sound server, on the simulated mouse.
#include "AppFixture.h"
#include "PulseServer.h"
#include "QtTestWait.h"

#include "lighting/SoundWaveModel.h"
#include "presentation/LayoutElements.h"
#include "sim/SimulatedMouse.h"
#include "ui/SoundWave.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

using namespace zel;
using test::AppTest;

namespace {

namespace m = layout::skin_main;

using Bytes = std::vector<std::uint8_t>;

bool isSoundLighting(const Bytes& b) {
    // The sound variant carries its pattern in bytes 6 and 7; the profile's ends 00 02.
    return b.size() >= 8 && b[1] == 0x13 && (b[7] == 0xFF || b[7] == 0xEB);
}

bool isProfileLighting(const Bytes& b) {
    return b.size() >= 8 && b[1] == 0x13 && b[6] == 0x00 && b[7] == 0x02;
}

class SoundWaveTest : public AppTest {
protected:
    void TearDown() override {
        if (m_player > 0) {
            test::finishProcess(m_player);
        }
    }

    /// Starts a private sound server for the program; false (the test skips) without one.
    bool startServer() {
        if (!test::PulseServer::available()) {
            return false;
        }
        server = std::make_unique<test::PulseServer>();
        if (!server->started() || !server->listening()) {
            return false;
        }
        audioServer = server->address();
        return true;
    }

    void setSetting(const std::string& key, const std::string& value) {
        ini::IniStore ini;
        ASSERT_TRUE(
            ini.write(appDir.appDir() + "/skins/config/config.ini", "ShareData", key, value));
    }

    /// Clicks the sound lighting element of the main page.
    void pressSoundElement(App& app) {
        click(app.mainWindow(), centre(app.skin().main.area(m::kSoundLighting)));
    }

    SoundWave* openWindow(App& app) {
        pressSoundElement(app);
        SoundWave* w = app.soundLighting()->window();
        if (w == nullptr || !w->isVisible() || !QTest::qWaitForWindowExposed(w)) {
            return nullptr;
        }
        return w;
    }

    /// A pointer move over the window, with the left button held or not.
    static void moveOver(QWidget* w, QPoint at, bool leftHeld = false) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                         leftHeld ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }

    static QPoint centreOf(const Area& a) { return QPoint(a.x + a.width / 2, a.y + a.height / 2); }

    static std::vector<sim::SimCommand> commandsSince(App& app,
                                                      std::chrono::steady_clock::time_point t) {
        std::vector<sim::SimCommand> out;
        for (sim::SimCommand& c : app.simulatedMouse()->commands()) {
            if (c.at >= t) {
                out.push_back(std::move(c));
            }
        }
        return out;
    }

    void playTone(float amplitude, double seconds) {
        m_player = server->playTone("test_sink", amplitude, seconds);
        ASSERT_GT(m_player, 0);
    }

    std::unique_ptr<test::PulseServer> server;

private:
    pid_t m_player = -1;
};

#define ZEL_NEED_SERVER()                                                                          \
    if (!startServer()) {                                                                          \
        GTEST_SKIP() << "pulseaudio and its tools are not installed";                              \
    }

} // namespace

// Without a sound device the element shows TipText 6 and opens nothing, every time it is
// pressed; in the DPI indicator mode it shows TipText 31 instead.
TEST_F(SoundWaveTest, ElementWithoutASoundDeviceWarnsAndOpensNothing) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    const std::string noDevice = app->core().pack().tipText(Tip::OperationFailed);
    pressSoundElement(*app);
    pressSoundElement(*app);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), noDevice), 2);
    EXPECT_EQ(app->soundLighting()->window(), nullptr);
    EXPECT_FALSE(app->soundLighting()->runner().workerRunning());

    app->profiles().shared.lightMode = 1;
    pressSoundElement(*app);
    EXPECT_EQ(warnings.back(), app->core().pack().tipText(Tip::NoSoundLightingInDpiMode));
    app->shutDown();
}

// The window opens beside a main window centred on the desktop, wherever the main window
// is; the settings are read once, when it is made, and written when it is closed.
TEST_F(SoundWaveTest, OpensBesideACentredMainWindowAndKeepsItsSettings) {
    ZEL_NEED_SERVER();
    setSetting("SoundWaveMode", "4");
    setSetting("SoundSpeaker", "7");
    setSetting("SoundMicroph", "12");
    setSetting("SoundBright2", "3");
    setSetting("WaveShowStatu", "0");
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* main = app->mainWindow();
    main->move(37, 11);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    app->core().sound().soundDpiStage.store(7);
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    // The DPI stage is read from the mouse at every opening.
    EXPECT_EQ(app->core().sound().soundDpiStage.load(),
              app->simulatedMouse()->memory(0x18, 1)[0] & 0x07);
    const QSize desktop = QGuiApplication::primaryScreen()->geometry().size();
    const SoundWindowPlace expected =
        soundWindowPlace(desktop.width(), desktop.height(), main->width(), main->height());
    EXPECT_EQ(w->pos(), QPoint(expected.x, expected.y));
    EXPECT_EQ(app->core().sound().soundMode.load(), 4);
    EXPECT_EQ(app->core().sound().soundShow.load(), 0);
    // Switched off: no meter, no worker, no timers.
    EXPECT_FALSE(app->soundLighting()->runner().running());
    EXPECT_FALSE(app->soundLighting()->runner().workerRunning());
    EXPECT_FALSE(app->soundLighting()->timersRunning());

    // Choose the bar pattern, change the file meanwhile, close: the window writes what it
    // holds, carries the other values through and stores the switch as on.
    click(w, centreOf(w->area(kSoundModeBar)));
    EXPECT_EQ(app->core().sound().soundMode.load(), kSoundModeBar);
    setSetting("SoundSpeaker", "99");
    click(w, centreOf(w->area(kSoundCloseElement)));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(config("ShareData", "SoundWaveMode"), "2");
    EXPECT_EQ(config("ShareData", "SoundSpeaker"), "7");
    EXPECT_EQ(config("ShareData", "SoundMicroph"), "12");
    EXPECT_EQ(config("ShareData", "SoundBright2"), "3");
    EXPECT_EQ(config("ShareData", "WaveShowStatu"), "1");

    // Opening again: the same window at the same place, the settings not read again.
    main->move(300, 200);
    ASSERT_EQ(openWindow(*app), w);
    EXPECT_EQ(w->pos(), QPoint(expected.x, expected.y));
    EXPECT_EQ(app->core().sound().soundMode.load(), kSoundModeBar);
    EXPECT_EQ(app->core().sound().soundShow.load(), 0);
    app->shutDown();
}

// Only elements 0..11 answer the pointer; elements 0, 1 and 5..8 take clicks and do
// nothing; element 11 and everything outside 0..11 move the window.
TEST_F(SoundWaveTest, HitTestAndMovingTheWindow) {
    ZEL_NEED_SERVER();
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    SoundLightState& state = app->core().sound();

    moveOver(w, centreOf(w->area(kSoundModePulse)));
    EXPECT_EQ(w->hot(), kSoundModePulse);
    moveOver(w, centreOf(w->area(kSoundFirstCell + 3)));
    EXPECT_EQ(w->hot(), kSoundNoElement) << "bar cells are not hit-tested";

    for (int element : {0, 5, 6, 7, 8}) {
        if (w->area(element).empty()) {
            continue; // not in this layout
        }
        const QPoint before = w->pos();
        click(w, centreOf(w->area(element)));
        EXPECT_EQ(w->pos(), before) << element;
        EXPECT_FALSE(w->followingPointer()) << element;
        EXPECT_EQ(state.soundMode.load(), 0) << element;
        EXPECT_EQ(state.soundShow.load(), 0) << element;
    }

    // A drag from a bar cell takes the window along.
    const QPoint from = centreOf(w->area(kSoundFirstCell));
    const QPoint start = w->pos();
    QTest::mouseMove(w, from);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_TRUE(w->followingPointer());
    moveOver(w, from + QPoint(40, 25), true);
    EXPECT_EQ(w->pos(), start + QPoint(40, 25));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_FALSE(w->followingPointer());
    EXPECT_EQ(state.soundShow.load(), 0);
    app->shutDown();
}

// A tone raises the samples and the level, the graph shows bars and the pulse pattern's
// loud commands reach the mouse; silence brings the samples and the level back to 0.
TEST_F(SoundWaveTest, ToneDrivesTheLightsAndSilenceFallsToZero) {
    ZEL_NEED_SERVER();
    setSetting("SoundWaveMode", "3");
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    SoundLightState& state = app->core().sound();
    const auto switchedOn = std::chrono::steady_clock::now();
    click(w, centreOf(w->area(kSoundSwitchElement)));
    ASSERT_EQ(state.soundShow.load(), 1);
    EXPECT_TRUE(app->soundLighting()->runner().running());
    EXPECT_TRUE(app->soundLighting()->timersRunning());

    playTone(0.5F, 2.5);
    ZEL_WAIT_UNTIL_MS(state.sampleHistory[0].load() >= 40, 10000);
    ZEL_WAIT_UNTIL(state.soundLevel.load() > 0 && soundGraphShowsBars(state));
    EXPECT_LE(state.sampleHistory[0].load(), 60);
    // The loud half of the pulse: effect 13, speed 2, full extent, brightness 0, 0x3EB.
    const Bytes loudPulse{7, 0x13, 0xFF, 0x52, 0x0B, 0x00, 0x83, 0xEB};
    const auto heardLoudPulse = [&] {
        return std::ranges::any_of(commandsSince(*app, switchedOn), [&](const sim::SimCommand& c) {
            return Bytes(c.bytes.begin(), c.bytes.begin() + 8) == loudPulse;
        });
    };
    ZEL_WAIT_UNTIL(heardLoudPulse());

    ZEL_WAIT_UNTIL_MS(state.sampleHistory[0].load() == 0 && state.soundLevel.load() == 0, 10000);
    EXPECT_FALSE(soundGraphShowsBars(state));
    app->shutDown();
    EXPECT_FALSE(app->soundLighting()->runner().workerRunning());
}

// Turning the switch off closes the meter at once; 250 ms later the worker has ended and
// the profile's lighting is the last lighting command the mouse got. Closing the window
// with the switch on leaves the lights following the sound.
TEST_F(SoundWaveTest, SwitchingOffPutsTheProfileLightingBack) {
    ZEL_NEED_SERVER();
    setSetting("SoundWaveMode", "4");
    setSetting("WaveShowStatu", "1");
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    SoundLightControl& sound = *app->soundLighting();
    SoundLightState& state = app->core().sound();
    EXPECT_EQ(state.soundShow.load(), 1) << "the stored switch turns the lights on";
    EXPECT_TRUE(sound.runner().workerRunning());

    click(w, centreOf(w->area(kSoundCloseElement)));
    EXPECT_FALSE(w->isVisible());
    const auto closed = std::chrono::steady_clock::now();
    // The tempo pattern sends once a tick, hidden window or not.
    const auto soundCommandsSinceClosing = [&] {
        return std::ranges::count_if(commandsSince(*app, closed), [](const sim::SimCommand& c) {
            return isSoundLighting(c.bytes);
        });
    };
    ZEL_WAIT_UNTIL(soundCommandsSinceClosing() >= 2);

    ASSERT_EQ(openWindow(*app), w);
    const auto off = std::chrono::steady_clock::now();
    click(w, centreOf(w->area(kSoundSwitchElement)));
    EXPECT_EQ(state.soundShow.load(), 0);
    EXPECT_FALSE(sound.runner().running()) << "no audio stream while off";
    EXPECT_FALSE(sound.timersRunning());
    ZEL_WAIT_UNTIL(!sound.restorePending());
    EXPECT_GE(std::chrono::steady_clock::now() - off, std::chrono::milliseconds(250));
    EXPECT_FALSE(sound.runner().workerRunning());
    const auto restored = [&] {
        return std::ranges::any_of(commandsSince(*app, off), [](const sim::SimCommand& c) {
            return isProfileLighting(c.bytes);
        });
    };
    ZEL_WAIT_UNTIL(restored());
    QTest::qWait(600); // a tick's worth: nothing of the sound lighting follows
    std::vector<sim::SimCommand> after = commandsSince(*app, off);
    std::erase_if(after, [](const sim::SimCommand& c) { return c.bytes[1] != 0x13; });
    ASSERT_FALSE(after.empty());
    EXPECT_TRUE(isProfileLighting(after.back().bytes));
    app->shutDown();
}

// The server going away while the lights follow the sound harms nothing; when it comes
// back the meter finds it again and measures.
TEST_F(SoundWaveTest, SurvivesTheServerGoingAwayAndMeasuresWhenItReturns) {
    ZEL_NEED_SERVER();
    setSetting("SoundWaveMode", "2");
    setSetting("WaveShowStatu", "1");
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    SoundLightState& state = app->core().sound();
    SoundLightRunner& runner = app->soundLighting()->runner();

    server->stop(true);
    QTest::qWait(500);
    EXPECT_FALSE(w->compose().isNull());
    EXPECT_TRUE(runner.running());
    ZEL_WAIT_UNTIL(!runner.meter()->audioDevicePresent());

    server->start();
    ASSERT_TRUE(server->listening());
    ZEL_WAIT_UNTIL_MS(runner.meter()->audioDevicePresent(), 10000);
    playTone(0.5F, 2.5);
    ZEL_WAIT_UNTIL_MS(state.sampleHistory[0].load() >= 40, 10000);
    app->shutDown();
    EXPECT_FALSE(runner.workerRunning());
}

// Without its layout file the window says so and still opens, empty; the pointer anywhere
// moves it.
TEST_F(SoundWaveTest, MissingLayoutOpensAnEmptyWindow) {
    ZEL_NEED_SERVER();
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    std::filesystem::remove(app->core().folders().languageDir + "/skin_sound.ini");
    // The message box is answered as soon as it shows.
    std::vector<QString> notices;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&notices] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box != nullptr && box->isVisible()) {
                notices.push_back(box->text());
                box->accept();
            }
        }
    });
    answer.start(20);
    SoundWave* w = openWindow(*app);
    answer.stop();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(notices.empty());
    EXPECT_TRUE(w->area(kSoundSwitchElement).empty());
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_TRUE(w->followingPointer());
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    app->shutDown();
}

// Pictures of the sound window with bars, for looking at (ZEL_RENDER_DIR).
TEST_F(SoundWaveTest, RenderTheSoundWindow) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "ZEL_RENDER_DIR not set";
    }
    ZEL_NEED_SERVER();
    setSetting("SoundWaveMode", "3");
    QDir().mkpath(folder);
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    SoundWave* w = openWindow(*app);
    ASSERT_NE(w, nullptr);
    SoundLightState& state = app->core().sound();
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/sound_off.png")));
    state.setShow(1);
    // A made-up history: a swelling and fading tone.
    for (int i = 0; i < kSampleHistoryLength; ++i) {
        const int v = std::clamp(100 - std::abs(i - 18) * 5 - (i % 3) * 7, 0, 100);
        state.sampleHistory[static_cast<std::size_t>(i)].store(v);
    }
    state.soundLevel.store(6);
    moveOver(w, centreOf(w->area(kSoundModeTempo)));
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/sound_bars.png")));
    state.setShow(0);
    app->shutDown();
}
