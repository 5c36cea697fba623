// zel-gmouse-dryrun: loads the settings and macro library of an AppDir as the program does
// at start-up, runs the full download into the simulated mouse and prints every block
// write in order; with --decode, also the configuration memory read back into records.
#include "common/GuardedMain.h"
#include "dryrun/DryRunSession.h"
#include "sim/MemoryDecoder.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s --app-dir DIR [--product 1040|1201] [--decode]\n", program);
    return 2;
}

int run(int argc, char** argv) {
    using namespace zel;
    std::string appDir;
    std::uint16_t productId = DeviceLink::kProduct1040;
    bool decode = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--app-dir" && i + 1 < argc) {
            appDir = argv[++i];
        } else if (arg.rfind("--app-dir=", 0) == 0) {
            appDir = arg.substr(std::strlen("--app-dir="));
        } else if (arg == "--product" && i + 1 < argc) {
            const std::string product = argv[++i];
            if (product == "1201") {
                productId = DeviceLink::kProduct1201;
            } else if (product != "1040") {
                return usage(argv[0]);
            }
        } else if (arg == "--decode") {
            decode = true;
        } else {
            return usage(argv[0]);
        }
    }
    if (appDir.empty()) {
        return usage(argv[0]);
    }
    while (appDir.size() > 1 && appDir.back() == '/') {
        appDir.pop_back();
    }

    // Every warning, of the loading and of the download, arrives here once, in the order
    // it is shown.
    dryrun::DryRunSession::Options options;
    options.appDir = appDir;
    options.productId = productId;
    options.onWarning = [](Tip tip) { std::printf("warning: TipText %d\n", tipNumber(tip)); };
    options.onMessage = [](const std::string& text) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    };
    dryrun::DryRunSession session(std::move(options));
    if (!session.usable()) {
        std::fprintf(stderr, "%s: no settings file in %s\n", argv[0], appDir.c_str());
        return 2;
    }
    if (!session.connected()) {
        std::fprintf(stderr, "%s: the simulated mouse did not answer as %s\n", argv[0],
                     session.device().deviceString.c_str());
        return 2;
    }
    session.download([](const ImageOp& op) {
        if (const auto* write = std::get_if<BlockWrite>(&op)) {
            std::printf("%s\n", dryrun::formatBlockWrite(*write).c_str());
        }
    });
    if (decode) {
        const auto memory = session.mouse().memory();
        for (const std::string& line : sim::describeMemory(sim::decodeMemory(memory))) {
            std::printf("%s\n", line.c_str());
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel-gmouse-dryrun", [&] { return run(argc, argv); });
}
