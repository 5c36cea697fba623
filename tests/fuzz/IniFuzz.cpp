// libFuzzer entry for the settings-file engine: any bytes as a file. Whatever the file
// holds, reading never fails hard, a key written can be read back, the rest of the file
// reads as before, and a file that could not be read whole is never written over.
#include "FuzzSupport.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniStore.h"

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

using namespace zel;

namespace {

constexpr std::size_t kBound = 4096;

/// Every section and key line as the readers see them.
std::vector<std::string> entries(const ini::IniDocument& doc) {
    std::vector<std::string> out;
    for (const ini::IniSection& section : doc.sections) {
        out.push_back("[" + section.nameLower + "]");
        for (const ini::IniLine& line : section.lines) {
            if (line.isKey) {
                out.push_back(line.keyLower + "=" + line.value);
            }
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The text form alone: written out and parsed again, every section, key and value
    // reads as before.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ini::IniDocument doc = ini::IniDocument::parse(text);
    if (entries(ini::IniDocument::parse(doc.serialise())) != entries(doc)) {
        std::abort();
    }

    // Through the store and a real file.
    const std::string path = (fuzz::scratchDir() / "fuzz.ini").string();
    fuzz::writeInput(path, data, size);
    ini::IniStore store;
    const ini::IniStore::FileCheck check = store.check(path);
    const ini::IniSnapshot before = store.snapshot(path);

    // Every key of the first sections as read now.
    std::vector<std::tuple<std::string, std::string, std::string>> seen;
    for (const ini::IniSection& section : doc.sections) {
        if (!section.hasHeader) {
            continue;
        }
        for (const std::string& key : store.keys(path, section.nameLower)) {
            seen.emplace_back(section.nameLower, key, before.read(section.nameLower, key, kBound));
            (void)before.readInt(section.nameLower, key, 16);
        }
        if (seen.size() > 64) {
            break;
        }
    }

    const bool wrote = store.write(path, "ZelFuzz", "Written", "value 1");
    if (check.state == ini::IniStore::FileState::Unreadable) {
        // Never written over: the write is refused and the bytes stay.
        if (wrote || fuzz::readWhole(path) != text) {
            std::abort();
        }
        return 0;
    }
    if (!wrote) {
        std::abort();
    }
    store.clearCache();
    if (store.read(path, "ZelFuzz", "Written", kBound) != "value 1") {
        std::abort();
    }
    for (const auto& [section, key, value] : seen) {
        if (section == "zelfuzz") {
            continue;
        }
        if (store.read(path, section, key, kBound) != value) {
            std::abort();
        }
    }
    return 0;
}
