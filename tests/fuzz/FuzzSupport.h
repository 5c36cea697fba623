// Small helpers shared by the file-reader fuzz targets: a private scratch folder per
// process and writing one input into it as a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace zel::fuzz {

/// A folder of this process in /dev/shm (memory: the settings engine syncs every file it
/// replaces, which on a disk would make each run wait for it), or else under the temporary
/// folder; made on first use and removed at exit.
inline const std::filesystem::path& scratchDir() {
    static const std::filesystem::path dir = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec)) {
            base = std::filesystem::temp_directory_path(ec);
            if (ec) {
                base = "/tmp";
            }
        }
        std::filesystem::path d = base / ("zel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d, ec);
        static const std::filesystem::path removeAtExit = d;
        std::atexit([] {
            std::error_code e;
            std::filesystem::remove_all(removeAtExit, e);
        });
        return d;
    }();
    return dir;
}

/// Replaces `path` with exactly the input's bytes.
inline void writeInput(const std::filesystem::path& path, const std::uint8_t* data,
                       std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

/// The whole file; empty when it cannot be read.
inline std::string readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace zel::fuzz
