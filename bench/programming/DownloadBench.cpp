// The full download of the shipped configuration (seven macro streams) into the in-process
// simulated mouse with the real sleeper, against its pause floor: 6 ms of mandated pauses
// per block write and 5 ms for the end of transfer. Reported per download: the wall time,
// the floor and their ratio.
//   build/bench/download_bench --benchmark_min_time=10x
#include "TestSupport.h"
#include "dryrun/DryRunSession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

using namespace zel;

namespace {

struct Shape {
    int writes = 0;
    int macroWrites = 0;
    std::chrono::microseconds floor{0};
};

// The block writes of one download and the sum of their pauses, counted once with a
// recording sleeper.
Shape shapeOfDownload(const std::string& appDir) {
    RecordingSleeper sleeper;
    dryrun::DryRunSession session(
        dryrun::DryRunSession::Options{appDir, DeviceLink::kProduct1040, &sleeper, {}});
    Shape shape;
    session.download([&](const ImageOp& op) {
        if (const auto* w = std::get_if<BlockWrite>(&op)) {
            ++shape.writes;
            shape.macroWrites += w->address >= 0x400 ? 1 : 0;
        }
    });
    shape.floor = sleeper.total();
    return shape;
}

void BM_FullDownload(benchmark::State& state) {
    const std::string appDir = test::builtAppDir();
    const Shape shape = shapeOfDownload(appDir);
    dryrun::DryRunSession session(
        dryrun::DryRunSession::Options{appDir, DeviceLink::kProduct1040, nullptr, {}});
    if (!session.connected()) {
        state.SkipWithError("the simulated mouse did not answer");
        return;
    }
    double worst = 0;
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(session.download());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        worst = std::max(worst, took.count());
        total += took.count();
        ++runs;
    }
    const double floorSeconds = std::chrono::duration<double>(shape.floor).count();
    state.counters["writes"] = shape.writes;
    state.counters["macro_writes"] = shape.macroWrites;
    state.counters["floor_ms"] = floorSeconds * 1e3;
    state.counters["worst_ratio"] = worst / floorSeconds;
    // Mean wall time of a download over its floor.
    state.counters["ratio"] = runs > 0 ? total / runs / floorSeconds : 0.0;
}
BENCHMARK(BM_FullDownload)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
