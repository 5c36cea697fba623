// The mouse pulled out in the middle of the work that talks to it: a full download, a
// block read and a software macro being played. None of them crashes or waits for ever,
// nothing is sent once the mouse is gone, and what reached the mouse's memory before is
// exactly what the download meant to write there.
#include "device/DeviceLink.h"
#include "dryrun/DryRunSession.h"
#include "programming/MacroPlayer.h"
#include "sim/SimHidBackend.h"

#include "MacroPlayerRig.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

using dryrun::DryRunSession;

/// Unplugs the mouse at the `at`-th pause of whatever runs.
struct UnplugAtPause {
    UnplugAtPause(RecordingSleeper& sleeper, sim::SimulatedMouse*& mouse, int at) {
        sleeper.onSleep = [&mouse, at, count = 0](std::chrono::microseconds) mutable {
            if (++count == at && mouse != nullptr) {
                mouse->unplug();
            }
        };
    }
};

std::unique_ptr<DryRunSession> openSession(const std::string& appDir, RecordingSleeper& sleeper) {
    auto session = std::make_unique<DryRunSession>(
        DryRunSession::Options{appDir, DeviceLink::kProduct1040, &sleeper, [](Tip) {}});
    EXPECT_TRUE(session->connected());
    return session;
}

TEST(Unplugged, DuringADownloadNothingIsSentAfterwardsAndNothingIsWrittenWrong) {
    test::TempAppDir app;
    RecordingSleeper cleanSleeper;
    auto clean = openSession(app.appDir(), cleanSleeper);
    ASSERT_EQ(clean->download(), DownloadResult::Completed);
    const auto reference = clean->mouse().memory();
    const std::size_t pauses = cleanSleeper.pauses().size();
    ASSERT_GT(pauses, 20u);

    for (const std::size_t at : {std::size_t{1}, std::size_t{7}, pauses / 2, pauses - 2}) {
        SCOPED_TRACE("unplugged at pause " + std::to_string(at));
        RecordingSleeper sleeper;
        sim::SimulatedMouse* mouse = nullptr;
        const UnplugAtPause unplug(sleeper, mouse, static_cast<int>(at));
        auto session = openSession(app.appDir(), sleeper);
        const auto before = session->mouse().memory();
        std::size_t reportsAtUnplug = 0;
        const int listener = session->mouse().addPlugListener([&](bool plugged) {
            if (!plugged) {
                reportsAtUnplug = session->mouse().reports().size();
            }
        });
        mouse = &session->mouse();

        session->download(); // returns, whatever it says
        EXPECT_FALSE(session->mouse().plugged());
        EXPECT_EQ(session->mouse().reports().size(), reportsAtUnplug);
        const auto after = session->mouse().memory();
        for (std::size_t a = 0; a < after.size(); ++a) {
            ASSERT_TRUE(after[a] == before[a] || after[a] == reference[a])
                << "byte " << a << " is neither the old nor the downloaded value";
        }
        session->mouse().removePlugListener(listener);
    }
}

TEST(Unplugged, DuringABlockReadTheReadEndsAndLaterReadsReturnAtOnce) {
    sim::SimulatedMouse simMouse;
    sim::SimHidBackend backend;
    backend.addDevice(simMouse, "/dev/hidraw-sim");
    RecordingSleeper sleeper;
    sim::SimulatedMouse* mouse = &simMouse;
    DeviceLink link{backend, sleeper, acceptProductString("")};
    ASSERT_TRUE(link.open());
    simMouse.setMemory(0x40, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(link.readBlock(0x40, 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));

    const std::size_t pausesOfOneRead = sleeper.pauses().size();
    const UnplugAtPause unplug(sleeper, mouse, 5);
    EXPECT_EQ(link.readBlock(0x40, 8).size(), 8u);
    EXPECT_FALSE(simMouse.plugged());
    const std::size_t reports = simMouse.reports().size();
    EXPECT_EQ(link.readBlock(0x40, 8).size(), 8u);
    EXPECT_EQ(simMouse.reports().size(), reports);
    // Each read still keeps its own pauses (nothing retries or waits longer).
    EXPECT_EQ(sleeper.pauses().size(), 3 * pausesOfOneRead);
}

TEST(Unplugged, DuringAMacroThePlayerEndsItsStepsAndSendsNothingMore) {
    sim::SimulatedMouse simMouse;
    sim::SimHidBackend backend;
    backend.addDevice(simMouse, "/dev/hidraw-sim");
    RecordingSleeper linkSleeper;
    DeviceLink link{backend, linkSleeper, acceptProductString("")};
    ASSERT_TRUE(link.open());
    test::PlayerRig rig;
    LinkPlayerCommands commands(link);
    RecordingSleeper playerSleeper;
    sim::SimulatedMouse* mouse = &simMouse;
    const UnplugAtPause unplug(playerSleeper, mouse, 3);
    MacroPlayer player(rig.state, rig.context(), commands, playerSleeper, [] { return 0U; });

    const MacroRecord r = test::macroOf({{0x04, 1, 0, 0, 10},
                                         {0x04, 2, 0, 0, 10},
                                         {0xF1, 1, 0, 0, 10},
                                         {0xF1, 2, 0, 0, 10},
                                         {0x05, 1, 0, 0, 10},
                                         {0x05, 2, 0, 0, 10}});
    std::size_t reportsAtUnplug = 0;
    simMouse.addPlugListener([&](bool plugged) {
        if (!plugged) {
            reportsAtUnplug = simMouse.reports().size();
        }
    });
    player.play(r, 3);
    EXPECT_FALSE(simMouse.plugged());
    EXPECT_GT(reportsAtUnplug, 0u);
    EXPECT_EQ(simMouse.reports().size(), reportsAtUnplug);
}

} // namespace
} // namespace zel
