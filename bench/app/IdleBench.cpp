// What the program costs while nothing happens: the program with the simulated mouse and
// its main window shown on a private X server, beside the minimal window (one shown Qt
// window, nothing else), both left alone. After they have settled, over one measuring span:
// processor time (utime + stime of /proc/<pid>/stat) and wake-ups per second (the growth of
// voluntary_ctxt_switches summed over /proc/<pid>/task/*/status). Both run at the same time,
// so a change of the machine's load touches both alike.
//
// usage: idle_bench [settle seconds (5)] [measured seconds (20)] [program (the built one)]
#include "Spawn.h"
#include "TestServers.h"
#include "TestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ; // the benchmark's own, passed on to the programs it starts

using namespace zel;

namespace {

/// A started program, ended (SIGTERM, then reaped) on destruction.
class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::string>& environment)
        : m_pid(bench::spawnProgram(program, args, environment)) {}
    ~Child() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return m_pid; }
    /// False once the program has ended.
    bool alive() const {
        int status = 0;
        return m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == 0;
    }

private:
    pid_t m_pid = -1;
};

/// Processor time and voluntary context switches of a process, all threads together.
struct Usage {
    long ticks = 0;
    long switches = 0;
};

Usage usageOf(pid_t pid) {
    Usage u;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name (which may hold spaces) start at field 3; utime and
    // stime are fields 14 and 15.
    const auto close = line.rfind(')');
    if (close != std::string::npos) {
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14 || i == 15) {
                u.ticks += std::stol(field);
            }
        }
    }
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator(proc + "/task", ec)) {
        std::ifstream status(task.path() / "status");
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                u.switches += std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    return u;
}

struct Figures {
    double cpuMs = 0;
    double wakeupsPerSecond = 0;
};

std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    const std::vector<std::string> dropped = {"DISPLAY=",
                                              "WAYLAND_DISPLAY=",
                                              "QT_QPA_PLATFORM=",
                                              "XDG_RUNTIME_DIR=",
                                              "XDG_CACHE_HOME=",
                                              "DBUS_SESSION_BUS_ADDRESS=",
                                              "ZEL_GMOUSE_EXIT_AFTER_PAINT=",
                                              "ZEL_GMOUSE_APPDIR="};
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const auto& name : dropped) {
            keep = keep && entry.rfind(name, 0) != 0;
        }
        if (keep) {
            env.push_back(entry);
        }
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

} // namespace

int main(int argc, char** argv) {
    const int settleSeconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int measuredSeconds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (settleSeconds < 0 || measuredSeconds <= 0) {
        std::fprintf(stderr, "usage: idle_bench [settle seconds] [measured seconds]\n");
        return 2;
    }
    const test::XvfbServer display;
    const test::SessionBus bus;
    if (!display.running() || !bus.running()) {
        std::fprintf(stderr, "idle_bench: Xvfb or dbus-daemon did not start\n");
        return 1;
    }
    // Folders of their own, so a running copy of the program is neither met nor disturbed.
    const test::TempAppDir appDir;
    const test::TempDir runtime;
    const test::TempDir cache;
    const std::vector<std::string> env = environmentWith({
        "DISPLAY=" + display.display(),
        "QT_QPA_PLATFORM=xcb",
        "XDG_RUNTIME_DIR=" + runtime.str(),
        "XDG_CACHE_HOME=" + cache.str(),
        "DBUS_SESSION_BUS_ADDRESS=" + bus.address(),
    });
    const std::string program =
        argc > 3 ? std::string(argv[3]) : test::builtAppDir() + "/zel-gmouse";
    const std::string floor = std::string(ZEL_BENCH_DIR) + "/zel_minimal_window";

    const Child minimal(floor, {"--stay"}, env);
    const Child measured(program, {"--simulate", "--app-dir", appDir.appDir()}, env);
    std::this_thread::sleep_for(std::chrono::seconds(settleSeconds));
    if (!minimal.alive() || !measured.alive()) {
        std::fprintf(stderr, "idle_bench: a program ended before the measurement\n");
        return 1;
    }

    const Usage minimalBefore = usageOf(minimal.pid());
    const Usage measuredBefore = usageOf(measured.pid());
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(measuredSeconds));
    const Usage minimalAfter = usageOf(minimal.pid());
    const Usage measuredAfter = usageOf(measured.pid());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double tickMs = 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    const auto figures = [&](const Usage& before, const Usage& after) {
        return Figures{static_cast<double>(after.ticks - before.ticks) * tickMs,
                       static_cast<double>(after.switches - before.switches) / seconds};
    };
    const Figures floorFigures = figures(minimalBefore, minimalAfter);
    const Figures programFigures = figures(measuredBefore, measuredAfter);
    const double extraWakeups = programFigures.wakeupsPerSecond - floorFigures.wakeupsPerSecond;
    const double extraCpuMs = programFigures.cpuMs - floorFigures.cpuMs;

    std::printf("idle over %.1f s (after %d s to settle), processor time in %.0f ms ticks\n",
                seconds, settleSeconds, tickMs);
    std::printf(
        "  minimal window:       %7.0f ms processor (%.2f %% of a core), %7.1f wake-ups/s\n",
        floorFigures.cpuMs, floorFigures.cpuMs / seconds / 10.0, floorFigures.wakeupsPerSecond);
    std::printf(
        "  zel-gmouse --simulate: %6.0f ms processor (%.2f %% of a core), %7.1f wake-ups/s\n",
        programFigures.cpuMs, programFigures.cpuMs / seconds / 10.0,
        programFigures.wakeupsPerSecond);
    // One tick of difference is below what the counters can tell apart.
    const bool wakeupsMet = extraWakeups <= 2.0;
    const bool cpuMet = extraCpuMs <= tickMs;
    std::printf("  beyond the minimal window: %+.0f ms processor, %+.1f wake-ups/s "
                "(targets: no measurable processor time, at most 2 wake-ups/s): %s\n",
                extraCpuMs, extraWakeups, wakeupsMet && cpuMet ? "met" : "missed");
    return 0;
}
