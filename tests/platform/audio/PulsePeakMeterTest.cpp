#include "platform/audio/PulsePeakMeter.h"

#include "PulseServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace zel::audio {
namespace {

using namespace std::chrono_literals;

using test::eventually;
using test::PulseServer;

int finish(pid_t pid) {
    return test::finishProcess(pid);
}

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
        if (!PulseServer::available()) {
            GTEST_SKIP() << "pulseaudio and its tools are not installed";
        }
        m_server = std::make_unique<PulseServer>();
        ASSERT_TRUE(m_server->started());
        ASSERT_TRUE(m_server->listening()) << "the server did not open its socket";
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

// The question without a meter: a real sink, only the placeholder, no server.
TEST_F(PulsePeakMeterTest, DevicePresentAsksTheServer) {
    EXPECT_TRUE(PulsePeakMeter::devicePresent(m_server->address()));
    ASSERT_EQ(m_server->run({"pactl", "unload-module", "module-null-sink"}), 0);
    EXPECT_FALSE(PulsePeakMeter::devicePresent(m_server->address()));
    test::TempDir dir;
    EXPECT_FALSE(PulsePeakMeter::devicePresent("unix:" + (dir.path() / "nothing-here").string()));
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
