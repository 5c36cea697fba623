#include "settings/AppDirSeed.h"

#include <cstdlib>
#include <filesystem>

namespace zel {

namespace fs = std::filesystem;

bool seedMissingFiles(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        return false;
    }
    bool ok = true;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code one;
        // Below the folder being walked the relative path is only the entry's own tail.
        const fs::path target = fs::path(to) / fs::relative(it->path(), from, one);
        if (one) {
            ok = false;
            continue;
        }
        if (it->is_directory(one)) {
            fs::create_directories(target, one);
        } else if (!fs::exists(target, one)) {
            fs::copy_file(it->path(), target, one);
            // The installed data is read-only; the user's copy must be writable.
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add, one);
        }
        ok = ok && !one;
    }
    return ok && !ec;
}

std::string userDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && *xdg == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::optional<std::string> locateAppDir(const std::string& executableFolder,
                                        const std::string& dataHome) {
    std::error_code ec;
    if (fs::is_directory(fs::path(executableFolder) / "skins", ec)) {
        return executableFolder;
    }
    const fs::path installed = fs::path(executableFolder).parent_path() / "share" / "zel-gmouse";
    if (!fs::is_directory(installed / "skins", ec) || dataHome.empty()) {
        return std::nullopt;
    }
    const fs::path user = fs::path(dataHome) / "zel-gmouse";
    if (!seedMissingFiles(installed.string(), user.string()) &&
        !fs::is_directory(user / "skins", ec)) {
        return std::nullopt;
    }
    return user.string();
}

} // namespace zel
