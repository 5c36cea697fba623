#include "settings/FolderTree.h"

#include <array>
#include <string_view>

namespace zel {

namespace {

constexpr std::array<std::string_view, 27> kLanguageFolders = {
    "/0_INI_CN",    "/1_INI_EN",  "/2_INI_FR",    "/3_INI_BILI",
    "/4_INI_DE",    "/5_INI_SP",  "/6_INI_IT",    "/7_INI_RU",
    "/8_INI_TU",    "/9_INI_PO",  "/10_INI_TH",   "/11_INI_KR",
    "/12_INI_JP",   "/13_INI_AR", "/14_INI_PL",   "/15_INI_CZ",
    "/16_INI_SE",   "/17_INI_NL", "/18_INI_POBR", "/19_INI_CNTW",
    "/20_INI_NLBE", "/21_INI_DA", "/22_INI_SL",   "/23_INI_FA",
    "/24_INI_UA",   "",           "/26_INI_HUN"};

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

std::string languageFolderName(int index) {
    if (index < 0 || index >= static_cast<int>(kLanguageFolders.size())) {
        return {};
    }
    return std::string(kLanguageFolders[static_cast<std::size_t>(index)]);
}

FolderTree FolderTree::make(const std::string& appDir, int language) {
    FolderTree tree;
    tree.appDir = withoutTrailingSlash(appDir);
    tree.skinsDir = tree.appDir + "/skins";
    tree.configDir = tree.skinsDir + "/config/";
    tree.setLanguage(language);
    return tree;
}

void FolderTree::setLanguage(int language) {
    languageDir = skinsDir + languageFolderName(language);
    macroDir = languageDir + "/macro/";
    macroResetDir = languageDir + "/macroReset/";
}

std::string resolveAppDir(const AppDirChoice& choice) {
    if (choice.option && !choice.option->empty()) {
        return withoutTrailingSlash(*choice.option);
    }
    if (choice.environment && !choice.environment->empty()) {
        return withoutTrailingSlash(*choice.environment);
    }
    return withoutTrailingSlash(choice.executableFolder);
}

std::optional<std::string> appDirOption(int argc, const char* const* argv) {
    constexpr std::string_view kOption = "--app-dir";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] == nullptr ? std::string_view() : argv[i];
        if (arg == kOption && i + 1 < argc && argv[i + 1] != nullptr) {
            return std::string(argv[i + 1]);
        }
        if (arg.size() > kOption.size() && arg.substr(0, kOption.size()) == kOption &&
            arg[kOption.size()] == '=') {
            return std::string(arg.substr(kOption.size() + 1));
        }
    }
    return std::nullopt;
}

} // namespace zel
