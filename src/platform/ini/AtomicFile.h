#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zel::ini {

/// The whole content of a file; nothing when it cannot be read or is larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

/// The points a replace passes: the temporary file written, flushed to disk, renamed over
/// the old file.
enum class ReplaceStage { Written, Synced, Renamed };
/// Told each stage as it is passed (tests stop a save there to kill it).
using ReplaceObserver = std::function<void(ReplaceStage)>;

/// Replaces the file at `path` by `data` through a temporary file in the same folder that is
/// flushed to disk and then renamed over it, so the file is either the old one or the
/// complete new one; the folder is flushed after the rename. Where `path` is a symbolic
/// link, the file it ends at is replaced and the link stays. The new file gets permissions
/// `mode`. False when it could not be done (the old file is then as it was).
bool replaceFile(const std::string& path, std::string_view data, mode_t mode,
                 const ReplaceObserver& observer = {});

/// The file a chain of symbolic links at `path` ends at (`path` itself when it is no link).
std::string finalTarget(const std::string& path);

} // namespace zel::ini
