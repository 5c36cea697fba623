// A download's worth of block writes through the real sleeper to the in-process simulated
// mouse, measured against the floor its pauses set: 64 blocks of 8 bytes, 6 ms of pauses
// each.
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kBlocks = 64;
constexpr double kFloorMs = kBlocks * 6.0;

void BM_BlockWrites(benchmark::State& state) {
    zel::sim::SimulatedMouse mouse;
    zel::sim::SimHidBackend backend;
    backend.addDevice(mouse, "sim:mouse");
    zel::SteadySleeper sleeper;
    zel::DeviceLink link(backend, sleeper, zel::acceptProductString(""));
    if (!link.open()) {
        state.SkipWithError("the simulated mouse did not open");
        return;
    }
    std::uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    double worstRatio = 0;
    double sumRatio = 0;
    std::size_t reportsPerBlock = 0;
    for (auto _ : state) {
        mouse.clearRecords();
        const auto start = std::chrono::steady_clock::now();
        for (int block = 0; block < kBlocks; ++block) {
            data[0] = static_cast<std::uint8_t>(block);
            link.writeBlock(static_cast<std::uint16_t>(0x100 + 8 * block), data, 8);
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const double ratio = ms / kFloorMs;
        worstRatio = std::max(worstRatio, ratio);
        sumRatio += ratio;
        reportsPerBlock = mouse.reports().size() / kBlocks;
        if (mouse.reports().size() != kBlocks * 10u) {
            state.SkipWithError("a block did not take exactly 10 reports");
            return;
        }
    }
    const double meanRatio = sumRatio / static_cast<double>(state.iterations());
    state.counters["ratio"] = meanRatio;
    state.counters["worst_ratio"] = worstRatio;
    state.counters["reports_per_block"] = static_cast<double>(reportsPerBlock);
    std::printf("64 blocks of 8 bytes: mean %.4f, worst %.4f of the %.0f ms pause floor; "
                "%zu reports per block\n",
                meanRatio, worstRatio, kFloorMs, reportsPerBlock);
}

} // namespace

BENCHMARK(BM_BlockWrites)->Iterations(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
