#include "platform/system/ProcessRunner.h"

#include "common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::system {

namespace {

constexpr std::size_t kMaxOutput = 64 * 1024;

/// Both ends of a pipe, closed on every way out.
struct Pipe {
    UniqueFd readEnd;
    UniqueFd writeEnd;
    bool open() {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        readEnd.reset(fds[0]);
        writeEnd.reset(fds[1]);
        return true;
    }
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

} // namespace

std::optional<ProcessResult> SpawnProcessRunner::run(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return std::nullopt;
    }
    Pipe out;
    if (!out.open()) {
        return std::nullopt;
    }
    SpawnActions spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, out.writeEnd.get(), 1);
    posix_spawn_file_actions_addopen(&spawn.actions, 2, "/dev/null", O_WRONLY, 0);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], &spawn.actions, nullptr, args.data(), environ) != 0) {
        return std::nullopt;
    }
    out.writeEnd.reset();

    ProcessResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(out.readEnd.get(), buffer, sizeof buffer);
        if (n > 0) {
            // Read to the end even past the limit, so the program never blocks on a full pipe.
            const std::size_t room = kMaxOutput - std::min(kMaxOutput, result.output.size());
            result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace zel::system
