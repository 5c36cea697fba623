#include "TestServers.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {

ChildServer::ChildServer(std::vector<std::string> argv) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    for (auto& a : argv) {
        if (const auto at = a.find("{fd}"); at != std::string::npos) {
            a.replace(at, 4, fd);
        }
    }
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = ::posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        m_pid = -1;
        ::close(fds[0]);
        return;
    }
    // The server writes the line once it accepts connections.
    std::string text;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 15000) > 0) {
        char c = 0;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        text.push_back(c);
    }
    ::close(fds[0]);
    m_line = text;
}

ChildServer::~ChildServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

XvfbServer::XvfbServer(const std::string& screen)
    : ChildServer(
          {"Xvfb", "-displayfd", "{fd}", "-noreset", "-nolisten", "tcp", "-screen", "0", screen}) {}

SessionBus::SessionBus()
    : ChildServer({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"}) {
}

} // namespace zel::test
