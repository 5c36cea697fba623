// The software macro player end to end, on the real clock: a press on the in-process
// simulated mouse reaches the event monitor, the player plays a keyboard macro through the
// device link, and the mouse records when each keyboard report arrives. Reported: the error
// of every played step delay (time between two successive keyboard reports) against the
// macro's delay, as median and 99th percentile.
#include "TestSupport.h"
#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "programming/DeviceMonitor.h"
#include "programming/DeviceMonitorTables.h"
#include "programming/MacroPlayer.h"
#include "programming/MacroPlayerSource.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace zel;
using Clock = std::chrono::steady_clock;

constexpr int kSteps = 200;

/// One macro in group 0.
class OneMacro final : public SoftMacroSource {
public:
    explicit OneMacro(MacroRecord record) : m_record(std::move(record)) {}
    std::optional<MacroRecord> groupMacro(int group, int macro) override {
        if (group == 0 && macro == 0) {
            return m_record;
        }
        return std::nullopt;
    }
    std::optional<MacroRecord> weaponPreset(int) override { return std::nullopt; }
    bool storeGroupMacro(int, int, const MacroRecord&) override { return false; }

private:
    MacroRecord m_record;
};

class NoRepaint final : public RepaintSink {
public:
    void repaint() override {}
};

/// 200 keyboard steps, presses and releases of A..Z, with delays of 1..40 ms in a fixed
/// order.
MacroRecord keyboardMacro() {
    MacroRecord r;
    r.repeatCount = 1;
    unsigned x = 12345;
    for (int s = 0; s < kSteps; ++s) {
        x = x * 1103515245U + 12345U;
        const auto key = static_cast<std::uint8_t>(4 + (s / 2) % 26);
        const auto delay = static_cast<std::uint16_t>(1 + (x >> 16) % 40);
        r.setStep(s, MacroStep{key, static_cast<std::uint8_t>(s % 2 == 0 ? 1 : 2), 0, 0, delay});
    }
    r.stepCount = kSteps;
    return r;
}

const char* priorityName(WorkerPriority p) {
    switch (p) {
    case WorkerPriority::RealTime:
        return "real-time";
    case WorkerPriority::Raised:
        return "raised (nice -10)";
    case WorkerPriority::Unchanged:
        break;
    }
    return "unchanged (no permission to raise it)";
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

void BM_SoftwareMacroStepDelays(benchmark::State& state) {
    test::TempDir dir;
    const std::string configDir = dir.str() + "/";
    test::writeFile(configDir + "config.ini",
                    "[Init]\nCurConfig=0\n[Config0]\nK1=256\n[ShareData]\nSOFT_HARD_MAC=1\n");
    ini::IniStore ini;
    NullWarningSink warnings;
    MacVkAndText keys;
    ProfileStore store(ini, warnings, keys, [] { return 1; });
    store.loadProfile(configDir, 0, false);
    store.publish();
    DeviceDescription device;
    device.keyCount = 2;
    device.keyMap = {1, 2};
    device.slotByKey[1] = 0;
    device.slotByKey[2] = 1;
    device.keyHasSlot[1] = device.keyHasSlot[2] = true;
    SharedButtonTables tables;
    const MacroRecord macro = keyboardMacro();
    OneMacro macros(macro);
    NoRepaint view;
    std::atomic<std::int32_t> currentProfile{0};
    SoftMacroContext context{store, currentProfile,           device,   tables, macros, view,
                             ini,   configDir + "config.ini", configDir};

    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "sim:mouse");
    SteadySleeper sleeper;
    DeviceLink link(backend, sleeper, acceptProductString(""));
    if (!link.open()) {
        state.SkipWithError("the simulated mouse did not open");
        return;
    }
    SoftMacroState shared;
    LinkPlayerCommands commands(link);
    DeviceMonitor monitor(shared, context, link);
    MacroPlayer player(shared, context, commands, sleeper);
    DeviceMonitorWorker monitorWorker(monitor, link);
    MacroPlayerWorker playerWorker(player);

    // What the workers got: the same call from a thread of the same process.
    std::atomic<WorkerPriority> priority{WorkerPriority::Unchanged};
    std::thread([&] { priority = raiseWorkerPriority(); }).join();

    std::vector<double> errors;
    for (auto _ : state) {
        mouse.clearRecords();
        mouse.pressButton(2);
        mouse.releaseButton(2);
        // Wait without touching the mouse while the macro plays: its lock is the one the
        // player's reports take, and a waiting reader must not hold it up.
        const auto limit = Clock::now() + std::chrono::seconds(30);
        while (!shared.macroPending.load() && Clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        while (shared.macroPending.load() && Clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::vector<Clock::time_point> arrivals;
        for (const auto& c : mouse.commands()) {
            if (c.bytes.size() > 1 && c.bytes[1] == 0x15) {
                arrivals.push_back(c.at); // the steps and the closing release of everything
            }
        }
        if (arrivals.size() != kSteps + 1) {
            state.SkipWithError("the macro was not played as a whole");
            break;
        }
        for (int s = 0; s + 1 < kSteps; ++s) {
            const double played = std::chrono::duration<double, std::milli>(
                                      arrivals[static_cast<std::size_t>(s) + 1] -
                                      arrivals[static_cast<std::size_t>(s)])
                                      .count();
            errors.push_back(std::fabs(played - macro.delay[static_cast<std::size_t>(s)]));
        }
    }
    playerWorker.stop();
    monitorWorker.stop();
    if (errors.empty()) {
        return;
    }
    const double median = percentile(errors, 0.5);
    const double p99 = percentile(errors, 0.99);
    const double worst = percentile(errors, 1.0);
    state.counters["median_error_ms"] = median;
    state.counters["p99_error_ms"] = p99;
    state.counters["max_error_ms"] = worst;
    state.counters["steps"] = static_cast<double>(errors.size());
    std::printf("keyboard step delays, %zu steps: error median %.3f ms, p99 %.3f ms, max %.3f ms "
                "(targets: median < 0.5 ms, p99 < 2 ms); worker scheduling: %s\n",
                errors.size(), median, p99, worst, priorityName(priority.load()));
}

} // namespace

BENCHMARK(BM_SoftwareMacroStepDelays)->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
