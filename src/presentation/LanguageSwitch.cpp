#include "presentation/LanguageSwitch.h"

#include "settings/FolderTree.h"

namespace zel {

namespace {

void run(const std::function<void()>& hook) {
    if (hook) {
        hook();
    }
}

} // namespace

std::string languageDir(const std::string& skinsDir, int language) {
    return skinsDir + languageFolderName(language);
}

int readLanguageIndex(const ini::IniStore& store, const std::string& configPath) {
    return store.readInt(configPath, "Init", "VER_SEL", 4) & 0xFF;
}

void applyLanguage(LanguageContext& context, const LanguageHooks& hooks) {
    // A failed write is ignored like every settings write; the language applies anyway.
    static_cast<void>(context.store.write(context.skinsDir + "/config/config.ini", "Init",
                                          "VER_SEL", std::to_string(context.language)));
    context.pack.load(context.store, languageDir(context.skinsDir, context.language),
                      context.messages);
    run(hooks.reloadMainSkins);
    run(hooks.rebuildMacroFolders);
    run(hooks.refreshMacroPage);
    run(hooks.dropPopupMenus);
    run(hooks.setEnglishTitle);
    run(hooks.reloadWeaponPresets);
}

void switchLanguage(int index, LanguageContext& context, const LanguageHooks& hooks) {
    run(hooks.saveOpenMacro);
    context.language = index & 0xFF;
    applyLanguage(context, hooks);
}

} // namespace zel
