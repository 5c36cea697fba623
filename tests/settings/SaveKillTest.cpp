// Apply's save of all profiles killed at random points, 100 times over: config.ini is
// always the old file or the new one, whole. The save is stopped for a moment after the
// temporary file is written, after it is synced and after the rename, so that the kills
// land on every side of each step, and elsewhere as the timing falls.
#include "settings/ProfileStore.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "settings/FolderTree.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zel;
namespace fs = std::filesystem;

namespace {

/// Loads the profiles of the folder, changes what a user changes on the pages and saves
/// them all into `target`, as Apply does. Every stage of the file replace waits `pause`;
/// `ready` runs just before the save.
void saveChanged(const FolderTree& folders, const std::string& target,
                 std::chrono::microseconds pause, const std::function<void()>& ready = {}) {
    ini::IniStore ini;
    if (pause.count() > 0) {
        ini.setReplaceObserver([pause](ini::ReplaceStage) { std::this_thread::sleep_for(pause); });
    }
    test::RecordingWarningSink warnings;
    const MacVkAndText keys;
    ProfileStore store{ini, warnings, keys, [] { return 1; }};
    for (int p = 0; p < kProfileCount; ++p) {
        store.loadProfile(folders.configDir, p, false);
    }
    store.shared.dpiLevel = 3;
    store.shared.ledType = 7;
    store.profiles[2].buttonCode[4] = 9;
    if (ready) {
        ready();
    }
    store.saveAllProfiles(target, 2);
}

void removeTemporaries(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().rfind(".config.ini.", 0) == 0) {
            fs::remove(entry.path(), ec);
        }
    }
}

} // namespace

TEST(SaveUnderKill, ConfigIsAlwaysTheOldOrTheNewFileWhole) {
    test::TempAppDir app;
    const FolderTree folders = FolderTree::make(app.appDir(), 1);
    const std::string file = folders.settingsFile();
    const std::string oldText = test::readFile(file);

    // The new file: the same save, undisturbed, into a copy.
    const std::string copy = folders.configDir + "expected.ini";
    fs::copy_file(file, copy);
    saveChanged(folders, copy, std::chrono::microseconds(0));
    const std::string newText = test::readFile(copy);
    fs::remove(copy);
    ASSERT_NE(newText, oldText);

    // How long the save itself takes here with its three pauses: the kills fall within it
    // and a little after it, counted from the moment the child is about to save.
    const auto pause = std::chrono::microseconds(1500);
    std::chrono::steady_clock::time_point started;
    saveChanged(folders, file, pause, [&started] { started = std::chrono::steady_clock::now(); });
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    ASSERT_EQ(test::readFile(file), newText);

    std::mt19937 random(20261209);
    // Twice the measured time: a forked child (and a sanitizer build) runs slower than the
    // measurement, and about half the kills should still land after the rename.
    std::uniform_int_distribution<long> killAfter(0, 2 * whole.count() + 1000);
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 100; ++round) {
        test::writeFile(file, oldText);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            saveChanged(folders, file, pause, [&ready] {
                const char byte = 1;
                static_cast<void>(::write(ready[1], &byte, 1));
            });
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(killAfter(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::string now = test::readFile(file);
        ASSERT_TRUE(now == oldText || now == newText)
            << "round " << round << ": config.ini is neither file (" << now.size() << " bytes)";
        (now == oldText ? sawOld : sawNew) += 1;
        removeTemporaries(folders.configDir);
    }
    // The kills landed before and after the rename, or the test proved nothing.
    EXPECT_GT(sawOld, 5);
    EXPECT_GT(sawNew, 5);
}
