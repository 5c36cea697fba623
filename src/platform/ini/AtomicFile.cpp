#include "platform/ini/AtomicFile.h"

#include <climits>

#include "common/UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::ini {

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return std::nullopt;
    }
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > maxBytes) {
            return std::nullopt;
        }
    }
    return data;
}

std::string finalTarget(const std::string& path) {
    std::string current = path;
    // A chain of links is followed to the file it ends at; a loop ends the search.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return current;
        }
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const auto slash = current.rfind('/');
            target = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
                     target;
        }
        current = target;
    }
    return current;
}

bool replaceFile(const std::string& linkOrPath, std::string_view data, mode_t mode,
                 const ReplaceObserver& observer) {
    const auto passed = [&observer](ReplaceStage stage) {
        if (observer) {
            observer(stage);
        }
    };
    // The user's file is where a link points (settings kept in a dotfile repository): the
    // target is replaced, and the link stays a link.
    const std::string path = finalTarget(linkOrPath);
    const auto slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmp = folder + "/." + name + ".XXXXXX";
    UniqueFd fd(::mkstemp(tmp.data()));
    if (!fd.valid()) {
        return false;
    }
    bool ok = writeAll(fd.get(), data) && ::fchmod(fd.get(), mode) == 0;
    if (ok) {
        passed(ReplaceStage::Written);
        ok = ::fsync(fd.get()) == 0;
    }
    ok = fd.close() && ok;
    if (ok) {
        passed(ReplaceStage::Synced);
    }
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    passed(ReplaceStage::Renamed);
    // The rename itself reaches the disk with the folder (best effort: some file systems
    // refuse to sync a folder).
    if (const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.valid()) {
        static_cast<void>(::fsync(dir.get()));
    }
    return true;
}

} // namespace zel::ini
