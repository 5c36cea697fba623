// libFuzzer entry for importing a profile file: any bytes as the file the user picks.
// The import either refuses it (another model, not a file) and leaves config.ini as it
// was, or takes it; the profiles it loads then give a device description, the button
// tables and the configuration image without a fault, and survive a save and a load.
#include "FuzzSupport.h"
#include "common/FileChooser.h"
#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"
#include "programming/ConfigImage.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileManager.h"
#include "settings/ProfileStore.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

using namespace zel;
namespace fs = std::filesystem;

namespace {

class NullWarnings final : public WarningSink {
public:
    void warn(Tip) override {}
};

class OneFileChooser final : public FileChooser {
public:
    explicit OneFileChooser(std::string path) : m_path(std::move(path)) {}
    std::optional<std::string> chooseOpen(const FileRequest&) override { return m_path; }
    std::optional<std::string> chooseSave(const FileRequest&) override { return m_path; }

private:
    std::string m_path;
};

/// The shipped settings file, read once.
const std::string& shippedSettings() {
    static const std::string text =
        fuzz::readWhole(fs::path(ZEL_SOURCE_DIR) / "data/skins/config/config.ini");
    return text;
}

/// The configuration blocks of every profile, one after the other.
std::vector<std::uint8_t> imageOf(const ProfileStore& store, const DeviceDescription& description) {
    const ButtonMacroModes modes{};
    const ButtonTables tables = buildButtonTables(store.profiles, description, modes);
    std::vector<std::uint8_t> bytes;
    for (int p = 0; p < kProfileCount; ++p) {
        const ConfigImage image =
            buildConfigImage(ConfigImageInput{tables, store.shared, p, p % 2 == 1, 0, 0});
        if (image.blocks.size() != 14) {
            std::abort();
        }
        for (const BlockWrite& block : image.blocks) {
            bytes.insert(bytes.end(), block.bytes.begin(), block.bytes.end());
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (shippedSettings().empty()) {
        std::abort(); // the fuzz target runs from the source tree
    }
    const fs::path app = fuzz::scratchDir() / "app";
    const FolderTree folders = FolderTree::make(app.string(), 1);
    std::error_code ec;
    fs::create_directories(folders.configDir, ec);
    {
        std::ofstream out(folders.settingsFile(), std::ios::binary | std::ios::trunc);
        out << shippedSettings();
    }
    const std::string chosen = (fuzz::scratchDir() / "chosen.ini").string();
    fuzz::writeInput(chosen, data, size);

    ini::IniStore ini;
    NullWarnings warnings;
    OneFileChooser chooser(chosen);
    static const MacVkAndText keys;
    const DeviceDescription description = loadDeviceDescription(ini, folders.settingsFile());
    ProfileStore store{ini, warnings, keys, [] { return 1; }};
    for (int p = 0; p < kProfileCount; ++p) {
        store.loadProfile(folders.configDir, p, false);
    }
    std::atomic<std::int32_t> current{0};
    ProfileManager manager{store, ini, description, folders, current, warnings, chooser};
    manager.importProfiles();

    const std::string now = fuzz::readWhole(folders.settingsFile());
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (now != shippedSettings() && now != input) {
        std::abort(); // config.ini is the old file or the imported one, whole
    }
    ini.clearCache();
    const DeviceDescription imported = loadDeviceDescription(ini, folders.settingsFile());
    const std::vector<std::uint8_t> loaded = imageOf(store, imported);

    // What was loaded is what a save writes and a load reads again.
    if (!store.saveAllProfiles(folders.settingsFile(), 0)) {
        return 0; // an unreadable import was refused above; nothing to compare
    }
    ini.clearCache();
    for (int p = 0; p < kProfileCount; ++p) {
        store.loadProfile(folders.configDir, p, false);
    }
    if (imageOf(store, imported) != loaded) {
        std::abort();
    }
    return 0;
}
