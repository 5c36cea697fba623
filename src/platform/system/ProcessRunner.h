#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zel::system {

/// What a finished program gave back.
struct ProcessResult {
    int exitStatus = -1; ///< the exit code; -1 when the program did not exit normally
    std::string output;  ///< its standard output
};

/// Runs a helper program of the desktop (such as the settings command) and waits for it.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    /// Runs `argv[0]` (looked up in PATH) with the arguments; nothing when it could not be
    /// started.
    virtual std::optional<ProcessResult> run(const std::vector<std::string>& argv) = 0;
};

/// Starts the program with posix_spawn, its standard input and error on /dev/null, and
/// collects at most 64 KiB of its output.
class SpawnProcessRunner final : public ProcessRunner {
public:
    std::optional<ProcessResult> run(const std::vector<std::string>& argv) override;
};

} // namespace zel::system
