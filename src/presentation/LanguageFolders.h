#pragma once

#include <string>

namespace zel {

/// Folder name of language `index` below SkinsDir, beginning with "/" ("/0_INI_CN",
/// "/26_INI_HUN"). Index 25 and every index outside the table give "", so the pack and
/// layout files of such a language are looked up in SkinsDir itself.
std::string languageFolder(int index);

} // namespace zel
