#include "presentation/LanguageFolders.h"

#include <array>

namespace zel {

std::string languageFolder(int index) {
    static constexpr std::array<const char*, 27> kFolders = {
        "/0_INI_CN",    "/1_INI_EN",  "/2_INI_FR",    "/3_INI_BILI",
        "/4_INI_DE",    "/5_INI_SP",  "/6_INI_IT",    "/7_INI_RU",
        "/8_INI_TU",    "/9_INI_PO",  "/10_INI_TH",   "/11_INI_KR",
        "/12_INI_JP",   "/13_INI_AR", "/14_INI_PL",   "/15_INI_CZ",
        "/16_INI_SE",   "/17_INI_NL", "/18_INI_POBR", "/19_INI_CNTW",
        "/20_INI_NLBE", "/21_INI_DA", "/22_INI_SL",   "/23_INI_FA",
        "/24_INI_UA",   "",           "/26_INI_HUN"};
    if (index < 0 || index >= static_cast<int>(kFolders.size())) {
        return {};
    }
    return kFolders[static_cast<std::size_t>(index)];
}

} // namespace zel
