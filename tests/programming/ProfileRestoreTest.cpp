#include "MacroPlayerRig.h"

#include "device/DeviceLink.h"
#include "macros/MacroFiles.h"
#include "programming/LedPreview.h"
#include "programming/MacroPlayerSource.h"
#include "programming/ProfileRestore.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <map>

namespace zel {
namespace {

using namespace std::chrono_literals;

TEST(ProfileRestore, SendsTheMousesDpiColourAndTheProfilesLighting) {
    test::PlayerRig rig;
    rig.configure("[ShareData]\nSOFT_HARD_MAC=1\nDPI_LEVEL=2\nDPI3_R=1\nDPI3_G=2\nDPI3_B=3\n"
                  "LED_TYPE=4\nLED_CYCTIME=2\nLED_FEATURE_DIREC=2\nLED_FEATURE_SYMMETRY=1\n"
                  "LED_BRIGHT=5\nCYC_7COL_EN=127\n");
    rig.store.shared.cycleColourOn = {1, 0, 1, 0, 0, 0, 1}; // changed on the page since
    rig.store.shared.dpiLevel = 5;
    sim::SimulatedMouse mouse;
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "/dev/hidraw-sim");
    RecordingSleeper sleeper;
    DeviceLink link(backend, sleeper, acceptProductString(""));
    ASSERT_TRUE(link.open());
    mouse.setMemory(0x18, {0x1B, 0x3F, 6, 0, 0x80, 0xFF, 7, 0});

    restoreLightingAndDpi(link, rig.store, rig.settingsFile(), sleeper);
    const auto commands = mouse.commands();
    ASSERT_EQ(commands.size(), 2U);
    // Stage 3: 3 x 32 + green 2, red 1 x 16 + blue 3.
    EXPECT_EQ(test::hexBytes(commands[0].bytes, 1, 4), "14 62 13");
    // Colours 0, 2, 6; restore flag, effect 4, speed 2; symmetry, direction 2, extent 11.
    EXPECT_EQ(test::hexBytes(commands[1].bytes, 1, 8), "13 C5 C2 6B 05 00 02");
    EXPECT_EQ(rig.store.shared.cycleColourMask, 0x45);
    EXPECT_EQ(rig.store.shared.dpiLevel, 2); // the stored level
    // The transfer is closed: end of transfer, then the plain report.
    const auto reports = mouse.reports();
    ASSERT_GE(reports.size(), 2U);
    EXPECT_EQ(test::hexBytes(reports[reports.size() - 2].bytes, 1, 3), "18 10");
    EXPECT_EQ(test::hexBytes(reports.back().bytes, 1, 3), "18 00");

    // A stage the model does not have (6 or 7) has no colour to send.
    mouse.clearRecords();
    mouse.setMemory(0x18, {0x1F});
    restoreLightingAndDpi(link, rig.store, rig.settingsFile(), sleeper);
    ASSERT_EQ(mouse.commands().size(), 1U);
    EXPECT_EQ(mouse.commands()[0].bytes[1], 0x13);
}

class PreviewView final : public LedPreviewView {
public:
    void repaint() override { ++repaints; }
    bool lightingPageShown() const override { return repaints < shownFor; }
    std::atomic<int> repaints{0};
    std::atomic<int> shownFor{3};
};

TEST(LedPreview, RepaintsAtThePaceOfTheEffectSpeed) {
    EXPECT_EQ(ledPreviewPause(5), 200ms);
    EXPECT_EQ(ledPreviewPause(0), 1200ms);
    EXPECT_EQ(ledPreviewPause(3), 600ms);
    EXPECT_EQ(ledPreviewPause(6), 200ms); // no pause at all would spin
    EXPECT_EQ(ledPreviewPause(7), 200ms);

    PreviewView view;
    RecordingSleeper sleeper;
    std::atomic<int> speed{5};
    LedPreviewWorker worker(
        view, [&] { return speed.load(); }, sleeper);
    ASSERT_TRUE(worker.start());
    for (int i = 0; i < 2000 && worker.running(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(worker.running()); // the page was left
    EXPECT_EQ(view.repaints.load(), 3);
    EXPECT_EQ(sleeper.pauses(), (std::vector<std::chrono::microseconds>{200ms, 200ms, 200ms}));

    // The next visit starts it again.
    sleeper.clear();
    speed = 0;
    view.shownFor = 4;
    ASSERT_TRUE(worker.start());
    for (int i = 0; i < 2000 && worker.running(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(view.repaints.load(), 4);
    EXPECT_EQ(sleeper.pauses(), (std::vector<std::chrono::microseconds>{1200ms}));
}

TEST(LedPreview, StartsOnlyOnceAndStops) {
    PreviewView view;
    view.shownFor = 1 << 30;
    SteadySleeper sleeper;
    LedPreviewWorker worker(
        view, [] { return 5; }, sleeper);
    ASSERT_TRUE(worker.start());
    EXPECT_FALSE(worker.start()); // already running
    std::this_thread::sleep_for(450ms);
    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_GE(view.repaints.load(), 2);
    EXPECT_LE(view.repaints.load(), 4);
}

/// Group files by number.
class GroupPaths final : public MacroGroupFiles {
public:
    std::optional<std::string> groupFilePath(int group) const override {
        const auto it = paths.find(group);
        return it == paths.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::map<int, std::string> paths;
};

TEST(FileMacroSource, GroupMacrosThatExistAndTheirWriteBack) {
    test::TempDir dir;
    ini::IniStore ini;
    MacVkAndText keys;
    test::RecordingWarningSink warnings;
    MacroFiles files(ini, keys, warnings, 1);
    GroupPaths groups;
    groups.paths[0] = dir.str() + "/G0.dat";
    MacroGroupState group;
    group.groupMacros.count = 2;
    group.groupMacros.records[0] = test::macroOf({{4, 1, 0, 0, 5}});
    group.groupMacros.records[1] = test::macroOf({{5, 1, 0, 0, 6}}, 2, 1);
    group.groupMacros.records[1].extra77 = 10;
    ASSERT_TRUE(files.WriteGroupFile(groups.paths[0], group));

    FileMacroSource source(
        files, groups, ini, [] { return 3; },
        [](int i) -> std::optional<MacroRecord> {
            if (i != 2) {
                return std::nullopt;
            }
            return test::macroOf({{6, 1, 0, 0, 0}});
        });
    const auto second = source.groupMacro(0, 1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->step(0), (MacroStep{5, 1, 0, 0, 6}));
    EXPECT_EQ(second->runMode, 2);
    EXPECT_FALSE(source.groupMacro(0, 2).has_value()); // beyond macroNum
    EXPECT_FALSE(source.groupMacro(1, 0).has_value()); // no such group
    EXPECT_FALSE(source.groupMacro(-1, 0).has_value());
    EXPECT_TRUE(source.weaponPreset(2).has_value());
    EXPECT_FALSE(source.weaponPreset(3).has_value());
    EXPECT_FALSE(source.weaponPreset(-9).has_value());

    MacroRecord changed = *second;
    changed.extra77 = 11;
    EXPECT_TRUE(source.storeGroupMacro(0, 1, changed));
    EXPECT_EQ(source.groupMacro(0, 1)->extra77, 11);
    const std::string before = test::readFile(groups.paths[0]);
    EXPECT_FALSE(source.storeGroupMacro(0, 2, changed)); // not a macro of the group
    EXPECT_FALSE(source.storeGroupMacro(3, 0, changed));
    EXPECT_EQ(test::readFile(groups.paths[0]), before);
    EXPECT_TRUE(warnings.warnings.empty());
}

} // namespace
} // namespace zel
