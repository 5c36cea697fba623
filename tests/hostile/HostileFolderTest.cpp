// The program's start-up and save, the dry run and `--render` over damaged AppDirs: a
// settings file that cannot be read (no permission, too large, a folder, a FIFO, a link
// loop), one in UTF-16 or of random bytes, and missing or damaged macro index, group
// file, presets, language pack, layout files and pictures, extreme numbers in layout and
// settings files. For each: no crash, no sanitizer report, no wait for ever, a word on
// standard error where something the program needs is unusable, and no byte of the folder
// changed except what a save is meant to change.
#include "TestSupport.h"
#include "dryrun/DryRunSession.h"
#include "platform/ini/IniStore.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zel {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

/// Every entry under a folder: its kind, mode and content (a link's target, a file's bytes).
using FolderState = std::map<std::string, std::string>;

FolderState stateOf(const fs::path& root) {
    FolderState state;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            continue;
        }
        std::string entry = std::to_string(st.st_mode) + ":";
        if (S_ISLNK(st.st_mode)) {
            entry += fs::read_symlink(p, ec).string();
            it.disable_recursion_pending();
        } else if (S_ISREG(st.st_mode)) {
            entry += std::to_string(st.st_size) + ":";
            // Files the tests make large are compared by size and time.
            if (st.st_size > (1 << 20)) {
                entry +=
                    std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
            } else {
                entry += test::readFile(p);
            }
        }
        state[p.lexically_relative(root).string()] = entry;
    }
    return state;
}

/// The keys of `before` whose entries differ in `after` (or are missing / new).
std::vector<std::string> changes(const FolderState& before, const FolderState& after) {
    std::vector<std::string> out;
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end() || it->second != entry) {
            out.push_back(path);
        }
    }
    for (const auto& [path, entry] : after) {
        if (before.count(path) == 0) {
            out.push_back(path + " (new)");
        }
    }
    return out;
}

struct ProcessRun {
    bool finished = false;
    bool signalled = false;
    int status = -1;
    std::string output;
};

/// Runs `argv` with `env` added, as `uid` when it is not 0, output to a file; kills it
/// after `limit`.
ProcessRun runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      uid_t uid, const fs::path& outputFile, std::chrono::seconds limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::close(0);
        for (const std::string& e : env) {
            ::putenv(const_cast<char*>(e.c_str()));
        }
        if (uid != 0 && (::setgid(uid) != 0 || ::setuid(uid) != 0)) {
            ::_exit(126);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ProcessRun run;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            run.finished = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.signalled = WIFSIGNALED(status);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = test::readFile(outputFile);
    return run;
}

bool sanitizerSpoke(const std::string& output) {
    return output.find("AddressSanitizer") != std::string::npos ||
           output.find("runtime error:") != std::string::npos ||
           output.find("LeakSanitizer") != std::string::npos ||
           output.find("terminate called") != std::string::npos;
}

/// One damaged folder.
struct Case {
    std::string name;
    std::function<void(const fs::path& app)> damage;
    /// Something the program needs is unusable: the runs must say so (the dry run reads no
    /// layouts or pictures, so only `--render` speaks of those).
    bool mustSay = false;
    /// The settings file cannot be read whole: a save must leave it alone.
    bool settingsUnreadable = false;
    /// Run the tools as a normal user (permission cases; root reads everything).
    bool asNormalUser = false;
    /// Only `--render` reads what is damaged.
    bool layoutOnly = false;
};

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(n, '\0');
    for (char& c : out) {
        c = static_cast<char>(random() & 0xFF);
    }
    return out;
}

const std::string kConfig = "skins/config/config.ini";
const std::string kIndex = "skins/1_INI_EN/macro/macroGrp.ini";
const std::string kGroup = "skins/1_INI_EN/macro/Game.dat";
const std::string kPresets = "skins/1_INI_EN/PUBG.dat";
const std::string kLanguage = "skins/1_INI_EN/LanguageText.ini";
const std::string kLayout = "skins/1_INI_EN/skin_main.ini";
const std::string kPicture = "skins/main_normal.jpg";

