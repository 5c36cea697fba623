#pragma once

#include <optional>
#include <string>

namespace zel {

/// Where the program's data lives when it was not given a folder.
///  - A portable copy or the build folder: the executable's folder holds "skins": that
///    folder is AppDir.
///  - An installed copy: the data lies read-only in `<prefix>/share/zel-gmouse`, beside
///    `<prefix>/bin`; AppDir is then the per-user folder `dataHome`/zel-gmouse, seeded from
///    the installed data. Files the user already has are never overwritten, so settings and
///    macros survive upgrades, while files new in an upgrade are added.
/// Returns std::nullopt when neither is found or the per-user folder cannot be made.
std::optional<std::string> locateAppDir(const std::string& executableFolder,
                                        const std::string& dataHome);

/// The per-user data folder: $XDG_DATA_HOME, or $HOME/.local/share.
std::string userDataHome();

/// Copies every file of `from` that `to` lacks, creating folders. False on a failure.
bool seedMissingFiles(const std::string& from, const std::string& to);

} // namespace zel
