// Saving all profiles and loading the four profiles of the shipped config.ini, each
// against its floor: one atomic replace of a file of the same size (write, fsync, rename,
// as the save does) and one read and parse of the file.
#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniStore.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace zel;

namespace {

struct Fixture {
    test::TempAppDir app;
    FolderTree folders = FolderTree::make(app.appDir(), 1);
    test::RecordingWarningSink warnings;
    MacVkAndText keys;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_SaveAllProfiles(benchmark::State& state) {
    auto& f = fixture();
    ini::IniStore ini;
    ProfileStore store(ini, f.warnings, f.keys, [] { return 1; });
    for (int p = 0; p < 4; ++p) {
        store.loadProfile(f.folders.configDir, p, false);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.saveAllProfiles(f.folders.settingsFile(), 0));
    }
}

void BM_FloorAtomicReplace(benchmark::State& state) {
    auto& f = fixture();
    const std::string text = test::readFile(f.folders.settingsFile());
    const std::string target = f.app.appDir() + "/floor.ini";
    const std::string tmp = target + ".tmp";
    for (auto _ : state) {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, text.data(), text.size()));
        ::fsync(fd);
        ::close(fd);
        ::rename(tmp.c_str(), target.c_str());
    }
}

void BM_LoadFourProfiles(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        // A fresh engine each time: the start-up load reads the file from disk.
        ini::IniStore ini;
        ProfileStore store(ini, f.warnings, f.keys, [] { return 1; });
        for (int p = 0; p < 4; ++p) {
            store.loadProfile(f.folders.configDir, p, false);
        }
        benchmark::DoNotOptimize(store.shared.fireTime);
    }
}

void BM_FloorReadAndParse(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        const std::string text = test::readFile(f.folders.settingsFile());
        auto doc = ini::IniDocument::parse(text);
        benchmark::DoNotOptimize(doc.sections.size());
    }
}

BENCHMARK(BM_SaveAllProfiles)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorAtomicReplace)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFourProfiles)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorReadAndParse)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    zel::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_SaveAllProfiles", "BM_FloorAtomicReplace");
    reporter.printRatio("BM_LoadFourProfiles", "BM_FloorReadAndParse");
    benchmark::Shutdown();
    return 0;
}
