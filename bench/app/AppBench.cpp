// (1) Time from process start to the first painted main window, with the simulated mouse,
//     against a minimal Qt program that shows one window (both on the offscreen platform,
//     both ending at their first paint). The program keeps decoded skin pictures in the
//     user's cache folder: the warm start finds them there (every start after the first),
//     the cold start has an empty folder. Medians of interleaved starts are reported.
// (2) One full repaint of each page against one copy of a full-window picture.
#include "Spawn.h"
#include "TestSupport.h"
#include "app/App.h"
#include "support/RatioReporter.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace zel;

namespace {

/// Runs a program to its end and returns the wall time in seconds.
double runToEnd(const std::string& program, const std::vector<std::string>& args,
                const std::string& runtimeDir, const std::string& cacheDir = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.emplace_back("ZEL_GMOUSE_EXIT_AFTER_PAINT=1");
    env.emplace_back("XDG_RUNTIME_DIR=" + runtimeDir);
    if (!cacheDir.empty()) {
        env.emplace_back("XDG_CACHE_HOME=" + cacheDir);
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = bench::spawnProgram(program, args, std::move(env));
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The start-up times of one benchmark run, kept to report their medians.
struct StartSamples {
    std::vector<double> floor;
    std::vector<double> warm;
    std::vector<double> cold;
};

StartSamples& startSamples() {
    static StartSamples samples;
    return samples;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Each iteration starts the minimal window, the program with a filled picture cache and
/// the program with an empty one, one after the other, so that a change of the machine's
/// load touches all three alike. The iteration's time is the warm start.
void BM_StartToFirstPaint(benchmark::State& state) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    test::TempDir warmCache;
    test::TempDir coldCache;
    const std::string program = test::builtAppDir() + "/zel-gmouse";
    const std::string floor = std::string(ZEL_BENCH_DIR) + "/zel_minimal_window";
    const std::vector<std::string> args = {"--simulate", "--app-dir", appDir.appDir()};
    // One start that ends in order (it renders the pages and shuts down, waiting for the
    // cache entries to be written) fills the warm cache.
    test::TempDir renders;
    std::vector<std::string> fill = args;
    fill.insert(fill.end(), {"--render", renders.str()});
    runToEnd(program, fill, runtime.str(), warmCache.str());
    StartSamples& samples = startSamples();
    for (auto _ : state) {
        samples.floor.push_back(runToEnd(floor, {}, runtime.str()));
        const double warm = runToEnd(program, args, runtime.str(), warmCache.str());
        samples.warm.push_back(warm);
        std::filesystem::remove_all(coldCache.path() / "zel-gmouse");
        samples.cold.push_back(runToEnd(program, args, runtime.str(), coldCache.str()));
        state.SetIterationTime(warm);
    }
    state.counters["floor_ms"] = median(samples.floor) * 1e3;
    state.counters["warm_ms"] = median(samples.warm) * 1e3;
    state.counters["cold_ms"] = median(samples.cold) * 1e3;
}

void printStartRatios() {
    const StartSamples& samples = startSamples();
    const double floor = median(samples.floor);
    if (floor <= 0) {
        return;
    }
    std::printf("start to first paint, medians of %zu: minimal window %.1f ms; program %.1f ms "
                "(ratio %.2f); program with an empty picture cache %.1f ms (ratio %.2f)\n",
                samples.floor.size(), floor * 1e3, median(samples.warm) * 1e3,
                median(samples.warm) / floor, median(samples.cold) * 1e3,
                median(samples.cold) / floor);
}

struct Running {
    test::TempAppDir appDir;
    std::unique_ptr<App> app;
    Running() {
        AppOptions options;
        options.appDir = appDir.appDir();
        options.simulate = true;
        options.noTray = true;
        options.quitApplication = false;
        app = std::make_unique<App>(options);
        app->warningShower = [](const std::string&) {};
        app->start();
    }
};

Running& running() {
    static Running r;
    return r;
}

void BM_RepaintPage(benchmark::State& state) {
    App& app = *running().app;
    app.mainWindow()->pointer().page = static_cast<PageId>(state.range(0));
    // A repaint draws the page straight into the window's backing picture.
    QImage backing(app.mainWindow()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        app.mainWindow()->composeInto(backing);
        benchmark::DoNotOptimize(backing.bits());
    }
    app.mainWindow()->pointer().page = PageId::MainPage;
}

void BM_FloorCopyFullWindowPicture(benchmark::State& state) {
    const QImage source =
        running().app->skin().page(0).normal.convertToFormat(QImage::Format_RGB32);
    QImage target(source.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        p.drawImage(QPoint(0, 0), source);
        p.end();
        benchmark::DoNotOptimize(target.bits());
    }
}

BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintPage)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorCopyFullWindowPicture)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    zel::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printStartRatios();
    for (int page = 0; page < 4; ++page) {
        reporter.printRatio("BM_RepaintPage/" + std::to_string(page),
                            "BM_FloorCopyFullWindowPicture");
    }
    running().app.reset();
    benchmark::Shutdown();
    return 0;
}
