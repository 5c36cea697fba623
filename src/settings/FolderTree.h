#pragma once

#include <optional>
#include <string>

namespace zel {

/// Name of the folder of language `index` below the skins folder, with its leading "/"
/// ("/1_INI_EN"); index 25 and indices outside 0..26 have no folder: "".
std::string languageFolderName(int index);

/// The folder tree below AppDir, every path built by plain concatenation.
struct FolderTree {
    std::string appDir;        ///< folder of the program's data, without a trailing "/"
    std::string skinsDir;      ///< appDir + "/skins"
    std::string configDir;     ///< skinsDir + "/config/"
    std::string languageDir;   ///< skinsDir + language folder name
    std::string macroDir;      ///< languageDir + "/macro/"
    std::string macroResetDir; ///< languageDir + "/macroReset/"

    /// The tree for `appDir` and the language index.
    static FolderTree make(const std::string& appDir, int language);

    /// Rebuilds the language-dependent folders after a change of language.
    void setLanguage(int language);

    /// skinsDir + "/config/config.ini": the settings file.
    std::string settingsFile() const { return skinsDir + "/config/config.ini"; }
    /// configDir + "configReset.ini": the factory copy of the profiles.
    std::string factoryFile() const { return configDir + "configReset.ini"; }
    /// configDir + "/constMacro.dat" (the doubled separator does no harm).
    std::string constMacroFile() const { return configDir + "/constMacro.dat"; }
};

/// Where AppDir is: the folder named by the command-line option (`--app-dir DIR` or
/// `--app-dir=DIR`), else by the environment variable ZEL_GMOUSE_APPDIR, else the folder
/// of the executable. A trailing "/" is dropped.
struct AppDirChoice {
    std::optional<std::string> option;      ///< value of --app-dir, if given
    std::optional<std::string> environment; ///< value of ZEL_GMOUSE_APPDIR, if set
    std::string executableFolder;           ///< folder of the running executable
};
std::string resolveAppDir(const AppDirChoice& choice);

/// The value of `--app-dir` in a command line (argv[1..]), if present.
std::optional<std::string> appDirOption(int argc, const char* const* argv);

} // namespace zel
