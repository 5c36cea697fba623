#pragma once

#include <spawn.h>
#include <string>
#include <vector>

namespace zel::bench {

/// Starts `program` with `args` after its name and exactly the environment `env`; the
/// process ID, or -1 when it could not be started.
inline pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                          std::vector<std::string> env) {
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> out;
        for (auto& s : strings) {
            out.push_back(s.data());
        }
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argv = pointers(argStore);
    std::vector<char*> envp = pointers(env);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

} // namespace zel::bench
