#include "device/DeviceCommands.h"
#include "dryrun/DryRunSession.h"
#include "programming/MacroImage.h"
#include "sim/MemoryDecoder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace zel {
namespace {

using dryrun::DryRunSession;

constexpr int kEnglish = 1;
// Game group (group 1): macro 3 is "Quick Heal" with a 6 s pause; macro 5 is added below.
constexpr std::int32_t kQuickHeal = 2 * 256 + 3;
constexpr std::int32_t kRapidFire = 2 * 256 + 5;

// Appends a run-mode-2 macro of two 5 ms steps to the Game group of a copied AppDir.
void addRapidFire(const std::string& appDir) {
    ini::IniStore store;
    MacVkAndText keys;
    NullWarningSink none;
    MacroFiles files(store, keys, none, kEnglish);
    const std::string path = appDir + "/skins/1_INI_EN/macro/Game.dat";
    MacroGroupState group;
    files.ReadGroupFile(path, group);
    ASSERT_EQ(group.groupMacros.count, 5);
    MacroRecord& m = group.groupMacros.records[5];
    m.setNameUtf8("Rapid Fire");
    m.runMode = 2;
    m.repeatCount = 1;
    m.extra77 = 10;
    m.setStep(0, MacroStep{kCodeLeftButton, kActionPress, 0, 0, 5});
    m.setStep(1, MacroStep{kCodeLeftButton, kActionRelease, 0, 0, 5});
    m.stepCount = 2;
    group.groupMacros.count = 6;
    ASSERT_TRUE(files.WriteGroupFile(path, group));
}

// The function each kind of assignment must arrive with on the mouse.
int expectedFunction(std::int32_t code, std::uint8_t macroMode, std::int32_t light) {
    if (code >= 0 && code <= 6) {
        return code;
    }
    if ((code >= 7 && code <= 14) || code == 16 || code == 17) {
        return code - 5;
    }
    if (code >= 23 && code <= 32) {
        return 0x0F;
    }
    if (code >= 33 && code <= 29999) {
        const bool lit = light != 0 || (code >= 50 && code <= 255);
        const bool loop = (macroMode & 3) == 2;
        return lit ? (loop ? 0x1F : 0x1E) : (loop ? 0x0E : 0x0D);
    }
    ADD_FAILURE() << "code not used by these tests: " << code;
    return -1;
}

// A macro's steps as the mouse must read them back.
void expectStream(const MacroRecord& m, const sim::DecodedMacro& decoded, const std::string& what) {
    SCOPED_TRACE(what);
    const int mode = m.runMode & 3;
    EXPECT_EQ(decoded.repeat, mode == 1 || mode == 2 ? 1 : m.repeatCount);
    ASSERT_EQ(decoded.steps.size(), m.stepCount);
    for (int s = 0; s < m.stepCount; ++s) {
        const MacroStep step = m.step(s);
        const sim::DecodedStep& d = decoded.steps[static_cast<std::size_t>(s)];
        const int delay = std::max(1, std::min<int>(step.delay, 10000));
        EXPECT_EQ(d.delay, delay) << "step " << s;
        EXPECT_EQ(d.code, step.code) << "step " << s;
        if (step.code == kCodeMove) {
            EXPECT_EQ(d.kind, sim::DecodedStepKind::Move);
        } else if (step.action == kActionPress && step.code != kCodePause) {
            EXPECT_EQ(d.kind, sim::DecodedStepKind::Press) << "step " << s;
        } else {
            EXPECT_EQ(d.kind, sim::DecodedStepKind::Release) << "step " << s;
        }
    }
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { addRapidFire(app.appDir()); }

    std::unique_ptr<DryRunSession> open(std::uint16_t product = DeviceLink::kProduct1040) {
        auto session = std::make_unique<DryRunSession>(DryRunSession::Options{
            app.appDir(), product, &sleeper, [this](Tip tip) { warnings.push_back(tip); }});
        EXPECT_TRUE(session->usable());
        EXPECT_TRUE(session->connected());
        return session;
    }

    test::TempAppDir app;
    RecordingSleeper sleeper;
    std::vector<Tip> warnings;
};

TEST_F(EndToEnd, ShippedSettingsArriveFieldByField) {
    auto session = open();
    ProfileStore& store = session->store();
    auto& profiles = store.profiles;
    // Beside the shipped assignments: the Copy macro of profile 3 also on profile 2's last
    // button (shared), the run-mode-2 macro, a macro with long pauses, and a macro of a
    // group that does not exist.
    profiles[2].buttonCode[7] = 256;
    profiles[0].buttonCode[4] = kRapidFire;
    profiles[1].buttonCode[6] = kQuickHeal;
    profiles[0].buttonCode[6] = 5 * 256 + 1;

    ASSERT_EQ(session->download(), DownloadResult::Completed);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(profiles[0].buttonCode[6], 0) << "assignment to a missing macro is dropped";
    EXPECT_EQ(session->mouse().configurationsApplied(), 1);
    EXPECT_FALSE(session->downloadBusy().load());
    EXPECT_EQ(session->pointer().speed, 8); // DPI_SPEED 5
    EXPECT_EQ(session->pointer().lines, 3);

    const auto memory = session->mouse().memory();
    const sim::DecodedMemory d = sim::decodeMemory(memory);
    const SharedSettings& shared = store.shared;
    const DeviceDescription& device = session->device();

    EXPECT_FALSE(d.fullHeader);
    EXPECT_EQ(d.profile, session->currentProfile());
    EXPECT_EQ(memory[1], session->currentProfile() * 0x20 + 3);

    // The library macro each code names, read again from the files.
    const auto libraryMacro = [&](std::int32_t code) {
        if (code < 256) {
            return session->presets().records[static_cast<std::size_t>(code - 50)];
        }
        return session->macroFiles().ReadMacroFromGroup(session->library(), code / 256 - 1,
                                                        code % 256, 3);
    };

    std::set<std::uint16_t> streams;
    std::map<std::int32_t, std::uint16_t> addressOfCode;
    int combinations = 0, multimedia = 0, unrolled = 0;
    for (std::size_t p = 0; p < 4; ++p) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(device.keyCount); ++k) {
            SCOPED_TRACE("profile " + std::to_string(p) + " slot " + std::to_string(k));
            const std::int32_t code = profiles[p].buttonCode[k];
            const std::size_t b = device.keyMap[k];
            const sim::DecodedButton& button = d.buttons[p][b];
            MacroRecord macro;
            if (code == 33) {
                macro = profiles[p].comboRecord[k];
            } else if (code >= 50 && code <= 29999) {
                macro = libraryMacro(code);
            }
            EXPECT_EQ(button.function,
                      expectedFunction(code, macro.runMode, profiles[p].macroLight[k]));
            EXPECT_EQ(button.reactEnable, profiles[p].reactEnable[k] != 0);
            EXPECT_EQ(button.reactType, profiles[p].reactType[k]);
            if (b >= 2) {
                EXPECT_EQ(d.macroColour[b], shared.macroColour[k]);
            }

            const sim::DecodedDirectoryEntry& entry = d.directory[p][b];
            if (code >= 23 && code <= 32) {
                ++multimedia;
                EXPECT_EQ(entry.consumerUsage, consumerUsage(code - 23));
                EXPECT_EQ(entry.stepCount, 0);
                continue;
            }
            if (code < 33 || code > 29999) {
                EXPECT_FALSE(entry.used);
                continue;
            }
            ASSERT_TRUE(entry.used);
            EXPECT_EQ(entry.extra76, macro.extra76 != 0);
            EXPECT_EQ(entry.extra77, macro.extra77);
            EXPECT_EQ(entry.loop, (macro.runMode & 3) == 2);
            EXPECT_EQ(entry.hold, (macro.runMode & 3) == 1);
            if (code == 33) {
                ++combinations;
                EXPECT_TRUE(streams.insert(entry.address).second) << "combinations never share";
            } else if (addressOfCode.count(code) != 0) {
                EXPECT_EQ(entry.address, addressOfCode[code]) << "shared macro";
            } else {
                addressOfCode[code] = entry.address;
                EXPECT_TRUE(streams.insert(entry.address).second);
            }
            ASSERT_EQ(d.macros.count(entry.address), 1u);
            const sim::DecodedMacro& stream = d.macros.at(entry.address);
            if (code != 33 && macro.runMode == 2 && unrollCount(macro) > 1) {
                ++unrolled;
                const int times = 40 / (1 + macro.delay[0] + macro.delay[1]);
                EXPECT_EQ(stream.steps.size(), static_cast<std::size_t>(times * macro.stepCount));
                macro = unrollMacro(macro, times);
            }
            expectStream(macro, stream, "macro of code " + std::to_string(code));
            EXPECT_EQ(entry.stepCount, stream.entries);
            EXPECT_LT(entry.address + 2 * stream.entries, d.macroEnd);
        }
    }
    EXPECT_EQ(combinations, 3);
    EXPECT_EQ(multimedia, 4);
    EXPECT_EQ(unrolled, 1);
    // Three combinations; 256, 257, 512, 50, Quick Heal and Rapid Fire.
    EXPECT_EQ(streams.size(), 3u + 6u);
    EXPECT_EQ(addressOfCode.count(kQuickHeal), 1u);

    // Shared settings.
    EXPECT_EQ(d.dpiLevel, shared.dpiLevel);
    for (std::size_t j = 0; j < 6; ++j) {
        static constexpr int kCodes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 12, 13,
                                         14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
        EXPECT_EQ(d.dpiCode[j], kCodes[shared.dpiValueIndex[j]]);
        EXPECT_EQ((d.dpiEnableBits >> j) & 1, shared.dpiEnabled[j] ? 1 : 0);
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(d.dpiColour[j][c], shared.dpiColourLevel[j][c]);
        }
    }
    for (std::size_t u = 0; u < 7; ++u) {
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(d.userColour[u][c], shared.userColourLevel[u][c]);
        }
    }
    EXPECT_EQ(d.colourMask, shared.cycleColourMask & 0x7F);
    EXPECT_EQ(d.effect, shared.ledType);
    EXPECT_EQ(d.effectSpeed, shared.ledCycleTime);
    EXPECT_EQ(d.brightness, shared.ledBrightness);
    EXPECT_EQ(d.direction, shared.ledFeatureDirection);
    EXPECT_EQ(d.symmetry, shared.ledFeatureSymmetry);
    EXPECT_EQ(d.rapidFire, shared.fireTime / 8);
    EXPECT_EQ(d.reportInterval, 7);
    EXPECT_EQ(d.functionMask, 0x3FFF);
    EXPECT_EQ(d.reservedAreas, (std::array<int, 4>{d.macroEnd + 8, d.macroEnd + 16, d.macroEnd + 24,
                                                   d.macroEnd + 32}));
    EXPECT_EQ(d.modeByte, 0x40 + session->currentProfile());
}

