// (1) Time from process start to the first painted main window, with the simulated mouse,
//     against a minimal Qt program that shows one window (both on the offscreen platform,
//     both ending at their first paint). The program keeps decoded skin pictures in the
//     user's cache folder: the warm run finds them there (every start after the first),
//     the cold run empties the folder before each start.
// (2) One full repaint of each page against one copy of a full-window picture.
#include "TestSupport.h"
#include "app/App.h"
#include "support/RatioReporter.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

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
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void startToFirstPaint(benchmark::State& state, bool cold) {
    test::TempAppDir appDir;
    test::TempDir runtime;
    test::TempDir cache;
    const std::string program = test::builtAppDir() + "/zel-gmouse";
    const std::vector<std::string> args = {"--simulate", "--app-dir", appDir.appDir()};
    runToEnd(program, args, runtime.str(), cache.str()); // the warm run's cache is filled
    for (auto _ : state) {
        if (cold) {
            std::filesystem::remove_all(cache.path() / "zel-gmouse");
        }
        state.SetIterationTime(runToEnd(program, args, runtime.str(), cache.str()));
    }
}

void BM_StartToFirstPaint(benchmark::State& state) {
    startToFirstPaint(state, false);
}

void BM_StartToFirstPaintColdCache(benchmark::State& state) {
    startToFirstPaint(state, true);
}

void BM_FloorMinimalWindow(benchmark::State& state) {
    test::TempDir runtime;
    const std::string program = std::string(ZEL_BENCH_DIR) + "/zel_minimal_window";
    for (auto _ : state) {
        state.SetIterationTime(runToEnd(program, {}, runtime.str()));
    }
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
    app.state().pointer.page = static_cast<PageId>(state.range(0));
    // A repaint draws the page straight into the window's backing picture.
    QImage backing(app.mainWindow()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        app.mainWindow()->composeInto(backing);
        benchmark::DoNotOptimize(backing.bits());
    }
    app.state().pointer.page = PageId::MainPage;
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

BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFirstPaintColdCache)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorMinimalWindow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintPage)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorCopyFullWindowPicture)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    zel::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_StartToFirstPaint/iterations:20/manual_time",
                        "BM_FloorMinimalWindow/iterations:20/manual_time");
    reporter.printRatio("BM_StartToFirstPaintColdCache/iterations:20/manual_time",
                        "BM_FloorMinimalWindow/iterations:20/manual_time");
    for (int page = 0; page < 4; ++page) {
        reporter.printRatio("BM_RepaintPage/" + std::to_string(page),
                            "BM_FloorCopyFullWindowPicture");
    }
    running().app.reset();
    benchmark::Shutdown();
    return 0;
}
