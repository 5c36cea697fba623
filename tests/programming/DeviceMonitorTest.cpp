#include "MacroPlayerRig.h"

#include "device/DeviceLink.h"
#include "device/Sleeper.h"
#include "programming/DeviceMonitor.h"
#include "programming/MacroPlayer.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zel {
namespace {

using test::macroOf;
using test::PlayerRig;

/// The player's rig with the simulated mouse behind an opened device link.
struct MonitorRig : PlayerRig {
    MonitorRig() {
        backend.addDevice(mouse, "/dev/hidraw-sim");
        link.open();
    }
    /// The live and input commands the mouse received, as "cmd: the bytes it defines".
    std::vector<std::string> commands() const {
        std::vector<std::string> out;
        for (const sim::SimCommand& c : mouse.commands()) {
            const std::uint8_t cmd = c.bytes.size() > 1 ? c.bytes[1] : 0;
            const std::size_t end = (cmd == 0x10 || cmd == 0x14 || cmd == 0x17) ? 4 : 8;
            const std::size_t from = cmd == 0x16 ? 3 : 2;
            out.push_back(test::hexBytes(c.bytes, 1, 2) + ": " +
                          test::hexBytes(c.bytes, from, end));
        }
        return out;
    }
    void report(std::uint8_t event, std::uint8_t status = 0) {
        const std::uint8_t bytes[8] = {6, event, status, 0, 0, 0, 0, 0};
        store.publish(); // the test thread owns the records and has changed them
        monitor.handleReport(bytes, sizeof bytes);
    }
    void press(int physical) { report(static_cast<std::uint8_t>(0xF0 + physical), 0); }
    void release(int physical, std::uint8_t stage = 0) {
        report(static_cast<std::uint8_t>(0xF0 + physical), static_cast<std::uint8_t>(0x80 | stage));
    }

    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    RecordingSleeper linkSleeper;
    DeviceLink link{backend, linkSleeper, acceptProductString("")};
    DeviceMonitor monitor{state, context(), link};
};

TEST(DeviceMonitor, AProfileChangeOnTheMouseReloadsTheProfileAndWritesCurConfig) {
    MonitorRig rig;
    rig.configure("[Config2]\nK1=7\n");
    ASSERT_TRUE(rig.link.connected());
    rig.mouse.setActiveProfile(2);
    // The file changed since the last load: the event loads it again.
    rig.configure("[Config2]\nK1=9\n");
    rig.store.profiles[2].buttonCode[1] = 7;
    rig.report(3);
    EXPECT_EQ(rig.currentProfile.load(), 2);
    EXPECT_EQ(rig.stored("Init", "CurConfig"), "2");
    EXPECT_EQ(rig.store.profiles[2].buttonCode[1], 9);
    EXPECT_EQ(rig.view.repaints.load(), 1);
    EXPECT_TRUE(rig.commands().empty()); // no button is handed over on this event

    // Without software macros events 1, 2 and 3 are not followed.
    rig.configure("[ShareData]\nSOFT_HARD_MAC=0\n");
    rig.mouse.setActiveProfile(1);
    rig.state.editWorkingMacro([](MacroRecord& r) { r.extra77 = 10; });
    rig.report(3);
    rig.report(1);
    rig.report(2);
    rig.report(2);
    EXPECT_EQ(rig.currentProfile.load(), 2);
    EXPECT_EQ(rig.stored("Init", "CurConfig"), "0"); // as configured
    EXPECT_EQ(rig.state.workingMacro().extra77, 10);
}

TEST(DeviceMonitor, StrengthEventsChangeTheWorkingMacro) {
    MonitorRig rig;
    rig.state.editWorkingMacro([](MacroRecord& r) { r.extra77 = 254; });
    rig.report(1);
    EXPECT_EQ(rig.state.workingMacro().extra77, 255);
    rig.report(1);
    EXPECT_EQ(rig.state.workingMacro().extra77, 0); // 8 bits: 255 wraps to 0
    rig.report(2);
    EXPECT_EQ(rig.state.workingMacro().extra77, 0); // not below 0
    rig.report(1);
    rig.report(1);
    rig.report(2);
    EXPECT_EQ(rig.state.workingMacro().extra77, 1);
}

TEST(DeviceMonitor, IgnoresReportsItDoesNotKnow) {
    MonitorRig rig;
    rig.configure("[Config0]\nK0=300\n");
    const std::uint8_t otherId[3] = {5, 0xF1, 0};
    rig.monitor.handleReport(otherId, 3);
    const std::uint8_t shortReport[1] = {6};
    rig.monitor.handleReport(shortReport, 1);
    rig.monitor.handleReport(nullptr, 0);
    rig.report(0xF0);
    rig.report(0xF9); // physical 9: no button of this model
    rig.report(0);
    EXPECT_FALSE(rig.state.macroPending.load());
    EXPECT_FALSE(rig.state.held.load());
    EXPECT_FALSE(rig.state.dpiPending.load());
    EXPECT_EQ(rig.state.workingSource(), WorkingMacroSource::None);
}

TEST(DeviceMonitor, PressesAndReleasesSetTheWordsThePlayerReads) {
    MonitorRig rig;
    rig.configure("[Config0]\nK1=300\nK2=5\nK4=60\nK5=45\n");
    rig.macros.groups[{0, 44}] = macroOf({{4, 1, 0, 0, 0}});
    rig.macros.presets.resize(11);
    rig.macros.presets[10] = macroOf({{5, 1, 0, 0, 0}});

    rig.press(2); // code 300: macro 44 of group 0
    EXPECT_TRUE(rig.state.held.load());
    EXPECT_TRUE(rig.state.toggled.load());
    EXPECT_TRUE(rig.state.macroPending.load());
    EXPECT_EQ(rig.state.lastEvent.load(), 0xF2);
    EXPECT_EQ(rig.state.lastGroup(), 0);
    EXPECT_EQ(rig.state.lastMacro(), 44);
    EXPECT_EQ(rig.state.workingMacro().code[0], 4);
    EXPECT_FALSE(rig.state.dpiPending.load());

    rig.release(2, 5);
    EXPECT_FALSE(rig.state.held.load());
    EXPECT_TRUE(rig.state.dpiPending.load());
    EXPECT_EQ(rig.state.dpiEvent.load(), 0xF2);
    EXPECT_EQ(rig.state.dpiReportByte.load(), 0x85);
    // The release leaves the pending press alone.
    EXPECT_EQ(rig.state.lastEvent.load(), 0xF2);

    // While a press waits, another press only flips toggled and sets held.
    rig.press(3); // code 5: toggled is cleared for codes below 41
    EXPECT_FALSE(rig.state.toggled.load());
    EXPECT_EQ(rig.state.lastEvent.load(), 0xF2);
    EXPECT_FALSE(rig.state.dpiPending.load()); // a press clears it
    rig.state.macroPending = false;
    rig.press(2);
    EXPECT_TRUE(rig.state.toggled.load());
    rig.press(2);
    EXPECT_FALSE(rig.state.toggled.load());

    rig.press(5); // code 60: weapon preset 10
    EXPECT_EQ(rig.state.workingSource(), WorkingMacroSource::WeaponPreset);
    EXPECT_EQ(rig.state.workingMacro().code[0], 5);
    rig.press(6); // code 45 names no preset: the working macro stays
    EXPECT_EQ(rig.state.workingMacro().code[0], 5);
    EXPECT_TRUE(rig.commands().empty());
}

TEST(DeviceMonitor, SwitchKeys) {
    MonitorRig rig;
    rig.configure("[Config0]\nK1=257\nK2=18\nK3=60\n[ShareData]\nSOFT_HARD_MAC=0\n");
    rig.editTables().switchKey[0][2] = true;
    rig.publishTables();
    rig.macros.groups[{0, 1}] = macroOf({{4, 1, 0, 0, 0}});
    rig.macros.presets.resize(11);
    rig.press(2);
    // Without software macros a switch key still switches on, but its release sends and
    // stores nothing.
    rig.press(3);
    EXPECT_EQ(rig.commands(), std::vector<std::string>{"11: 02 00 00 00 00 00"});
    EXPECT_EQ(rig.state.workingMacro().extra76, 1);
    rig.release(3);
    EXPECT_EQ(rig.commands().size(), 1U);
    EXPECT_TRUE(rig.macros.stored.empty());

    // With software macros the release switches off and stores the working macro, with its
    // changed strength, as the group macro it came from.
    rig.configure("[Config0]\nK1=257\nK2=18\nK3=60\n");
    rig.mouse.clearRecords();
    rig.press(3);
    rig.report(1);
    rig.release(3);
    EXPECT_EQ(rig.commands(),
              (std::vector<std::string>{"11: 02 00 00 00 00 00", "11: 00 00 00 00 00 00"}));
    ASSERT_EQ(rig.macros.stored.size(), 1U);
    EXPECT_EQ(rig.macros.stored[0].group, 0);
    EXPECT_EQ(rig.macros.stored[0].macro, 1);
    EXPECT_EQ(rig.macros.stored[0].record.code[0], 4);
    EXPECT_EQ(rig.macros.stored[0].record.extra76, 1);
    EXPECT_EQ(rig.macros.stored[0].record.extra77, 1);

    // A weapon preset as the working macro is never written over a group macro.
    rig.press(4);
    rig.press(3);
    rig.release(3);
    EXPECT_EQ(rig.macros.stored.size(), 1U);
}

TEST(DeviceMonitor, MacroLightButtonsTakeOverPhysicalButtonOne) {
    MonitorRig rig;
    rig.configure("[Config0]\nK0=1\nK3=256\nLEFT_MAC03=1\nMAC_COR3=4\nK5=257\nLEFT_MAC05=1\n"
                  "MAC_COR5=6\n[ShareData]\nSOFT_HARD_MAC=1\nLED_TYPE=2\nLED_CYCTIME=3\n"
                  "CYC_7COL_EN=5\nLED_BRIGHT=6\nLED_FEATURE_DIREC=1\nLED_FEATURE_SYMMETRY=1\n");
    // The macro colours are shared; the last profile loaded (3) set them to 0.
    rig.store.shared.macroColour[3] = 4;
    rig.store.shared.macroColour[5] = 6;
    rig.press(4);
    EXPECT_TRUE(rig.state.toggleActive.load());
    EXPECT_EQ(rig.state.toggleKey.load(), 3);
    EXPECT_FALSE(rig.state.toggled.load()); // never set by a macro-light button
    rig.release(4);
    rig.press(6); // another macro-light button takes the light over
    EXPECT_EQ(rig.state.toggleKey.load(), 5);
    rig.press(6); // pressed again: button 1 and the lighting come back
    EXPECT_FALSE(rig.state.toggleActive.load());
    EXPECT_EQ(rig.commands(), (std::vector<std::string>{
                                  "10: 01 00",             // physical 1 to the program
                                  "13: 90 14 5B 06 00 02", // colour 4, effect 1, speed 4
                                  "13: C0 14 5B 06 00 02", // colour 6
                                  "10: 01 01",             // the code of button 0
                                  "13: 85 A3 5B 06 00 02", // the profile's own effect
                              }));
    // Without software macros the mark changes nothing on the mouse.
    rig.configure("[Config0]\nK3=256\nLEFT_MAC03=1\n[ShareData]\nSOFT_HARD_MAC=0\n");
    rig.mouse.clearRecords();
    rig.press(4);
    EXPECT_FALSE(rig.state.toggleActive.load());
    EXPECT_TRUE(rig.commands().empty());
}

TEST(DeviceMonitor, ProfileButtonsFollowTheMouseAndHandButtonsOver) {
    MonitorRig rig;
    rig.configure("[Config0]\nK6=20\n[Config1]\nK2=18\nK4=300\nK5=7\nK6=20\nK7=41\n");
    for (auto& f : rig.editTables().function) {
        f[6] = 0x18;
    }
    rig.publishTables();
    rig.state.toggleActive = true;
    rig.state.macroPending = true;
    rig.state.lastEvent = 0xF3;
    rig.mouse.setActiveProfile(1);
    rig.press(7);
    EXPECT_EQ(rig.currentProfile.load(), 1);
    EXPECT_EQ(rig.stored("Init", "CurConfig"), "1");
    EXPECT_EQ(rig.view.repaints.load(), 1);
    EXPECT_FALSE(rig.state.toggleActive.load());
    // The pending press was dropped; this press is the pending one now.
    EXPECT_TRUE(rig.state.macroPending.load());
    EXPECT_EQ(rig.state.lastEvent.load(), 0xF7);
    EXPECT_EQ(rig.commands(), (std::vector<std::string>{"10: 03 00", "10: 05 00", "10: 08 00"}));

    // Without software macros a profile button still reloads, but hands nothing over.
    rig.configure("[Config1]\nK2=18\nK6=20\n[ShareData]\nSOFT_HARD_MAC=0\n");
    rig.mouse.clearRecords();
    rig.mouse.setActiveProfile(3);
    rig.currentProfile = 1;
    rig.press(7);
    EXPECT_EQ(rig.currentProfile.load(), 3);
    EXPECT_EQ(rig.stored("Init", "CurConfig"), "3");
    EXPECT_TRUE(rig.commands().empty());
}

TEST(DeviceMonitor, AClosedLinkLeavesTheProfileAlone) {
    MonitorRig rig;
    rig.mouse.unplug();
    rig.link.handleHotplug({hid::HotplugKind::Removal, "/dev/hidraw-sim"});
    ASSERT_FALSE(rig.link.connected());
    rig.report(3);
    EXPECT_EQ(rig.currentProfile.load(), 0);
    EXPECT_EQ(rig.stored("Init", "CurConfig"), "0");
    EXPECT_EQ(rig.view.repaints.load(), 0);
}

} // namespace
} // namespace zel
