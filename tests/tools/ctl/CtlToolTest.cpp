// zel-gmousectl in this process against the simulated mouse: every command, the read-back
// against the dry run of the same folder, profile files, and two programs applying at
// once.
#include "CtlTestSupport.h"

#include "ctl/CtlCommandLine.h"
#include "ctl/JsonText.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimHidBackend.h"
#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace zel {
namespace {

using test::runCtlTool;

constexpr const char* kModel = "ZEL GMouse GM8";

sim::SimLayout modelLayout(std::uint16_t product = 0x1040) {
    sim::SimLayout layout;
    layout.productString = kModel;
    layout.productId = product;
    return layout;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

class CtlToolTest : public ::testing::Test {
protected:
    test::CtlRunResult run(std::vector<std::string> args) {
        return runCtlTool(std::move(args), dir.appDir(), &backend, &sleeper);
    }

    test::TempAppDir dir;
    sim::SimulatedMouse mouse{modelLayout()};
    sim::SimHidBackend backend;
    RecordingSleeper sleeper;
};

TEST_F(CtlToolTest, ListAndStatusShowTheMouseAndItsActiveProfile) {
    backend.addDevice(mouse, "/dev/hidraw4");
    const auto listed = run({"list"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("ZEL GMouse GM8 (product 0x1040, kind 1040)"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("events:  /dev/hidraw4"), std::string::npos);
    EXPECT_NE(listed.out.find("feature: /dev/hidraw4"), std::string::npos);

    const auto json = run({"list", "--json"});
    EXPECT_EQ(json.out,
              "{\"mice\":[{\"productId\":\"0x1040\",\"productKind\":\"1040\","
              "\"productString\":\"ZEL GMouse GM8\",\"eventPath\":\"/dev/hidraw4\","
              "\"featurePath\":\"/dev/hidraw4\",\"accepted\":true,\"openable\":true}]}\n");

    mouse.setActiveProfile(3);
    const auto status = run({"--json", "status"});
    EXPECT_EQ(status.status, 0) << status.err;
    EXPECT_NE(status.out.find("\"profile\":3"), std::string::npos) << status.out;
}

TEST_F(CtlToolTest, ApplyThenReadGivesBackWhatTheDryRunWrote) {
    backend.addDevice(mouse, "/dev/hidraw0");
    const test::DryRunReference reference = test::dryRunOf(dir.appDir());

    const auto applied = run({"apply"});
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(applied.out.find("applied profile 0 to /dev/hidraw0"), std::string::npos);
    // The mouse holds what the dry run's mouse holds, byte for byte.
    EXPECT_TRUE(mouse.memory() == reference.memory);

    const auto raw = run({"read", "--raw"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(raw.out, reference.rawText());

    // Decoded, it is what the decoder makes of the dry run's memory, and so of the settings.
    const auto decoded = run({"read"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    const sim::DecodedMemory expected = sim::decodeMemory(reference.memory);
    EXPECT_EQ(lines(decoded.out), sim::describeMemory(expected));
    EXPECT_NE(decoded.out.find("dpi: level 1, enabled 0x3F, codes 4 8 12 13 15 17"),
              std::string::npos);
    EXPECT_FALSE(expected.macros.empty());

    const auto json = run({"read", "--json"});
    EXPECT_EQ(json.out.rfind("{\"profile\":0,\"fullHeader\":false,\"buttons\":[[", 0), 0u)
        << json.out.substr(0, 80);
    EXPECT_NE(json.out.find("\"dpi\":{\"level\":1,\"enabled\":63,\"codes\":[4,8,12,13,15,17]"),
              std::string::npos);
}

TEST_F(CtlToolTest, ApplyWithAProfileSavesItAndMakesItActive) {
    backend.addDevice(mouse, "/dev/hidraw0");
    const auto applied = run({"apply", "--profile", "2", "+", "status"});
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_NE(applied.out.find("profile: 2\ndpi level: 1\n"), std::string::npos) << applied.out;
    EXPECT_EQ(mouse.activeProfile(), 2);
    EXPECT_NE(test::readFile(dir.path() / "skins/config/config.ini").find("CurConfig=2"),
              std::string::npos);
}

TEST_F(CtlToolTest, AFreshMouseGetsTheFullHeaderAndReadsItBack) {
    sim::SimulatedMouse fresh(modelLayout(0x1201));
    backend.addDevice(fresh, "/dev/hidraw0");
    ASSERT_EQ(run({"apply"}).status, 0);
    const auto raw = run({"read", "--raw"});
    EXPECT_EQ(raw.out.substr(0, 5), "0000:") << raw.out.substr(0, 40);
    EXPECT_EQ(lines(raw.out).size(), lines(run({"read", "--raw"}).out).size());
}

TEST_F(CtlToolTest, ProfileFilesRoundTripAndAnotherModelIsRefused) {
    test::TempDir files;
    const std::string exported = (files.path() / "mine.ini").string();
    const std::string settings = (dir.path() / "skins/config/config.ini").string();

    const auto out = run({"export", exported});
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(test::readFile(exported), test::readFile(settings));

    // A change made after the export is undone by importing it again.
    test::setSetting(dir.appDir(), "ShareData", "LED_TYPE", "5");
    const auto in = run({"import", exported});
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(test::readFile(settings), test::readFile(exported));

    const std::string other = (files.path() / "other.ini").string();
    test::writeFile(other, "[PRODUCTNAME]\r\nPRODUCTNAME_EN=Another Mouse\r\n");
    const std::string before = test::readFile(settings);
    const auto refused = run({"import", other});
    EXPECT_EQ(refused.status, static_cast<int>(ctl::CtlExit::Refused));
    EXPECT_NE(refused.err.find("warning 9"), std::string::npos) << refused.err;
    EXPECT_EQ(test::readFile(settings), before);

    const auto missing = run({"import", (files.path() / "none.ini").string()});
    EXPECT_EQ(missing.status, static_cast<int>(ctl::CtlExit::Refused));
    const auto unwritable = run({"export", (files.path() / "no/such/folder.ini").string()});
    EXPECT_EQ(unwritable.status, static_cast<int>(ctl::CtlExit::Refused));
}

TEST_F(CtlToolTest, WithoutAMouseEveryDeviceCommandEndsWithStatusOne) {
    for (const char* command : {"list", "status", "apply", "read"}) {
        const auto result = run({command});
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_EQ(result.err, "zel-gmousectl: no mouse found\n") << command;
    }
    // A mouse of another model's product string is listed, but not used.
    sim::SimulatedMouse other;
    backend.addDevice(other, "/dev/hidraw1");
    const auto listed = run({"list"});
    EXPECT_NE(listed.out.find("not this model's product string"), std::string::npos);
    EXPECT_EQ(run({"status"}).status, 1);
}

TEST_F(CtlToolTest, CommandLineMistakesAndHelp) {
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({"export"}).status, 2);
    EXPECT_EQ(run({"apply", "--profile", "4"}).status, 2);
    EXPECT_EQ(run({"status", "--raw"}).status, 2);
    EXPECT_EQ(run({"--simulate=1300", "list"}).status, 2);
    const auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* text : {"list", "status", "apply", "read", "export", "import", "Exit status",
                             "3  no settings file"}) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(run({"--version"}).out, "zel-gmousectl 1.0.0\n");

    const ctl::CtlCommandLine line =
        ctl::parseCtlCommandLine({"apply", "-p", "1", "+", "read", "--raw", "--json"});
    ASSERT_EQ(line.steps.size(), 2u);
    EXPECT_EQ(line.steps[0].profile, 1);
    EXPECT_TRUE(line.steps[1].raw);
    EXPECT_TRUE(line.json);

    test::TempDir empty;
    const auto noSettings = runCtlTool({"status"}, empty.str(), &backend, &sleeper);
    EXPECT_EQ(noSettings.status, 3);
}

TEST_F(CtlToolTest, TheSimulatedMouseLivesForOneRun) {
    const auto result =
        runCtlTool({"--simulate", "apply", "+", "read", "--raw"}, dir.appDir(), nullptr, &sleeper);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find(test::dryRunOf(dir.appDir()).rawText()), std::string::npos);
}

TEST(JsonTextTest, StringsAreEscaped) {
    EXPECT_EQ(ctl::jsonString("a\"b\\c\n\x01ü"), "\"a\\\"b\\\\c\\n\\u0001ü\"");
}

/// The blocks a mouse saw committed, in order, as (address, length).
std::vector<std::pair<int, int>> committedBlocks(const sim::SimulatedMouse& mouse) {
    std::vector<std::pair<int, int>> out;
    for (const sim::SimReport& report : mouse.reports()) {
        const auto& b = report.bytes;
        if (!report.get && b.size() >= 8 && b[1] == 0x18 && b[2] == 0x09) {
            out.emplace_back(b[4] | (b[5] << 8), b[7] + 1);
        }
    }
    return out;
}

std::vector<std::pair<int, int>> blocksOf(const std::vector<BlockWrite>& writes) {
    std::vector<std::pair<int, int>> out;
    for (const BlockWrite& w : writes) {
        out.emplace_back(w.address, static_cast<int>(w.bytes.size()));
    }
    return out;
}

// Two programs on one mouse: each has its own device link (its own transport lock), as
// two processes would; only the device lock keeps their downloads apart.
TEST(CtlSharingTest, TwoProgramsApplyingAtOnceLeaveOneWholeConfiguration) {
    test::TempAppDir first;
    test::TempAppDir second;
    test::setSetting(second.appDir(), "ShareData", "LED_TYPE", "5");
    test::setSetting(second.appDir(), "ShareData", "DPI_SET0", "1");
    const auto one = test::dryRunOf(first.appDir());
    const auto two = test::dryRunOf(second.appDir());
    ASSERT_FALSE(one.memory == two.memory);
    // One whole download after the other, in either order.
    auto oneThenTwo = blocksOf(one.writes);
    const auto twoBlocks = blocksOf(two.writes);
    oneThenTwo.insert(oneThenTwo.end(), twoBlocks.begin(), twoBlocks.end());
    auto twoThenOne = twoBlocks;
    const auto oneBlocks = blocksOf(one.writes);
    twoThenOne.insert(twoThenOne.end(), oneBlocks.begin(), oneBlocks.end());

    sim::SimulatedMouse mouse(modelLayout());
    sim::SimHidBackend backend;
    backend.addDevice(mouse, "/dev/hidraw0");
    // The real pauses, so that the two downloads overlap in time.
    SteadySleeper sleeper;
    for (int round = 0; round < 2; ++round) {
        mouse.clearRecords();
        test::CtlRunResult a;
        test::CtlRunResult b;
        std::thread other([&] { b = runCtlTool({"apply"}, second.appDir(), &backend, &sleeper); });
        a = runCtlTool({"apply"}, first.appDir(), &backend, &sleeper);
        other.join();
        ASSERT_EQ(a.status, 0) << a.err;
        ASSERT_EQ(b.status, 0) << b.err;
        const auto blocks = committedBlocks(mouse);
        EXPECT_TRUE(blocks == oneThenTwo || blocks == twoThenOne) << "round " << round;
        const auto memory = mouse.memory();
        EXPECT_TRUE(memory == one.memory || memory == two.memory) << "round " << round;
    }
}

} // namespace
} // namespace zel
