#include "platform/audio/PulsePeakMeter.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zel::audio {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return false;
}

// Starts `argv` with `environment` added to ours; -1 when it could not be started.
pid_t spawn(const std::vector<std::string>& argv,
            const std::vector<std::string>& environment = {}) {
    std::vector<std::string> env = environment;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A throwaway PulseAudio server: a null sink "test_sink" and the native protocol on a
// socket in a folder of its own, with no other configuration.
class PulseServer {
public:
    PulseServer() {
        fs::create_directories(m_dir.path() / "run");
        fs::permissions(m_dir.path() / "run", fs::perms::owner_all);
        start();
    }
    ~PulseServer() { stop(); }

    void start() {
        m_pid =
            spawn({"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no",
                   "--disable-shm=yes", "--load=module-null-sink sink_name=test_sink",
                   "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket()},
                  environment());
    }

    void stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            finish(m_pid);
            m_pid = -1;
        }
        std::error_code ignored;
        fs::remove(socket(), ignored); // a killed server may leave it behind
    }

    bool started() const { return m_pid > 0; }
    std::string socket() const { return (m_dir.path() / "native").string(); }
    std::string address() const { return "unix:" + socket(); }

    /// Runs a client tool of the server to its end; its exit status.
    int run(std::vector<std::string> argv) const {
        argv.insert(argv.begin() + 1, "--server=" + address());
        return finish(spawn(argv, environment()));
    }

    /// Plays `seconds` of a 440 Hz tone of peak `amplitude` into `sink`, without waiting.
    pid_t playTone(const std::string& sink, float amplitude, double seconds) const {
        const fs::path file = m_dir.path() / "tone.raw";
        {
            std::ofstream out(file, std::ios::binary);
            constexpr int kRate = 44100;
            const int count = static_cast<int>(seconds * kRate);
            for (int i = 0; i < count; ++i) {
                const float value =
                    amplitude *
                    static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * i / kRate));
                out.write(reinterpret_cast<const char*>(&value), sizeof value);
            }
        }
        return spawn({"paplay", "--server=" + address(), "--device=" + sink, "--raw",
                      "--format=float32le", "--rate=44100", "--channels=1", file.string()},
                     environment());
    }

private:
    std::vector<std::string> environment() const {
        const std::string dir = m_dir.str();
        return {"XDG_RUNTIME_DIR=" + dir + "/run", "HOME=" + dir,
                "XDG_CONFIG_HOME=" + dir + "/config", "PULSE_RUNTIME_PATH=" + dir + "/run/pulse",
                "PULSE_STATE_PATH=" + dir + "/state"};
    }

    test::TempDir m_dir;
    pid_t m_pid = -1;
};

// The loudest reading over `limit`, read at the sampling pace of 96 ms.
float loudest(PeakMeter& meter, std::chrono::milliseconds limit) {
    float highest = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(96ms);
        highest = std::max(highest, meter.takePeak());
    }
    return highest;
}

// Waits (on a busy machine the player may take a while to start) for the first reading
// above silence, then returns the loudest reading of the next half second.
float toneLevel(PeakMeter& meter) {
    const bool heard = eventually([&] {
        std::this_thread::sleep_for(96ms);
        return meter.takePeak() > 0.01F;
    });
    return heard ? loudest(meter, 500ms) : 0.0F;
}

// The loudest reading until `player` ends.
float loudestUntilEnd(PeakMeter& meter, pid_t player) {
    float highest = 0;
    int status = 0;
    while (::waitpid(player, &status, WNOHANG) == 0) {
        std::this_thread::sleep_for(96ms);
        highest = std::max(highest, meter.takePeak());
    }
    std::this_thread::sleep_for(200ms); // what was still on its way
    return std::max(highest, meter.takePeak());
}

class PulsePeakMeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!onPath("pulseaudio") || !onPath("paplay") || !onPath("pactl")) {
            GTEST_SKIP() << "pulseaudio and its tools are not installed";
        }
        m_server = std::make_unique<PulseServer>();
        ASSERT_TRUE(m_server->started());
        ASSERT_TRUE(eventually([&] { return fs::exists(m_server->socket()); }))
            << "the server did not open its socket";
    }

    std::unique_ptr<PulseServer> m_server;
};

TEST_F(PulsePeakMeterTest, ToneReadsBackAndSilenceFallsToZero) {
    PulsePeakMeter meter(m_server->address());
    ASSERT_TRUE(meter.audioDevicePresent());
    EXPECT_TRUE(eventually([&] { return meter.monitorSource() == "test_sink.monitor"; }));

    const pid_t player = m_server->playTone("test_sink", 0.25F, 3.0);
    ASSERT_GT(player, 0);
    EXPECT_NEAR(toneLevel(meter), 0.25F, 0.03F);
    EXPECT_EQ(finish(player), 0);

    // After the tone the readings fall to 0, and a reading starts the next measurement.
    EXPECT_TRUE(eventually([&] {
        std::this_thread::sleep_for(96ms);
        return meter.takePeak() == 0.0F;
    }));
    EXPECT_EQ(meter.takePeak(), 0.0F);
}

TEST_F(PulsePeakMeterTest, FollowsTheDefaultSink) {
    PulsePeakMeter meter(m_server->address());
    ASSERT_TRUE(meter.audioDevicePresent());
    ASSERT_EQ(m_server->run({"pactl", "load-module", "module-null-sink", "sink_name=other_sink"}),
              0);
    ASSERT_EQ(m_server->run({"pactl", "set-default-sink", "other_sink"}), 0);
    ASSERT_TRUE(eventually([&] { return meter.monitorSource() == "other_sink.monitor"; }))
        << meter.monitorSource();

    // What the first sink plays is no longer measured; what the new default plays is.
    pid_t player = m_server->playTone("test_sink", 0.5F, 0.6);
    EXPECT_LT(loudestUntilEnd(meter, player), 0.01F);
    player = m_server->playTone("other_sink", 0.5F, 3.0);
    EXPECT_NEAR(toneLevel(meter), 0.5F, 0.05F);
    finish(player);
}

TEST_F(PulsePeakMeterTest, ConnectsAgainWhenTheServerComesBack) {
    PulsePeakMeter meter(m_server->address(), 100ms);
    ASSERT_TRUE(meter.audioDevicePresent());

    m_server->stop();
    EXPECT_TRUE(eventually([&] { return !meter.audioDevicePresent(); }));
    EXPECT_EQ(meter.monitorSource(), "");
    EXPECT_EQ(meter.takePeak(), 0.0F);

    m_server->start();
    ASSERT_TRUE(eventually([&] { return meter.audioDevicePresent(); }));
    EXPECT_TRUE(eventually([&] { return meter.monitorSource() == "test_sink.monitor"; }));
    const pid_t player = m_server->playTone("test_sink", 0.25F, 3.0);
    EXPECT_NEAR(toneLevel(meter), 0.25F, 0.03F);
    finish(player);
}

TEST(PulsePeakMeter, NoServerIsNoDevice) {
    test::TempDir dir;
    const auto started = std::chrono::steady_clock::now();
    PulsePeakMeter meter("unix:" + (dir.path() / "nothing-here").string(), 50ms);
    EXPECT_FALSE(meter.audioDevicePresent());
    EXPECT_LT(std::chrono::steady_clock::now() - started, PulsePeakMeter::settleTimeout);
    EXPECT_EQ(meter.takePeak(), 0.0F);
    EXPECT_EQ(meter.monitorSource(), "");
    std::this_thread::sleep_for(200ms); // a few attempts again
    EXPECT_FALSE(meter.audioDevicePresent());
}

} // namespace
} // namespace zel::audio
