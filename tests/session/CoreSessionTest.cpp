#include "session/CoreSession.h"

#include "TestSupport.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace zel {
namespace {

using namespace std::chrono_literals;

/// Warnings may come from the download's thread.
class LockedWarnings final : public WarningSink {
public:
    void warn(Tip tip) override {
        std::lock_guard lock(m_mutex);
        m_warnings.push_back(tip);
    }

private:
    std::mutex m_mutex;
    std::vector<Tip> m_warnings;
};

class CountingView final : public RepaintSink {
public:
    void repaint() override { ++repaints; }
    std::atomic<int> repaints{0};
};

class NoPauses final : public Sleeper {
public:
    void sleepFor(std::chrono::microseconds) override {}
};

struct SessionRig {
    explicit SessionRig(const std::string& shareData,
                        const std::function<void(const std::string&)>& prepare = {}) {
        if (prepare) {
            prepare(settingsFile());
        }
        ini::IniStore ini;
        for (const auto& [key, value] : parse(shareData)) {
            static_cast<void>(ini.write(settingsFile(), "ShareData", key, value));
        }
        CoreSessionOptions options;
        options.appDir = app.appDir();
        options.simulate = true;
        options.linkSleeper = &noPauses;
        options.pointer = &pointer;
        core = std::make_unique<CoreSession>(options,
                                             CoreSinks{warnings, messages, chooser, view, owner});
        core->loadSettings();
        core->createDevice();
        core->loadLanguage();
        core->loadMacros();
    }
    ~SessionRig() { core->stopWorkers(); }
    static std::vector<std::pair<std::string, std::string>> parse(const std::string& text) {
        std::vector<std::pair<std::string, std::string>> out;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find(';', at), text.size());
            const std::string item = text.substr(at, end - at);
            const std::size_t eq = item.find('=');
            out.emplace_back(item.substr(0, eq), item.substr(eq + 1));
            at = end + 1;
        }
        return out;
    }
    std::string settingsFile() const { return app.appDir() + "/skins/config/config.ini"; }
    std::string stored(const std::string& section, const std::string& key) const {
        ini::IniStore fresh;
        return fresh.read(settingsFile(), section, key, 259);
    }

    class MemoryPointer final : public system::PointerSettings {
    public:
        std::optional<int> readPointerSpeed() override { return 10; }
        bool writePointerSpeed(int) override { return true; }
        std::optional<int> readWheelLines() override { return 3; }
        bool writeWheelLines(int) override { return true; }
    };

    test::TempAppDir app;
    NoPauses noPauses;
    MemoryPointer pointer;
    LockedWarnings warnings;
    test::RecordingMessageSink messages;
    test::ScriptedFileChooser chooser;
    CountingView view;
    test::QueuedOwnerTasks owner;
    std::unique_ptr<CoreSession> core;
};

// The profile switched on the mouse reaches the records through the owner while a download
// runs on its thread and the owner saves: in the thread build, this is the case that
// shows a record touched by two threads.
TEST(CoreSession, TheMonitorChangesTheProfileWhileADownloadAndASaveRun) {
    SessionRig rig("SOFT_HARD_MAC=1");
    rig.core->startWorkers();
    ASSERT_TRUE(rig.core->connect());
    ProfileStore& store = rig.core->profiles();

    // The download makes the program's profile the mouse's active one: the same one here,
    // so the mouse reports 2 whichever comes first.
    rig.core->state().currentProfile = 2;
    rig.core->startDownload();
    rig.core->state().currentProfile = 0;
    rig.core->simulatedMouse()->changeProfileOnMouse(2);
    store.shared.fireTime = 96;
    EXPECT_TRUE(store.saveAllProfiles(rig.settingsFile(), 0));
    // Not saved: the profile the mouse switched to is read again from the file.
    store.profiles[2].buttonCode[1] = 9;
    ASSERT_TRUE(rig.owner.runUntil([&] {
        return rig.core->state().currentProfile.load() == 2 && store.profiles[2].buttonCode[1] == 2;
    }));
    rig.core->waitForDownload();

    EXPECT_EQ(rig.stored("Init", "CurConfig"), "2");
    EXPECT_EQ(rig.stored("ShareData", "FIRE_TIME"), "96");
    EXPECT_EQ(store.published().current()->profiles[2].buttonCode[1], 2);
    EXPECT_GE(rig.view.repaints.load(), 1);
    // The download wrote the whole configuration meanwhile.
    const sim::DecodedMemory decoded = sim::decodeMemory(rig.core->simulatedMouse()->memory());
    EXPECT_EQ(decoded.buttons[0][2].function, 2);
}

