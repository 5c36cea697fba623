#include "PulseServer.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zel::test {

namespace fs = std::filesystem;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return false;
}

pid_t spawnQuiet(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment) {
    std::vector<std::string> env = environment;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int finishProcess(pid_t pid) {
    if (pid <= 0) {
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool PulseServer::available() {
    return onPath("pulseaudio") && onPath("paplay") && onPath("pactl");
}

PulseServer::PulseServer() {
    fs::create_directories(m_dir.path() / "run");
    fs::permissions(m_dir.path() / "run", fs::perms::owner_all);
    start();
}

PulseServer::~PulseServer() {
    stop();
}

void PulseServer::start() {
    m_pid = spawnQuiet({"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1",
                        "--use-pid-file=no", "--disable-shm=yes",
                        "--load=module-null-sink sink_name=test_sink",
                        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket()},
                       environment());
}

void PulseServer::stop(bool kill) {
    if (m_pid > 0) {
        ::kill(m_pid, kill ? SIGKILL : SIGTERM);
        finishProcess(m_pid);
        m_pid = -1;
    }
    std::error_code ignored;
    fs::remove(socket(), ignored); // a killed server may leave it behind
}

std::string PulseServer::socket() const {
    return (m_dir.path() / "native").string();
}

bool PulseServer::listening() const {
    // The socket file shows up before the server accepts on it: a client tool that gets an
    // answer is the proof.
    return eventually([&] { return fs::exists(socket()) && run({"pactl", "info"}) == 0; });
}

int PulseServer::run(std::vector<std::string> argv) const {
    argv.insert(argv.begin() + 1, "--server=" + address());
    return finishProcess(spawnQuiet(argv, environment()));
}

pid_t PulseServer::playTone(const std::string& sink, float amplitude, double seconds) const {
    const fs::path file = m_dir.path() / "tone.raw";
    {
        std::ofstream out(file, std::ios::binary);
        constexpr int kRate = 44100;
        const int count = static_cast<int>(seconds * kRate);
        for (int i = 0; i < count; ++i) {
            const float value =
                amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * i / kRate));
            out.write(reinterpret_cast<const char*>(&value), sizeof value);
        }
    }
    return spawnQuiet({"paplay", "--server=" + address(), "--device=" + sink, "--raw",
                       "--format=float32le", "--rate=44100", "--channels=1", file.string()},
                      environment());
}

std::vector<std::string> PulseServer::environment() const {
    const std::string dir = m_dir.str();
    return {"XDG_RUNTIME_DIR=" + dir + "/run", "HOME=" + dir, "XDG_CONFIG_HOME=" + dir + "/config",
            "PULSE_RUNTIME_PATH=" + dir + "/run/pulse", "PULSE_STATE_PATH=" + dir + "/state"};
}

} // namespace zel::test
