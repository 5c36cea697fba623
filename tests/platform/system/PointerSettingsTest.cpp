#include "XClient.h"

#include "TestServers.h"
#include "TestSupport.h"
#include "platform/ini/IniStore.h"
#include "platform/system/DesktopPointerSettings.h"
#include "platform/system/GnomePointerSettings.h"
#include "platform/system/KdePointerSettings.h"
#include "platform/system/X11PointerSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace zel::system {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

/// Pointer settings that count the calls, with scripted reads.
class FakeSettings final : public PointerSettings {
public:
    std::optional<int> speed;
    std::optional<int> lines;
    std::vector<int> speedWrites;
    std::vector<int> lineWrites;
    std::optional<int> readPointerSpeed() override { return speed; }
    bool writePointerSpeed(int v) override {
        speedWrites.push_back(v);
        return true;
    }
    std::optional<int> readWheelLines() override { return lines; }
    bool writeWheelLines(int v) override {
        lineWrites.push_back(v);
        return true;
    }
};

TEST(PointerSettings, SpeedAndAccelerationScales) {
    EXPECT_DOUBLE_EQ(accelOfSpeed(10), 0.0);
    EXPECT_DOUBLE_EQ(accelOfSpeed(20), 1.0);
    EXPECT_DOUBLE_EQ(accelOfSpeed(1), -0.9);
    EXPECT_DOUBLE_EQ(accelOfSpeed(0), -1.0);
    EXPECT_DOUBLE_EQ(accelOfSpeed(40), 1.0);
    EXPECT_DOUBLE_EQ(accelOfSpeed(-5), -1.0);
    EXPECT_EQ(speedOfAccel(0.0), 10);
    EXPECT_EQ(speedOfAccel(0.25), 13);
    EXPECT_EQ(speedOfAccel(-0.6), 4);
    EXPECT_EQ(speedOfAccel(-1.0), 1); // 0 is not a speed
    EXPECT_EQ(speedOfAccel(3.0), 20);
    EXPECT_EQ(speedOfAccel(std::nan("")), 10);
    for (int v = 1; v <= 20; ++v) {
        EXPECT_EQ(speedOfAccel(accelOfSpeed(v)), v);
    }
}

TEST(PointerSettings, AFailedReadSkipsTheWrite) {
    FakeSettings s;
    EXPECT_FALSE(applyPointerSpeed(s, 14));
    EXPECT_FALSE(applyWheelLines(s, 5));
    EXPECT_TRUE(s.speedWrites.empty());
    EXPECT_TRUE(s.lineWrites.empty());
    s.speed = 10;
    s.lines = 3;
    EXPECT_TRUE(applyPointerSpeed(s, 14));
    EXPECT_TRUE(applyWheelLines(s, 5));
    EXPECT_EQ(s.speedWrites, std::vector<int>{14});
    EXPECT_EQ(s.lineWrites, std::vector<int>{5});

    NoPointerSettings none;
    EXPECT_FALSE(applyPointerSpeed(none, 10));
    EXPECT_FALSE(applyWheelLines(none, 3));
}

// --- GNOME -------------------------------------------------------------------------

/// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(GnomePointerSettings, ReadsAndWritesTheSpeedKeyThroughGsettings) {
    // GSettings' key-file backend keeps the values in a file below a private config home.
    TempDir home;
    ScopedEnv backend("GSETTINGS_BACKEND", "keyfile");
    ScopedEnv config("XDG_CONFIG_HOME", home.str());
    SpawnProcessRunner runner;
    GnomePointerSettings gnome(runner);
    ASSERT_TRUE(gnome.available()) << "gsettings or the desktop schemas are missing";
    EXPECT_EQ(gnome.readPointerSpeed(), 10);
    EXPECT_EQ(gnome.readWheelLines(), std::nullopt);
    EXPECT_FALSE(applyWheelLines(gnome, 5));

    EXPECT_TRUE(applyPointerSpeed(gnome, 15));
    const std::string keyfile = readFile(home.path() / "glib-2.0/settings/keyfile");
    EXPECT_NE(keyfile.find("[org/gnome/desktop/peripherals/mouse]"), std::string::npos);
    EXPECT_NE(keyfile.find("speed=0.5"), std::string::npos) << keyfile;
    EXPECT_EQ(gnome.readPointerSpeed(), 15);

    EXPECT_TRUE(gnome.writePointerSpeed(0));
    EXPECT_NE(readFile(home.path() / "glib-2.0/settings/keyfile").find("speed=-1"),
              std::string::npos);
    EXPECT_EQ(gnome.readPointerSpeed(), 1);
    EXPECT_TRUE(gnome.writePointerSpeed(4));
    EXPECT_EQ(gnome.readPointerSpeed(), 4);
}

