// The running sound-reactive lighting: the program with the simulated mouse on the
// offscreen platform, measuring a private PulseAudio server (null sink) that a tone is
// played into.
// (1) Processor time of the program (getrusage, all threads) per second, with the switch
//     off and the window shown, then with the switch on and a tone playing; the difference
//     is what the meter, the three timers and the worker cost per second of sound.
// (2) Delay from a step in the played level (silence to a tone: the player is started) to
//     the first sampling tick that hears it and to the first lighting command that shows
//     it (the pulse pattern's loud command), over several steps. The level needs a few
//     loud samples among the 21 it is derived from, and the pattern pauses 480 ms between
//     its quiet commands, so most of the delay is the rhythm of the lights, not work.
//
// usage: sound_bench [measured seconds (5)] [steps (6)]
#include "PulseServer.h"
#include "TestSupport.h"
#include "app/App.h"
#include "lighting/SoundLightState.h"
#include "presentation/LayoutElements.h"
#include "sim/SimulatedMouse.h"
#include "ui/SoundWave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

using namespace zel;
using Clock = std::chrono::steady_clock;

namespace {

class NoPauses final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {}
};

double processorSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

/// Runs the event loop for `seconds`; the processor milliseconds per second it took.
double processorMsPerSecond(double seconds) {
    const double before = processorSeconds();
    QTest::qWait(static_cast<int>(seconds * 1000));
    return (processorSeconds() - before) * 1000.0 / seconds;
}

/// Runs the event loop until `condition` holds or `limitMs` passed.
template <typename Condition>
bool waitUntil(Condition condition, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs) {
            return false;
        }
        QTest::qWait(2);
    }
    return true;
}

void click(QWidget* w, QPoint p) {
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, p);
}

QPoint centre(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

bool isLoudPulse(const std::vector<std::uint8_t>& b) {
    return b.size() >= 8 && b[1] == 0x13 && b[7] == 0xEB && b[5] == 0;
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-44s no value\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %6.1f  median %6.1f  max %6.1f ms (%zu steps)\n", what, values.front(),
                values[values.size() / 2], values.back(), values.size());
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const int steps = argc > 2 ? std::atoi(argv[2]) : 6;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (!test::PulseServer::available()) {
        std::fprintf(stderr, "sound_bench: pulseaudio and its tools are not installed\n");
        return 2;
    }
    test::PulseServer server;
    if (!server.started() || !server.listening()) {
        std::fprintf(stderr, "sound_bench: the sound server did not start\n");
        return 2;
    }

    test::TempAppDir appDir;
    ini::IniStore ini;
    const std::string config = appDir.appDir() + "/skins/config/config.ini";
    static_cast<void>(ini.write(config, "ShareData", "SoundWaveMode", "3"));
    static_cast<void>(ini.write(config, "ShareData", "WaveShowStatu", "0"));
    NoPauses noPauses;
    AppOptions options;
    options.appDir = appDir.appDir();
    options.simulate = true;
    options.noTray = true;
    options.quitApplication = false;
    options.linkSleeper = &noPauses;
    options.audioServer = server.address();
    App app(options);
    app.warningShower = [](const std::string& text) {
        std::fprintf(stderr, "sound_bench: warning: %s\n", text.c_str());
    };
    if (!app.start()) {
        std::fprintf(stderr, "sound_bench: the program did not start\n");
        return 2;
    }
    waitUntil([&] { return !app.state().downloadBusy.load(); }, 20000);
    click(app.mainWindow(), centre(app.skin().main.area(layout::skin_main::kSoundLighting)));
    SoundWave* window = app.soundLighting()->window();
    if (window == nullptr) {
        std::fprintf(stderr, "sound_bench: the sound window did not open\n");
        return 2;
    }
    SoundLightState& state = app.core().sound();
    QTest::qWait(1000);

    // (1) Processor time.
    const double off = processorMsPerSecond(seconds);
    click(window, centre(window->area(kSoundSwitchElement)));
    pid_t player = server.playTone("test_sink", 0.5F, seconds + 3);
    waitUntil([&] { return state.soundLevel.load() > 0; }, 5000);
    QTest::qWait(500);
    const double on = processorMsPerSecond(seconds);
    test::finishProcess(player);
    std::printf("processor time, switch off, window shown    %7.2f ms per s\n", off);
    std::printf("processor time, switch on, tone playing     %7.2f ms per s\n", on);
    std::printf("sound lighting (meter, timers, worker)      %7.2f ms per s of sound (%.2f %%)\n",
                on - off, (on - off) / 10.0);

    // (2) Step delay: from silence (level 0) to a tone.
    std::vector<double> heard;
    std::vector<double> levelled;
    std::vector<double> lit;
    for (int i = 0; i < steps; ++i) {
        if (!waitUntil([&] { return state.soundLevel.load() == 0 && state.sampleHistory[0] == 0; },
                       10000)) {
            continue;
        }
        QTest::qWait(300 + 97 * i); // steps at different phases of the timers
        const Clock::time_point step = Clock::now();
        player = server.playTone("test_sink", 0.5F, 1.5);
        Clock::time_point heardAt{};
        Clock::time_point levelAt{};
        const bool loud = waitUntil(
            [&] {
                if (heardAt == Clock::time_point{} && state.sampleHistory[0].load() > 1) {
                    heardAt = Clock::now();
                }
                if (levelAt == Clock::time_point{} && state.soundLevel.load() > 0) {
                    levelAt = Clock::now();
                }
                for (const sim::SimCommand& c : app.simulatedMouse()->commands()) {
                    if (c.at >= step && isLoudPulse(c.bytes)) {
                        lit.push_back(ms(c.at - step));
                        return true;
                    }
                }
                return false;
            },
            5000);
        if (heardAt != Clock::time_point{}) {
            heard.push_back(ms(heardAt - step));
        }
        if (levelAt != Clock::time_point{}) {
            levelled.push_back(ms(levelAt - step));
        }
        if (!loud) {
            std::fprintf(stderr, "sound_bench: step %d: no loud command\n", i);
        }
        test::finishProcess(player);
    }
    report("step to the first sample that hears it", heard);
    report("step to a level above 0", levelled);
    report("step to the first lighting command for it", lit);
    app.shutDown();
    return 0;
}