void replaceWith(const fs::path& file, const std::string& text) {
    fs::remove(file);
    test::writeFile(file, text);
}

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back({"settings without read permission",
                    [](const fs::path& a) { fs::permissions(a / kConfig, fs::perms::owner_write); },
                    true, true, true});
    list.push_back({"settings larger than the reader takes",
                    [](const fs::path& a) {
                        std::ofstream out(a / kConfig, std::ios::binary | std::ios::app);
                        const std::string block(1 << 20, ';');
                        for (int i = 0; i < 65; ++i) {
                            out << block;
                        }
                    },
                    true, true});
    list.push_back({"settings file is a folder",
                    [](const fs::path& a) {
                        fs::remove(a / kConfig);
                        fs::create_directory(a / kConfig);
                    },
                    true, true});
    list.push_back({"settings file is a FIFO",
                    [](const fs::path& a) {
                        fs::remove(a / kConfig);
                        ASSERT_EQ(::mkfifo((a / kConfig).c_str(), 0644), 0);
                    },
                    true, true});
    list.push_back({"settings file is a link loop",
                    [](const fs::path& a) {
                        fs::remove(a / kConfig);
                        fs::create_symlink("loop.ini", a / kConfig);
                        fs::create_symlink("config.ini", a / "skins/config/loop.ini");
                    },
                    true, true});
    list.push_back({"settings in UTF-16", [](const fs::path& a) {
                        const std::string utf8 = test::readFile(a / kConfig);
                        std::string utf16 = "\xFF\xFE";
                        for (const char c : utf8) { // the shipped file is ASCII
                            utf16 += c;
                            utf16 += '\0';
                        }
                        replaceWith(a / kConfig, utf16);
                    }});
    list.push_back({"settings of random bytes",
                    [](const fs::path& a) { replaceWith(a / kConfig, randomBytes(5000, 1)); }});
    list.push_back({"settings with extreme numbers", [](const fs::path& a) {
                        ini::IniStore ini;
                        const std::string f = (a / kConfig).string();
                        for (const char* key : {"DPI_LEVEL", "LED_TYPE", "LED_BRIGHTNESS",
                                                "FIRE_TIME", "WHEEL_SPEED", "DPI_SPEED"}) {
                            ini.write(f, "ShareData", key, "2147483647");
                        }
                        ini.write(f, "ShareData", "DPI_VALUE1", "-2147483648");
                        ini.write(f, "Config0", "K1", "-2147483648");
                        ini.write(f, "Config1", "K2", "99999999999999999999");
                        ini.write(f, "Init", "CurConfig", "-7");
                    }});
    list.push_back({"macro index missing", [](const fs::path& a) { fs::remove(a / kIndex); }});
    list.push_back({"macro index of random bytes",
                    [](const fs::path& a) { replaceWith(a / kIndex, randomBytes(3000, 2)); }});
    list.push_back({"group file missing", [](const fs::path& a) { fs::remove(a / kGroup); }});
    list.push_back({"group file of random bytes",
                    [](const fs::path& a) { replaceWith(a / kGroup, randomBytes(9000, 3)); }});
    list.push_back({"presets missing", [](const fs::path& a) { fs::remove(a / kPresets); }});
    list.push_back({"presets of random bytes",
                    [](const fs::path& a) { replaceWith(a / kPresets, randomBytes(4000, 4)); }});
    list.push_back(
        {"language pack missing", [](const fs::path& a) { fs::remove(a / kLanguage); }, true});
    list.push_back({"language pack of random bytes",
                    [](const fs::path& a) { replaceWith(a / kLanguage, randomBytes(4000, 5)); }});
    list.push_back({"main layout missing", [](const fs::path& a) { fs::remove(a / kLayout); }, true,
                    false, false, true});
    list.push_back({"layout with extreme numbers", [](const fs::path& a) {
                        ini::IniStore ini;
                        const std::string f = (a / kLayout).string();
                        ini.write(f, "BUTTONPOS", "0",
                                  "b,2147483647,-2147483648,2147483647,2147483647,x");
                        ini.write(f, "BUTTONPOS", "1", "b,-2147483648,2147483647,-1,-2147483648,y");
                        ini.write(f, "BUTTONPOS", "5", "b,99999999999,0,99999999999,5,z");
                    }});
    list.push_back({"picture missing", [](const fs::path& a) { fs::remove(a / kPicture); }});
    list.push_back({"picture of random bytes",
                    [](const fs::path& a) { replaceWith(a / kPicture, randomBytes(20000, 6)); }});
    return list;
}

/// Makes the folder reachable and usable by the normal user, except `keepPrivate`.
void openTo(const fs::path& root, uid_t uid) {
    std::error_code ec;
    for (fs::path p = root; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXOTH) == 0) {
            ::chmod(p.c_str(), st.st_mode | S_IXOTH | S_IROTH);
        }
    }
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
            static_cast<void>(::lchown(it->path().c_str(), uid, uid));
        }
    }
    static_cast<void>(::chown(root.c_str(), uid, uid));
}