/// A runner that answers from a script and records what it was asked to run.
class ScriptedRunner final : public ProcessRunner {
public:
    std::vector<std::vector<std::string>> calls;
    std::optional<ProcessResult> answer;
    std::optional<ProcessResult> run(const std::vector<std::string>& argv) override {
        calls.push_back(argv);
        return answer;
    }
};

TEST(GnomePointerSettings, AnUnreadableKeySkipsTheWrite) {
    ScriptedRunner runner;
    GnomePointerSettings gnome(runner);
    // The command cannot be started.
    EXPECT_FALSE(applyPointerSpeed(gnome, 12));
    ASSERT_EQ(runner.calls.size(), 1U);
    EXPECT_EQ(runner.calls[0][1], "get");
    // The schema is missing: gsettings fails.
    runner.answer = ProcessResult{1, ""};
    EXPECT_FALSE(applyPointerSpeed(gnome, 12));
    // An answer that is not a number.
    runner.answer = ProcessResult{0, "@mb nothing\n"};
    EXPECT_FALSE(applyPointerSpeed(gnome, 12));
    for (const auto& call : runner.calls) {
        EXPECT_EQ(call[1], "get");
    }
    runner.answer = ProcessResult{0, "-0.29999999999999999\n"};
    EXPECT_EQ(gnome.readPointerSpeed(), 7);
    runner.calls.clear();
    EXPECT_TRUE(applyPointerSpeed(gnome, 12));
    ASSERT_EQ(runner.calls.size(), 2U);
    EXPECT_EQ(runner.calls[1],
              (std::vector<std::string>{"gsettings", "set", GnomePointerSettings::kSchema, "speed",
                                        "0.2"}));
}

TEST(SpawnProcessRunner, ReportsOutputExitStatusAndMissingPrograms) {
    SpawnProcessRunner runner;
    const auto ok = runner.run({"sh", "-c", "printf 'a b'; exit 3"});
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(ok->exitStatus, 3);
    EXPECT_EQ(ok->output, "a b");
    EXPECT_FALSE(runner.run({"zel-no-such-program-anywhere"}).has_value());
    EXPECT_FALSE(runner.run({}).has_value());
}

// --- KDE ---------------------------------------------------------------------------

TEST(KdePointerSettings, WheelLinesLiveInKdeglobalsOfTheHome) {
    TempDir home;
    const std::string file = kdeglobalsPath("", home.str());
    EXPECT_EQ(file, home.str() + "/.config/kdeglobals");
    const std::string before = "[General]\n"
                               "ColorScheme=BreezeDark\n"
                               "\n"
                               "[KDE Action Restrictions][$i]\n"
                               "WheelScrollLines=9\n"
                               "\n"
                               "[KDE]\n"
                               "SingleClick=false\n"
                               "WheelScrollLines=5\n"
                               "widgetStyle=Breeze\n";
    writeFile(file, before);
    ini::IniStore ini;
    FakeSettings* speed = nullptr;
    auto speedOwner = std::make_unique<FakeSettings>();
    speed = speedOwner.get();
    KdePointerSettings kde(ini, file, std::move(speedOwner));

    EXPECT_EQ(kde.readWheelLines(), 5);
    EXPECT_TRUE(applyWheelLines(kde, 7));
    std::string after = before;
    after.replace(after.find("WheelScrollLines=5"), 18, "WheelScrollLines=7");
    EXPECT_EQ(readFile(file), after);
    EXPECT_EQ(kde.readWheelLines(), 7);

    // A group nested below [KDE] (or [KDE] marked immutable) could be taken for [KDE]
    // itself: such a file is not touched.
    const std::string nested = "[KDE][$i]\nWheelScrollLines=9\n[KDE]\nWheelScrollLines=5\n";
    writeFile(file, nested);
    EXPECT_EQ(kde.readWheelLines(), std::nullopt);
    EXPECT_FALSE(applyWheelLines(kde, 7));
    EXPECT_FALSE(kde.writeWheelLines(7));
    EXPECT_EQ(readFile(file), nested);

    // The pointer speed goes to the X11 route it was given.
    EXPECT_FALSE(applyPointerSpeed(kde, 12));
    speed->speed = 10;
    EXPECT_TRUE(applyPointerSpeed(kde, 12));
    EXPECT_EQ(speed->speedWrites, std::vector<int>{12});
}

