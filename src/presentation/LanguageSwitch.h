#pragma once

#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"
#include "presentation/LanguagePack.h"

#include <functional>
#include <string>

namespace zel {

/// `SkinsDir` + the language's folder.
std::string languageDir(const std::string& skinsDir, int language);

/// `Init`/`VER_SEL` of the settings file (bound 4, leading integer, kept in 8 bits;
/// missing gives 0).
int readLanguageIndex(const ini::IniStore& store, const std::string& configPath);

/// What the windows reload when the language changes; each hook may be empty.
struct LanguageHooks {
    std::function<void()> saveOpenMacro;       ///< the macro the editor has open, to its group file
    std::function<void()> reloadMainSkins;     ///< the five layout files of the main window
    std::function<void()> rebuildMacroFolders; ///< MacroDir, MacroResetDir and the groups
    std::function<void()> refreshMacroPage;    ///< the macro page's lists, when it is shown
    std::function<void()> dropPopupMenus;      ///< built again in the new language when opened
    std::function<void()> setEnglishTitle;     ///< the window title becomes PRODUCTNAME_EN
    std::function<void()> reloadWeaponPresets; ///< PUBG.dat of the new folder
};

/// The state a language change works on.
struct LanguageContext {
    ini::IniStore& store;
    std::string skinsDir;
    int& language;
    LanguagePack& pack;
    MessageSink* messages = nullptr;
};

/// Writes `VER_SEL`, loads the new pack and runs the reload hooks in their order.
void applyLanguage(LanguageContext& context, const LanguageHooks& hooks);

/// Saves the open macro, sets the language index and applies it.
void switchLanguage(int index, LanguageContext& context, const LanguageHooks& hooks);

} // namespace zel
