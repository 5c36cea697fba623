// zel-gmousectl: the mouse from a terminal or a script: list the mice, show the active
// profile, apply the configuration, read the mouse's memory back, export and import
// profile files. No window: it runs over SSH and in a login script.
#include "common/GuardedMain.h"
#include "ctl/CtlTool.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

std::string executableFolder(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.parent_path().string();
    }
    return std::filesystem::absolute(argv0, ec).parent_path().string();
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel-gmousectl", [&] {
        zel::ctl::CtlEnvironment environment(std::cout, std::cerr);
        environment.terminal = ::isatty(STDERR_FILENO) == 1;
        environment.executableFolder = executableFolder(argv[0]);
        if (const char* env = std::getenv("ZEL_GMOUSE_APPDIR")) {
            environment.appDirFromEnvironment = std::string(env);
        }
        return zel::ctl::runCtl(std::vector<std::string>(argv + 1, argv + argc), environment);
    });
}