TEST(KdePointerSettings, UnsetKeyAndMissingFolder) {
    TempDir home;
    ini::IniStore ini;
    // A config folder without kdeglobals: KDE's default, and the write creates the file.
    const std::string file = kdeglobalsPath(home.str() + "/cfg", "/nonexistent-home");
    EXPECT_EQ(file, home.str() + "/cfg/kdeglobals");
    std::filesystem::create_directories(home.path() / "cfg");
    KdePointerSettings kde(ini, file, nullptr);
    EXPECT_EQ(kde.readWheelLines(), KdePointerSettings::kDefaultWheelLines);
    EXPECT_EQ(kde.readPointerSpeed(), std::nullopt);
    EXPECT_FALSE(kde.writePointerSpeed(10));
    EXPECT_TRUE(applyWheelLines(kde, 0)); // no scrolling at all is not a KDE value
    EXPECT_EQ(readFile(file), "[KDE]\nWheelScrollLines=1\n");
    EXPECT_TRUE(kde.writeWheelLines(250));
    EXPECT_EQ(kde.readWheelLines(), 100);

    // A home without a config folder: nothing to read, so nothing is written.
    KdePointerSettings lost(ini, kdeglobalsPath("", home.str() + "/none"), nullptr);
    EXPECT_EQ(lost.readWheelLines(), std::nullopt);
    EXPECT_FALSE(applyWheelLines(lost, 4));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "none"));
    KdePointerSettings nowhere(ini, kdeglobalsPath("", ""), nullptr);
    EXPECT_EQ(nowhere.readWheelLines(), std::nullopt);
    EXPECT_FALSE(nowhere.writeWheelLines(3));
}

// --- X11 ---------------------------------------------------------------------------

class X11PointerSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()) << "Xvfb did not start"; }
    test::XvfbServer server;
};

TEST_F(X11PointerSettingsTest, CorePointerAccelerationWithoutLibinputDevices) {
    test::XClient client(server.display());
    ASSERT_TRUE(client.connected());
    const int threshold = client.pointerControl()[2];
    X11PointerSettings x11(server.display());
    ASSERT_TRUE(x11.connected());
    // The server's default acceleration 2/1 is the default speed.
    EXPECT_EQ(x11.readPointerSpeed(), 10);
    EXPECT_FALSE(x11.usedAccelProperty());
    EXPECT_TRUE(applyPointerSpeed(x11, 15));
    EXPECT_EQ(x11.readPointerSpeed(), 15);
    const auto control = client.pointerControl();
    EXPECT_EQ(control[0] * 5, control[1] * 15); // 15/5 (3/1)
    EXPECT_EQ(control[2], threshold);
    EXPECT_TRUE(x11.writePointerSpeed(0)); // below the scale: the slowest speed
    EXPECT_EQ(x11.readPointerSpeed(), 1);
    EXPECT_EQ(x11.readWheelLines(), std::nullopt);
    EXPECT_FALSE(applyWheelLines(x11, 3));
}