class HostileFolder : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HostileFolder, NoCrashNoWaitNoChange) {
    const Case c = cases()[GetParam()];
    SCOPED_TRACE(c.name);
    if (c.asNormalUser && ::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the tools as another user";
    }
    test::TempAppDir app;
    test::TempDir scratch;
    const fs::path root = app.appDir();
    c.damage(root);
    const uid_t uid = c.asNormalUser ? kNobody : 0;
    if (c.asNormalUser) {
        openTo(root, uid);
        openTo(scratch.path(), uid);
        // The damage made after opening the folder: the file stays root's, write-only.
        ASSERT_EQ(::chown((root / kConfig).c_str(), 0, 0), 0);
    }
    const FolderState before = stateOf(root);
    const fs::path runtime = scratch.path() / "runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    static_cast<void>(::chown(runtime.c_str(), uid, uid));
    const std::vector<std::string> env = {
        "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime.string(),
        "XDG_CACHE_HOME=" + runtime.string(), "XDG_CONFIG_HOME=" + runtime.string(),
        "HOME=" + runtime.string(),
        // In the sanitizer build: address and undefined-behaviour reports count; the leak
        // check's own tracer can fail on a process that ends while its helper threads
        // still start, which says nothing about the folder.
        "ASAN_OPTIONS=detect_leaks=0"};

    const std::string bin = test::builtAppDir();
    const ProcessRun dry =
        runProcess({bin + "/zel-gmouse-dryrun", "--app-dir", root.string(), "--decode"}, env, uid,
                   scratch.path() / "dry.txt", std::chrono::seconds(120));
    EXPECT_TRUE(dry.finished) << "the dry run did not end";
    EXPECT_FALSE(dry.signalled) << dry.output.substr(0, 2000);
    EXPECT_FALSE(sanitizerSpoke(dry.output)) << dry.output.substr(0, 4000);
    EXPECT_TRUE(changes(before, stateOf(root)).empty()) << "the dry run changed the folder";

    const ProcessRun render =
        runProcess({bin + "/zel-gmouse", "--simulate", "--app-dir", root.string(), "--render",
                    (scratch.path() / "pages").string()},
                   env, uid, scratch.path() / "render.txt", std::chrono::seconds(120));
    EXPECT_TRUE(render.finished) << "--render did not end";
    EXPECT_FALSE(render.signalled) << render.output.substr(0, 2000);
    EXPECT_NE(render.status, 134);
    EXPECT_FALSE(sanitizerSpoke(render.output)) << render.output.substr(0, 4000);
    EXPECT_TRUE(changes(before, stateOf(root)).empty()) << "--render changed the folder";
    if (c.mustSay) {
        EXPECT_NE(render.status, 0) << render.output;
        EXPECT_NE(render.output.find("zel-gmouse: "), std::string::npos) << render.output;
        if (!c.layoutOnly) {
            EXPECT_TRUE(dry.output.find("message: ") != std::string::npos ||
                        dry.output.find("zel-gmouse-dryrun: ") != std::string::npos)
                << dry.output;
        }
    }
    if (c.settingsUnreadable) {
        // The mouse still gets the factory profiles of this model, not buttons switched off.
        EXPECT_EQ(dry.output.find("0008: 00 00 00 00 00 00 00 00"), std::string::npos)
            << dry.output.substr(0, 400);
    }

    // Start-up and a save in this process (as root: the permission case is the tools').
    if (c.asNormalUser) {
        return;
    }
    {
        std::vector<Tip> warnings;
        RecordingSleeper sleeper;
        dryrun::DryRunSession session(
            dryrun::DryRunSession::Options{root.string(), DeviceLink::kProduct1040, &sleeper,
                                           [&warnings](Tip tip) { warnings.push_back(tip); }});
        if (session.usable()) {
            session.store().saveAllProfiles(session.folders().settingsFile(), 0);
        }
    }
    const std::vector<std::string> changed = changes(before, stateOf(root));
    for (const std::string& path : changed) {
        EXPECT_TRUE(!c.settingsUnreadable && path == kConfig)
            << path << " changed by the start-up or the save";
    }
}

std::string caseName(const ::testing::TestParamInfo<std::size_t>& info) {
    const std::string text = cases()[info.param].name;
    std::string name;
    for (const char ch : text) {
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFolder, ::testing::Range<std::size_t>(0, cases().size()),
                         caseName);

} // namespace
} // namespace zel
