// zel-gmousectl over hidraw, with the simulated mouse behind umockdev answering the
// ioctls: the commands in this process, a node without permission, and two processes of
// the tool applying at once.
#include "CtlTestSupport.h"

#include "UmockdevMouse.h"

#include "sim/SimulatedMouse.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel {
namespace {

using test::UmockdevMouse;

sim::SimLayout modelLayout() {
    sim::SimLayout layout;
    layout.productString = "ZEL GMouse GM8";
    return layout;
}

class CtlHidrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::testbed();
        const char* preload = std::getenv("LD_PRELOAD");
        if (preload == nullptr || std::strstr(preload, "umockdev") == nullptr) {
            GTEST_SKIP() << "needs the umockdev preload (run under umockdev-wrapper)";
        }
    }

    test::CtlRunResult run(std::vector<std::string> args) {
        return test::runCtlTool(std::move(args), dir.appDir(), nullptr, &sleeper);
    }

    test::TempAppDir dir;
    sim::SimulatedMouse mouse{modelLayout()};
    RecordingSleeper sleeper;
};

TEST_F(CtlHidrawTest, CommandsOverHidraw) {
    const UmockdevMouse node(mouse);
    const auto listed = run({"list"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("events:  " + node.devnode()), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("feature: " + node.devnode()), std::string::npos);

    mouse.setActiveProfile(1);
    const auto status = run({"status"});
    EXPECT_NE(status.out.find("profile: 1"), std::string::npos) << status.out << status.err;

    const test::DryRunReference reference = test::dryRunOf(dir.appDir());
    ASSERT_EQ(run({"apply"}).status, 0);
    EXPECT_TRUE(mouse.memory() == reference.memory);
    const auto raw = run({"read", "--raw"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(raw.out, reference.rawText());
}

TEST_F(CtlHidrawTest, NoMouseAndANodeWithoutPermission) {
    const auto none = run({"list"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "zel-gmousectl: no mouse found\n");

    const UmockdevMouse node(mouse);
    // The node as a user without the udev rule's access sees it: a node only root may
    // open, and this thread's file system identity nobody's and nogroup's (which also drops root's
    // right to override file modes); the testbed's sysfs stays readable.
    g_autofree gchar* root = umockdev_testbed_get_root_dir(test::testbed());
    // umockdev's socket for the node's ioctls must stay reachable for that identity.
    for (const std::string& path :
         {std::string(root), std::string(root) + "/ioctl", std::string(root) + "/ioctl/dev"}) {
        ASSERT_EQ(::chmod(path.c_str(), 0755), 0) << path;
    }
    ASSERT_EQ(::chmod((std::string(root) + "/ioctl" + node.devnode()).c_str(), 0777), 0);
    const std::string link = std::string(root) + node.devnode();
    const std::string pty = std::filesystem::read_symlink(link);
    ASSERT_EQ(::unlink(link.c_str()), 0);
    test::writeFile(link, "");
    ASSERT_EQ(::chmod(link.c_str(), 0600), 0);
    // The data folder stays readable for that identity too.
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        fs::permissions(entry.path(), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    const uid_t nobody = 65534;
    const gid_t nogroup = 65534;
    static_cast<void>(::setfsgid(nogroup));
    static_cast<void>(::setfsuid(nobody));
    const auto listed = run({"list"});
    const auto status = run({"status"});
    static_cast<void>(::setfsuid(0));
    static_cast<void>(::setfsgid(0));
    ASSERT_EQ(::unlink(link.c_str()), 0);
    ASSERT_EQ(::symlink(pty.c_str(), link.c_str()), 0);

    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("cannot be used: " + node.devnode() + ": Permission denied"),
              std::string::npos)
        << listed.out << listed.err;
    EXPECT_NE(listed.err.find("udev rule"), std::string::npos) << listed.err;
    EXPECT_EQ(status.status, 1);
    EXPECT_NE(status.err.find("udevadm control --reload-rules"), std::string::npos) << status.err;
}

pid_t spawnTool(const std::string& appDir) {
    const std::string tool = std::string(ZEL_BUILT_APP_DIR) + "/zel-gmousectl";
    const std::string dirArg = "--app-dir=" + appDir;
    std::vector<char*> argv{const_cast<char*>(tool.c_str()), const_cast<char*>(dirArg.c_str()),
                            const_cast<char*>("apply"), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Two processes of the tool, each with its own descriptor of the node, on one mouse: the
// lock on the node lets one whole download through after the other.
TEST_F(CtlHidrawTest, TwoProcessesApplyingAtOnceNeverInterleave) {
    test::TempAppDir second;
    test::setSetting(second.appDir(), "ShareData", "LED_TYPE", "5");
    test::setSetting(second.appDir(), "ShareData", "DPI_SET0", "1");
    const auto one = test::dryRunOf(dir.appDir());
    const auto two = test::dryRunOf(second.appDir());
    ASSERT_FALSE(one.memory == two.memory);

    const UmockdevMouse node(mouse);
    mouse.clearRecords();
    const pid_t a = spawnTool(dir.appDir());
    const pid_t b = spawnTool(second.appDir());
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(waitFor(a), 0);
    EXPECT_EQ(waitFor(b), 0);

    // Every report of one download comes before every report of the other: the data
    // steps the mouse committed are the two downloads one after the other.
    std::vector<std::pair<int, int>> commits;
    for (const sim::SimReport& report : mouse.reports()) {
        const auto& r = report.bytes;
        if (!report.get && r.size() >= 8 && r[1] == 0x18 && r[2] == 0x09) {
            commits.emplace_back(r[4] | (r[5] << 8), r[7] + 1);
        }
    }
    std::vector<std::pair<int, int>> whole;
    for (const BlockWrite& w : one.writes) {
        whole.emplace_back(w.address, static_cast<int>(w.bytes.size()));
    }
    ASSERT_EQ(commits.size(), 2 * whole.size());
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), commits.begin()));
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), commits.begin() + whole.size()));
    const auto memory = mouse.memory();
    EXPECT_TRUE(memory == one.memory || memory == two.memory);
}

} // namespace
} // namespace zel