TEST_F(X11PointerSettingsTest, LibinputAccelSpeedOfEverySlavePointer) {
    test::XClient client(server.display());
    ASSERT_TRUE(client.connected());
    const std::vector<int> pointers = client.slavePointers();
    ASSERT_FALSE(pointers.empty());
    for (int id : pointers) {
        client.setAccel(id, 0.5F);
    }
    const auto coreBefore = client.pointerControl();

    X11PointerSettings x11(server.display());
    EXPECT_EQ(x11.readPointerSpeed(), 15);
    EXPECT_TRUE(x11.usedAccelProperty());
    EXPECT_TRUE(applyPointerSpeed(x11, 4));
    for (int id : pointers) {
        const auto v = client.accel(id);
        ASSERT_TRUE(v.has_value());
        EXPECT_FLOAT_EQ(*v, -0.6F);
    }
    EXPECT_EQ(x11.readPointerSpeed(), 4);
    EXPECT_EQ(client.pointerControl(), coreBefore); // the core acceleration stays alone

    // Once no device carries the property the core acceleration is used again, even
    // though the property's name is now known to the server.
    for (int id : pointers) {
        client.deleteAccel(id);
    }
    EXPECT_TRUE(x11.writePointerSpeed(20));
    EXPECT_FALSE(x11.usedAccelProperty());
    const auto core = client.pointerControl();
    EXPECT_EQ(core[0], 4 * core[1]);
}

TEST(X11PointerSettings, NoDisplayMeansNoReadsAndNoWrites) {
    X11PointerSettings x11(":999999");
    EXPECT_FALSE(x11.connected());
    EXPECT_EQ(x11.readPointerSpeed(), std::nullopt);
    EXPECT_FALSE(applyPointerSpeed(x11, 10));
    EXPECT_FALSE(x11.writePointerSpeed(10));
}

// --- choice of backend -------------------------------------------------------------

TEST(DesktopPointerSettings, ChoosesTheFirstBackendThatApplies) {
    const auto yes = [] { return true; };
    const auto no = [] { return false; };
    EXPECT_EQ(choosePointerBackend({"ubuntu:GNOME", ":0", "/h", ""}, yes), PointerBackend::Gnome);
    EXPECT_EQ(choosePointerBackend({"Budgie:GNOME", "", "/h", ""}, yes), PointerBackend::Gnome);
    // GNOME without the schema falls through to X11.
    EXPECT_EQ(choosePointerBackend({"GNOME", ":0", "/h", ""}, no), PointerBackend::X11);
    EXPECT_EQ(choosePointerBackend({"GNOME", "", "/h", ""}, no), PointerBackend::Unsupported);
    EXPECT_EQ(choosePointerBackend({"KDE", "", "/h", ""}, yes), PointerBackend::Kde);
    EXPECT_EQ(choosePointerBackend({"XFCE", ":1", "/h", ""}, yes), PointerBackend::X11);
    EXPECT_EQ(choosePointerBackend({"", "", "/h", ""}, yes), PointerBackend::Unsupported);
    EXPECT_EQ(choosePointerBackend({"sway", "", "/h", ""}, yes), PointerBackend::Unsupported);
    // The schema is asked about only on GNOME-family desktops.
    int asked = 0;
    const auto counting = [&] {
        ++asked;
        return true;
    };
    choosePointerBackend({"KDE", ":0", "/h", ""}, counting);
    EXPECT_EQ(asked, 0);
}

TEST(DesktopPointerSettings, KdeOnATemporaryHomeWritesItsKdeglobals) {
    TempDir home;
    std::filesystem::create_directories(home.path() / ".config");
    ScriptedRunner runner;
    ini::IniStore ini;
    auto settings = makePointerSettings({"KDE", "", home.str(), ""}, runner, ini);
    EXPECT_TRUE(applyWheelLines(*settings, 6));
    EXPECT_EQ(readFile(home.path() / ".config/kdeglobals"), "[KDE]\nWheelScrollLines=6\n");
    EXPECT_FALSE(applyPointerSpeed(*settings, 10)); // no display to set it on
    EXPECT_TRUE(runner.calls.empty());

    auto none = makePointerSettings({"", "", home.str(), ""}, runner, ini);
    EXPECT_EQ(none->readPointerSpeed(), std::nullopt);
    EXPECT_EQ(none->readWheelLines(), std::nullopt);
}

} // namespace
} // namespace zel::system
