#pragma once

#include "ctl/CtlTool.h"
#include "dryrun/DryRunSession.h"
#include "platform/ini/IniStore.h"

#include "TestSupport.h"

#include <sstream>
#include <string>
#include <vector>

namespace zel::test {

/// What one run of zel-gmousectl printed and returned.
struct CtlRunResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs the tool in this process on `appDir` with the given devices (null: hidraw's).
inline CtlRunResult runCtlTool(std::vector<std::string> args, const std::string& appDir,
                               hid::HidBackend* backend, Sleeper* sleeper) {
    std::ostringstream out;
    std::ostringstream err;
    dryrun::MemoryPointerSettings pointer;
    ctl::CtlEnvironment environment(out, err);
    environment.backend = backend;
    environment.sleeper = sleeper;
    environment.pointer = &pointer;
    args.insert(args.begin(), "--app-dir=" + appDir);
    const int status = ctl::runCtl(args, environment);
    return {status, out.str(), err.str()};
}

/// The dry run of an AppDir: the writes of its download in order and the simulated
/// mouse's memory after it.
struct DryRunReference {
    std::vector<BlockWrite> writes;
    std::array<std::uint8_t, sim::SimulatedMouse::kMemorySize> memory{};

    /// The dry run's blocks as the mouse holds them at its end, in the dry run's format:
    /// what reading those blocks back must print.
    std::string rawText() const {
        std::string text;
        for (const BlockWrite& write : writes) {
            BlockWrite now{write.address, {}};
            for (std::size_t i = 0; i < write.bytes.size(); ++i) {
                now.bytes.push_back(memory[write.address + i]);
            }
            text += dryrun::formatBlockWrite(now) + "\n";
        }
        return text;
    }
};

inline DryRunReference dryRunOf(const std::string& appDir) {
    RecordingSleeper sleeper;
    dryrun::DryRunSession::Options options;
    options.appDir = appDir;
    options.sleeper = &sleeper;
    dryrun::DryRunSession session(std::move(options));
    DryRunReference reference;
    session.download([&reference](const ImageOp& op) {
        if (const auto* write = std::get_if<BlockWrite>(&op)) {
            reference.writes.push_back(*write);
        }
    });
    reference.memory = session.mouse().memory();
    return reference;
}

/// Changes one value of an AppDir's settings file.
inline void setSetting(const std::string& appDir, const std::string& section,
                       const std::string& key, const std::string& value) {
    ini::IniStore store;
    static_cast<void>(store.write(appDir + "/skins/config/config.ini", section, key, value));
}

} // namespace zel::test
