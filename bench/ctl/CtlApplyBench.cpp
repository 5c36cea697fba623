// `zel-gmousectl --simulate apply` against the pause floor of its download (6 ms of
// mandated pauses per block write, 5 ms for the end of transfer), as the download
// benchmark reports it: once as a whole process started the way a script starts it
// (loading the AppDir included), once as the command inside one process.
//   build/bench/ctl_apply_bench --benchmark_min_time=10x
#include "TestSupport.h"
#include "app/Spawn.h"
#include "ctl/CtlTool.h"
#include "dryrun/DryRunSession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <sys/wait.h>

using namespace zel;

namespace {

double floorSeconds(const std::string& appDir) {
    RecordingSleeper sleeper;
    dryrun::DryRunSession session(
        dryrun::DryRunSession::Options{appDir, DeviceLink::kProduct1040, &sleeper, {}});
    static_cast<void>(session.download());
    return std::chrono::duration<double>(sleeper.total()).count();
}

void report(benchmark::State& state, double total, double worst, int runs, double floor) {
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["worst_ratio"] = worst / floor;
    state.counters["ratio"] = runs > 0 ? total / runs / floor : 0.0;
}

void BM_ApplyProcess(benchmark::State& state) {
    const test::TempAppDir dir;
    const double floor = floorSeconds(dir.appDir());
    const std::string tool = std::string(ZEL_BUILT_APP_DIR) + "/zel-gmousectl";
    double worst = 0;
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = bench::spawnProgram(
            "/bin/sh",
            {"-c", "exec \"$0\" --app-dir \"$1\" --simulate apply >/dev/null", tool, dir.appDir()},
            {"PATH=/usr/bin:/bin"});
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("zel-gmousectl apply failed");
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        worst = std::max(worst, took.count());
        total += took.count();
        ++runs;
    }
    report(state, total, worst, runs, floor);
}
BENCHMARK(BM_ApplyProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ApplyCommand(benchmark::State& state) {
    const test::TempAppDir dir;
    const double floor = floorSeconds(dir.appDir());
    dryrun::MemoryPointerSettings pointer;
    double worst = 0;
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        ctl::CtlEnvironment environment(out, err);
        environment.pointer = &pointer;
        const auto start = std::chrono::steady_clock::now();
        const int status =
            ctl::runCtl({"--app-dir", dir.appDir(), "--simulate", "apply"}, environment);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            state.SkipWithError(err.str().c_str());
            return;
        }
        state.SetIterationTime(took.count());
        worst = std::max(worst, took.count());
        total += took.count();
        ++runs;
    }
    report(state, total, worst, runs, floor);
}
BENCHMARK(BM_ApplyCommand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