TEST_F(EndToEnd, PausesAreExactlyTheMandatedOnes) {
    auto session = open();
    int writes = 0;
    ASSERT_EQ(session->download([&](const ImageOp& op) {
        writes += std::holds_alternative<BlockWrite>(op) ? 1 : 0;
    }),
              DownloadResult::Completed);
    // 4 ms + 2 ms per block, 5 ms for the end of transfer.
    EXPECT_EQ(sleeper.total(), std::chrono::milliseconds(6 * writes + 5));
    EXPECT_GT(writes, 15 + 70 + 4 + 6);
}

TEST_F(EndToEnd, NewMouseGetsTheFullHeaderAndLaterDownloadsCarryTheirState) {
    auto session = open(DeviceLink::kProduct1201);
    std::vector<BlockWrite> first;
    session->store().shared.ledType = 9;
    session->download([&](const ImageOp& op) {
        if (const auto* w = std::get_if<BlockWrite>(&op)) {
            first.push_back(*w);
        }
    });
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0], (BlockWrite{0x00, {0x5A, 0x03, 0xA5, 0x40, 0x10, 0xA7, 0xE5, 0x00}}));
    const auto t0 = session->mouse().memory(0x6E, 2);

    // Effect 13 shows the previous effect; block 0x68 first carries the previous macro end.
    session->store().shared.ledType = 13;
    std::vector<BlockWrite> second;
    session->download([&](const ImageOp& op) {
        if (const auto* w = std::get_if<BlockWrite>(&op)) {
            second.push_back(*w);
        }
    });
    ASSERT_GT(second.size(), 13u);
    EXPECT_EQ(second[13].address, 0x68);
    EXPECT_EQ(second[13].bytes[6], t0[0]);
    EXPECT_EQ(second[13].bytes[7], t0[1]);
    const sim::DecodedMemory d = sim::decodeMemory(session->mouse().memory());
    EXPECT_EQ(d.effect, 9);
    EXPECT_EQ(d.effectSpeed, 7);
}

