#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zel::ini {

/// The whole content of a file; nothing when it cannot be read or is larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

/// Replaces the file at `path` by `data` through a temporary file in the same folder that is
/// flushed to disk and then renamed over it, so the file is either the old one or the
/// complete new one. The new file gets permissions `mode`. False when it could not be done.
bool replaceFile(const std::string& path, std::string_view data, mode_t mode);

} // namespace zel::ini