// A download on its thread leaves the owner's records alone; what it changes (a macro that
// cannot be found, the report interval) reaches them as a task when it ends.
TEST(CoreSession, ADownloadHandsItsChangesBackToTheOwner) {
    SessionRig rig("USB_SPEED=0");
    ProfileStore& store = rig.core->profiles();
    ASSERT_TRUE(rig.core->connect());
    store.profiles[1].buttonCode[3] = 256 + 200; // group 0 has no macro 200
    store.shared.reportRateCode = 1;
    rig.core->startDownload();
    ASSERT_TRUE(rig.owner.waitForTask());
    EXPECT_EQ(store.profiles[1].buttonCode[3], 256 + 200); // untouched until the owner runs
    EXPECT_EQ(store.shared.reportRateCode, 1);
    ASSERT_TRUE(rig.owner.runUntil([&] { return rig.owner.waiting() == 0; }));
    EXPECT_EQ(store.profiles[1].buttonCode[3], 0);
    EXPECT_EQ(store.shared.reportRateCode, 7);
    EXPECT_EQ(store.published().current()->profiles[1].buttonCode[3], 0);
    rig.core->waitForDownload();
}

// Waiting for the download takes its changes at once, so a save right after it writes them.
TEST(CoreSession, WaitingForTheDownloadTakesItsChanges) {
    SessionRig rig("USB_SPEED=0");
    ProfileStore& store = rig.core->profiles();
    ASSERT_TRUE(rig.core->connect());
    store.profiles[0].buttonCode[4] = 256 + 201;
    rig.core->startDownload();
    rig.core->waitForDownload();
    EXPECT_EQ(store.profiles[0].buttonCode[4], 0);
    // The task the worker left finds nothing more to do.
    ASSERT_TRUE(rig.owner.runUntil([&] { return rig.owner.waiting() == 0; }));
    EXPECT_EQ(store.profiles[0].buttonCode[4], 0);
}

// The sound-reactive lighting learns the DPI stage a download sets.
TEST(CoreSession, ADownloadSetsTheSoundLightingsDpiStage) {
    SessionRig rig("USB_SPEED=0;DPI_LEVEL=3");
    ASSERT_TRUE(rig.core->connect());
    rig.core->sound().soundDpiStage.store(7);
    rig.core->startDownload();
    rig.core->waitForDownload();
    EXPECT_EQ(rig.core->sound().soundDpiStage.load(), 3);
}

// A settings file that is there but cannot be read whole: the profiles come from the
// factory copy, the session says which file and why, and no save writes over the file.
TEST(CoreSession, ASettingsFileThatCannotBeReadIsLeftAlone) {
    std::uintmax_t size = 0;
    SessionRig rig("", [&size](const std::string& settings) {
        ini::IniStore ini;
        ASSERT_TRUE(ini.write(settings, "Config1", "K1", "9"));
        std::filesystem::resize_file(settings, (64u << 20) + 1); // beyond what is read
        size = std::filesystem::file_size(settings);
    });
    EXPECT_NE(rig.core->settingsProblem().find("config.ini could not be read"), std::string::npos)
        << rig.core->settingsProblem();
    ProfileStore& store = rig.core->profiles();
    EXPECT_EQ(store.profiles[1].buttonCode[1], 2); // the factory assignment, not 9 nor 0
    EXPECT_FALSE(store.saveAllProfiles(rig.settingsFile(), 1));
    EXPECT_FALSE(store.saveProfile(rig.settingsFile(), 1));
    EXPECT_EQ(std::filesystem::file_size(rig.settingsFile()), size);
}

// The monitor and the player read the weapon presets on their threads while the owner
// changes them (the preset dialog, a reset, a language change): they see the presets as
// last published, never a record being written.
TEST(CoreSession, TheWorkersPlayTheWeaponPresetsAsLastPublished) {
    SessionRig rig("");
    rig.core->loadPresets();
    WeaponPresets& presets = rig.core->presets();
    ASSERT_GE(presets.count, 1);
    ASSERT_TRUE(rig.core->publishedPreset(0).has_value());
    EXPECT_EQ(*rig.core->publishedPreset(0), presets.records[0]);
    EXPECT_FALSE(rig.core->publishedPreset(presets.count).has_value());
    EXPECT_FALSE(rig.core->publishedPreset(-1).has_value());

    // A change reaches the workers when it is published.
    const std::uint16_t original = presets.records[0].repeatCount;
    presets.records[0].repeatCount = static_cast<std::uint16_t>(original + 1);
    EXPECT_EQ(rig.core->publishedPreset(0)->repeatCount, original);
    rig.core->publishPresets();
    EXPECT_EQ(rig.core->publishedPreset(0)->repeatCount, original + 1);

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::jthread reader([&] {
        while (!stop.load()) {
            if (const auto record = rig.core->publishedPreset(0)) {
                // A record is whole: its two interval delays always agree.
                EXPECT_EQ(record->delay[0], record->delay[1]);
            }
            ++reads;
        }
    });
    for (std::uint16_t n = 1; n <= 200; ++n) {
        presets.records[0].repeatCount = n;
        presets.records[0].delay[0] = n;
        presets.records[0].delay[1] = n;
        rig.core->publishPresets();
    }
    while (reads.load() == 0) {
        std::this_thread::yield();
    }
    stop = true;
    reader.join();
    EXPECT_EQ(rig.core->publishedPreset(0)->repeatCount, 200);
}

} // namespace
} // namespace zel