TEST_F(EndToEnd, TellsThePlayerTheSoundLightingAndTheMonitor) {
    std::vector<std::string> calls;
    ButtonTables published{};
    DownloadHooks hooks;
    hooks.clearToggleState = [&] { calls.push_back("toggle cleared"); };
    hooks.setSoundDpiStage = [&](int stage) { calls.push_back("dpi " + std::to_string(stage)); };
    hooks.publishTables = [&](const ButtonTables& t) {
        calls.push_back("tables");
        published = t;
    };
    DryRunSession session(
        DryRunSession::Options{app.appDir(), DeviceLink::kProduct1040, &sleeper, {}, hooks});
    session.store().shared.dpiLevel = 4;
    session.store().profiles[1].buttonCode[2] = 18;
    ASSERT_EQ(session.download(), DownloadResult::Completed);
    EXPECT_EQ(calls, (std::vector<std::string>{"toggle cleared", "dpi 4", "tables"}));
    EXPECT_TRUE(published.switchKey[1][2]);
    EXPECT_EQ(published.function[1][2], 0x14);
    EXPECT_TRUE(published.dpiKey[0][5]); // code 16
    EXPECT_EQ(session.store().shared.reportRateCode, 7);
}

TEST(SystemPointerSpeed, FromTheDpiSpeedIndex) {
    const std::vector<int> speeds = {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(systemPointerSpeed(i), speeds[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(systemPointerSpeed(12), 6);
    EXPECT_EQ(systemPointerSpeed(255), 6);
    EXPECT_EQ(systemPointerSpeed(-1), 6);
}

TEST_F(EndToEnd, SoftwareMacroModeHandsTheMacroButtonsOver) {
    auto session = open();
    session->store().shared.softHardMacro = 1;
    auto& profile = session->store().profiles[static_cast<std::size_t>(session->currentProfile())];
    profile.buttonCode[2] = 18;
    profile.buttonCode[3] = 256;
    profile.buttonCode[5] = 40; // a combination code below 41 stays with the mouse
    session->mouse().clearRecords();
    ASSERT_EQ(session->download(), DownloadResult::Completed);
    std::vector<std::vector<std::uint8_t>> keyFunctions;
    for (const sim::SimCommand& c : session->mouse().commands()) {
        if (c.bytes.size() > 3 && c.bytes[1] == 0x10) {
            keyFunctions.push_back({c.bytes[2], c.bytes[3]});
        }
    }
    EXPECT_EQ(keyFunctions, (std::vector<std::vector<std::uint8_t>>{{3, 0}, {4, 0}}));
}

TEST_F(EndToEnd, FullMacroMemoryAbortsWithTheWarning) {
    auto session = open();
    // Eight macros of 100 long steps each: 408 bytes apiece, more than the macro area holds.
    MacroGroupState group;
    session->store().shared.softHardMacro = 1;
    ini::IniStore store;
    MacVkAndText keys;
    NullWarningSink none;
    MacroFiles files(store, keys, none, kEnglish);
    const std::string path = app.appDir() + "/skins/1_INI_EN/macro/Office.dat";
    files.ReadGroupFile(path, group);
    for (std::size_t i = 0; i < 7; ++i) {
        MacroRecord& m = group.groupMacros.records[i];
        m.stepCount = 100;
        for (int s = 0; s < 100; ++s) {
            m.setStep(s, MacroStep{0x04, kActionPress, 0, 0, 200});
        }
        session->store().profiles[i / 4].buttonCode[i % 4] = static_cast<std::int32_t>(256 + i);
    }
    ASSERT_TRUE(files.WriteGroupFile(path, group));
    const auto speedBefore = session->pointer().speed;
    session->mouse().clearRecords();
    std::optional<DownloadChanges> ended;
    session->core().downloadEnded = [&ended](const DownloadChanges& c) { ended = c; };

    EXPECT_EQ(session->download(), DownloadResult::Aborted);
    ASSERT_TRUE(ended.has_value());
    EXPECT_TRUE(ended->aborted) << "the owner is told the memory was full";
    EXPECT_EQ(warnings, std::vector<Tip>{Tip::MacroMemoryFull});
    EXPECT_FALSE(session->downloadBusy().load());
    EXPECT_EQ(session->mouse().configurationsApplied(), 0) << "no end of transfer";
    EXPECT_EQ(session->pointer().speed, speedBefore);
    EXPECT_TRUE(session->mouse().commands().empty()) << "no key-function commands";
    // Nothing of the directory was written.
    EXPECT_EQ(session->mouse().memory(0xA0, 8), std::vector<std::uint8_t>(8, 0));
}

TEST(DryRunSession, AnAppDirWithoutSettingsIsUnusable) {
    test::TempDir empty;
    DryRunSession session(
        DryRunSession::Options{empty.str(), DeviceLink::kProduct1040, nullptr, {}});
    EXPECT_FALSE(session.usable());
    EXPECT_EQ(dryrun::formatBlockWrite(BlockWrite{0x0008, {1, 2, 0xAB}}), "0008: 01 02 AB");
}

} // namespace
} // namespace zel

namespace zel {
namespace {

namespace fs = std::filesystem;

struct CommandResult {
    int status = -1;
    std::vector<std::string> lines;
};

/// Runs the dry-run tool; `prefix` goes before it (another user), `errors` is where its
/// standard error goes ("2>/dev/null", or "2>&1" to read it among the lines).
CommandResult runDryRun(const std::string& arguments, const std::string& prefix = "",
                        const std::string& errors = "2>/dev/null") {
    const std::string command = prefix + " " + std::string(ZEL_BUILT_APP_DIR) +
                                "/zel-gmouse-dryrun " + arguments + " " + errors;
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::string line;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
        if (c == '\n') {
            result.lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(DryRunCommand, PrintsEveryWriteThenTheDecodedRecords) {
    test::TempAppDir app;
    const CommandResult run = runDryRun("--app-dir " + app.appDir() + " --decode");
    ASSERT_EQ(run.status, 0);
    ASSERT_GT(run.lines.size(), 100u);
    EXPECT_EQ(run.lines[0], "0001: 03");
    EXPECT_EQ(run.lines[1], "0008: 21 22 23 24 25 2B 2C 26");
    const std::regex write("[0-9A-F]{4}:( [0-9A-F]{2}){1,8}");
    std::size_t i = 0;
    while (i < run.lines.size() && std::regex_match(run.lines[i], write)) {
        ++i;
    }
    ASSERT_LT(i, run.lines.size());
    EXPECT_EQ(run.lines[i].rfind("header: profile byte 00 03", 0), 0u) << run.lines[i];

    const CommandResult fresh = runDryRun("--app-dir " + app.appDir() + " --product 1201");
    ASSERT_EQ(fresh.status, 0);
    EXPECT_EQ(fresh.lines[0], "0000: 5A 03 A5 40 10 A7 E5 00");
}

TEST(DryRunCommand, LeavesTheMacroIndexAsItIs) {
    test::TempAppDir app;
    // A group whose file is gone: the program's start-up would write the index again.
    const std::string macroDir = app.appDir() + "/skins/1_INI_EN/macro/";
    std::filesystem::remove(macroDir + "Office.dat");
    const std::string before = test::readFile(macroDir + "macroGrp.ini");
    ASSERT_FALSE(before.empty());
    const CommandResult run = runDryRun("--app-dir " + app.appDir());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(test::readFile(macroDir + "macroGrp.ini"), before);
}

TEST(DryRunCommand, FullMemoryPrintsTheWarningAndStillSucceeds) {
    test::TempAppDir app;
    // Every button of every profile on its own long macro.
    ini::IniStore store;
    MacVkAndText keys;
    NullWarningSink none;
    MacroFiles files(store, keys, none, 1);
    const std::string path = app.appDir() + "/skins/1_INI_EN/macro/Office.dat";
    MacroGroupState group;
    files.ReadGroupFile(path, group);
    for (std::size_t i = 0; i < 7; ++i) {
        MacroRecord& m = group.groupMacros.records[i];
        m.stepCount = 100;
        for (int s = 0; s < 100; ++s) {
            m.setStep(s, MacroStep{0x04, kActionPress, 0, 0, 200});
        }
    }
    ASSERT_TRUE(files.WriteGroupFile(path, group));
    const std::string config = app.appDir() + "/skins/config/config.ini";
    for (int i = 0; i < 7; ++i) {
        store.write(config, "Config0", "K" + std::to_string(i), std::to_string(256 + i));
    }
    const CommandResult run = runDryRun("--app-dir " + app.appDir());
    EXPECT_EQ(run.status, 0);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), "warning: TipText 29");
    // Shown once: the warning and the step that carries it are one event.
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "warning: TipText 29"), 1);
}

bool printed(const CommandResult& run, const std::string& text) {
    return std::any_of(run.lines.begin(), run.lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

/// How to run a command as an unprivileged user, for whom folder permissions count: nothing
/// when this process is not root; nullopt when root cannot switch users here.
std::optional<std::string> unprivilegedPrefix() {
    if (::geteuid() != 0) {
        return std::string();
    }
    for (const std::string prefix :
         {"setpriv --reuid=65534 --regid=65534 --clear-groups", "runuser -u nobody --"}) {
        if (std::system((prefix + " true >/dev/null 2>&1").c_str()) == 0) {
            return prefix;
        }
    }
    return std::nullopt;
}

// Symbolic-link loops and unreadable folders are failures to read, reported like a missing
// file: the tool ends with a status and a message, never with an abort.
TEST(DryRunCommand, LinkLoopsAreMissingFiles) {
    test::TempAppDir loopedConfig;
    const fs::path config = loopedConfig.path() / "skins" / "config" / "config.ini";
    fs::remove(config);
    fs::create_symlink("config.ini", config);
    const CommandResult noSettings = runDryRun("--app-dir " + loopedConfig.appDir(), "", "2>&1");
    EXPECT_EQ(noSettings.status, 2);
    EXPECT_TRUE(printed(noSettings, "no settings file")) << noSettings.lines.size();

    test::TempAppDir loopedPresets;
    for (const char* folder : {"config", "0_INI_CN", "1_INI_EN", "4_INI_DE"}) {
        const fs::path presets = loopedPresets.path() / "skins" / folder / "PUBG.dat";
        fs::remove(presets);
        fs::create_symlink("PUBG.dat", presets);
    }
    const CommandResult noPresets = runDryRun("--app-dir " + loopedPresets.appDir(), "", "2>&1");
    EXPECT_EQ(noPresets.status, 0);
    EXPECT_TRUE(printed(noPresets, "message: Can't find the PUBG file."));
    EXPECT_TRUE(printed(noPresets, "0001: 03"));
}

TEST(DryRunCommand, UnreadableConfigFolderExitsWithTwo) {
    const std::optional<std::string> prefix = unprivilegedPrefix();
    if (!prefix) {
        GTEST_SKIP() << "running as root and neither setpriv nor runuser can switch to nobody: "
                        "folder permissions cannot be tested";
    }
    test::TempAppDir app;
    std::error_code ec;
    // The other user walks the AppDir; only the config folder is closed to it.
    for (auto it = fs::recursive_directory_iterator(app.path(), ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code one;
        fs::permissions(it->path(), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add, one);
    }
    fs::permissions(app.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    // The other user can run the AppDir as long as the folder is open to it.
    ASSERT_EQ(runDryRun("--app-dir " + app.appDir(), *prefix).status, 0);
    const fs::path config = app.path() / "skins" / "config";
    fs::permissions(config, fs::perms::none, ec);
    ASSERT_FALSE(ec) << ec.message();
    const CommandResult run = runDryRun("--app-dir " + app.appDir(), *prefix, "2>&1");
    fs::permissions(config, fs::perms::owner_all, ec);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(printed(run, "no settings file"));
}

TEST(DryRunCommand, UnusableAppDirExitsWithTwo) {
    test::TempDir empty;
    EXPECT_EQ(runDryRun("--app-dir " + empty.str()).status, 2);
    EXPECT_EQ(runDryRun("--bogus").status, 2);
}

} // namespace
} // namespace zel
