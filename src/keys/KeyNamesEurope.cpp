// Key names of the European keyboards (besides German), by device key code.

#include "keys/KeyTables.h"

namespace zel::keys {
namespace {

// French AZERTY: names by the key's place, so code 4 (the US A place) is Q.
constexpr KeyName kFrenchNames[] = {
    {4, "Q"},
    {16, ",?"},
    {20, "A"},
    {26, "Z"},
    {29, "W"},
    {30, "&1"},
    {31, "é2"},
    {32, "\"3"},
    {33, "'4"},
    {34, "(5"},
    {35, "-6"},
    {36, "è7"},
    {37, "_8"},
    {38, "ç9"},
    {39, "à0"},
    {40, "Pavé num. Entrée"},
    {41, "Échap"},
    {42, "Retour arrière"},
    {43, "Tab"},
    {44, "Espace"},
    {45, ")°"},
    {47, "^¨"},
    {48, "$£"},
    {49, "*µ"},
    {50, "*µ"},
    {51, "M"},
    {52, "ù%"},
    {53, "²"},
    {54, ";."},
    {55, ":/"},
    {56, "!§"},
    {57, "MAJ"},
    {70, "Impr. écran"},
    {71, "Arrêt défil"},
    {72, "Pause Attn"},
    {73, "Inser"},
    {75, "Page préc."},
    {76, "Suppr"},
    {77, "Fin"},
    {78, "Page suiv."},
    {83, "Verr. num."},
    {84, "Pavé num. /"},
    {85, "Pavé num. *"},
    {86, "Pavé num. -"},
    {87, "Pavé num. +"},
    {89, "Pavé num. 1"},
    {90, "Pavé num. 2"},
    {91, "Pavé num. 3"},
    {92, "Pavé num. 4"},
    {93, "Pavé num. 5"},
    {94, "Pavé num. 6"},
    {95, "Pavé num. 7"},
    {96, "Pavé num. 8"},
    {97, "Pavé num. 9"},
    {98, "Pavé num. 0"},
    {99, "Pavé num. ."},
    {101, "Menu"},
    {224, "Ctrl gauche"},
    {226, "Alt"},
    {227, "Windows gauche"},
    {228, "Ctrl droit"},
    {230, "Alt Gr"},
};
static_assert(strictlyAscending(kFrenchNames));

// Belgian AZERTY with Dutch key names.
constexpr KeyName kBelgianNames[] = {
    {4, "Q"},
    {16, ",?"},
    {20, "A"},
    {26, "Z"},
    {29, "W"},
    {30, "&1"},
    {31, "é2"},
    {32, "\"3"},
    {33, "'4"},
    {34, "(5"},
    {35, "§6"},
    {36, "è7"},
    {37, "!8"},
    {38, "ç9"},
    {39, "à0"},
    {40, "Num Enter"},
    {41, "Esc"},
    {42, "Terug"},
    {43, "Tab"},
    {45, ")°"},
    {46, "-_"},
    {47, "^¨"},
    {48, "$*"},
    {49, "µ£"},
    {51, "M"},
    {52, "ù%"},
    {53, "²³"},
    {54, ";."},
    {55, ":/"},
    {56, "=+"},
    {71, "Scroll Lock"},
    {72, "Pauze"},
    {73, "Invoegen"},
    {75, "Pagina omhoog"},
    {77, "Einde"},
    {78, "Pagina omlaag"},
    {84, "Num /"},
    {85, "Num *"},
    {86, "Num -"},
    {87, "Num +"},
    {89, "Num 1"},
    {90, "Num 2"},
    {91, "Num 3"},
    {92, "Num 4"},
    {93, "Num 5"},
    {94, "Num 6"},
    {95, "Num 7"},
    {96, "Num 8"},
    {97, "Num 9"},
    {98, "Num 0"},
    {99, "Num ."},
    {101, "Menu"},
    {224, "Ctrl links"},
    {226, "Alt"},
    {227, "Windows links"},
    {228, "Ctrl rechts"},
    {230, "Alt Gr"},
    {231, "Fn"},
};
static_assert(strictlyAscending(kBelgianNames));

// Spanish.
constexpr KeyName kSpanishNames[] = {
    {31, "2\""},
    {32, "3·"},
    {35, "6&"},
    {36, "7/"},
    {37, "8("},
    {38, "9)"},
    {39, "0="},
    {40, "Tecl. num. Intro"},
    {41, "Esc"},
    {42, "Retroceso"},
    {44, "Espacio"},
    {45, "'?"},
    {46, "¡¿"},
    {47, "`^"},
    {48, "+*"},
    {49, "çÇ"},
    {51, "Ñ"},
    {52, "´¨"},
    {53, "ºª"},
    {54, ",;"},
    {55, ".:"},
    {56, "-_"},
    {57, "Bloq Mayús"},
    {70, "Impr Pant"},
    {71, "Bloq Despl"},
    {72, "Pausa"},
    {73, "Insertar"},
    {74, "Inicio"},
    {75, "Re Pág"},
    {76, "Supr"},
    {77, "Fin"},
    {78, "Av Pág"},
    {79, "Derecha"},
    {81, "Abajo"},
    {83, "Bloq Num"},
    {84, "Tecl. num. /"},
    {85, "Tecl. num. *"},
    {86, "Tecl. num. -"},
    {87, "Tecl. num. +"},
    {89, "Tecl. num. 1"},
    {90, "Tecl. num. 2"},
    {91, "Tecl. num. 3"},
    {92, "Tecl. num. 4"},
    {93, "Tecl. num. 5"},
    {94, "Tecl. num. 6"},
    {95, "Tecl. num. 7"},
    {96, "Tecl. num. 8"},
    {97, "Tecl. num. 9"},
    {98, "Tecl. num. 0"},
    {99, "Tecl. num. ."},
    {101, "Menú"},
    {224, "L-Control"},
    {225, "L-Mayúscula"},
    {226, "Alt"},
    {227, "L-Windows"},
    {228, "R-Control"},
    {229, "R-Mayúscula"},
    {230, "Alt Gr"},
    {231, "R-Windows"},
};
static_assert(strictlyAscending(kSpanishNames));

// Italian, with the upper-case names Italian keyboards print.
constexpr KeyName kItalianNames[] = {
    {31, "2\""},
    {32, "3£"},
    {35, "6&"},
    {36, "7/"},
    {37, "8("},
    {38, "9)"},
    {39, "0="},
    {40, "TN INVIO"},
    {41, "ESC"},
    {42, "BACKSPACE"},
    {44, "BARRA SPAZIATRICE"},
    {45, "'?"},
    {46, "ì^"},
    {47, "èé"},
    {48, "+*"},
    {49, "ù§"},
    {51, "òç"},
    {52, "à°"},
    {53, "\\|"},
    {54, ",;"},
    {55, ".:"},
    {56, "-_"},
    {57, "BLOC MAIUSC"},
    {70, "STAMP"},
    {71, "BLOC SCORR"},
    {72, "PAUSA"},
    {73, "INS"},
    {75, "PGSU"},
    {76, "CANC"},
    {77, "FINE"},
    {78, "PGGIÙ"},
    {83, "BLOC NUM"},
    {84, "TN /"},
    {85, "TN *"},
    {86, "TN -"},
    {87, "TN +"},
    {89, "TN 1"},
    {90, "TN 2"},
    {91, "TN 3"},
    {92, "TN 4"},
    {93, "TN 5"},
    {94, "TN 6"},
    {95, "TN 7"},
    {96, "TN 8"},
    {97, "TN 9"},
    {98, "TN 0"},
    {99, "TN ."},
    {101, "APPLICAZIONI"},
    {224, "CTRL SINISTRO"},
    {225, "MAIUSC SINISTRO"},
    {226, "ALT"},
    {227, "WIN SINISTRO"},
    {228, "CTRL DESTRO"},
    {229, "MAIUSC DESTRO"},
    {230, "ALT GR"},
    {231, "WIN DESTRO"},
};
static_assert(strictlyAscending(kItalianNames));

// Russian ЙЦУКЕН.
constexpr KeyName kRussianNames[] = {
    {4, "Ф"},        {5, "И"},           {6, "С"},        {7, "В"},        {8, "У"},
    {9, "А"},        {10, "П"},          {11, "Р"},       {12, "Ш"},       {13, "О"},
    {14, "Л"},       {15, "Д"},          {16, "Ь"},       {17, "Т"},       {18, "Щ"},
    {19, "З"},       {20, "Й"},          {21, "К"},       {22, "Ы"},       {23, "Е"},
    {24, "Г"},       {25, "М"},          {26, "Ц"},       {27, "Ч"},       {28, "Н"},
    {29, "Я"},       {31, "2\""},        {32, "3№"},      {33, "4;"},      {35, "6:"},
    {36, "7?"},      {40, "Цифр. Ввод"}, {47, "Х"},       {48, "Ъ"},       {49, "\\/"},
    {51, "Ж"},       {52, "Э"},          {53, "Ё"},       {54, "Б"},       {55, "Ю"},
    {84, "Цифр. /"}, {85, "Цифр. *"},    {86, "Цифр. -"}, {87, "Цифр. +"}, {89, "Цифр. 1"},
    {90, "Цифр. 2"}, {91, "Цифр. 3"},    {92, "Цифр. 4"}, {93, "Цифр. 5"}, {94, "Цифр. 6"},
    {95, "Цифр. 7"}, {96, "Цифр. 8"},    {97, "Цифр. 9"}, {98, "Цифр. 0"}, {99, "Цифр. ."},
};
static_assert(strictlyAscending(kRussianNames));

// Turkish Q (upper and lower case of the letter keys).
constexpr KeyName kTurkishNames[] = {
    {31, "2'"}, {32, "3^"},  {33, "4+"}, {35, "6&"}, {36, "7/"}, {37, "8("}, {38, "9)"},
    {39, "0="}, {45, "*?"},  {46, "-_"}, {47, "Ğğ"}, {48, "Üü"}, {49, ",;"}, {50, ",;"},
    {51, "Şş"}, {53, "\"é"}, {54, "Öö"}, {55, "Çç"}, {56, ".:"},
};
static_assert(strictlyAscending(kTurkishNames));

// Portuguese.
constexpr KeyName kPortugueseNames[] = {
    {31, "2\""},
    {35, "6&"},
    {36, "7/"},
    {37, "8("},
    {38, "9)"},
    {40, "Tecl. num. Enter"},
    {41, "Esc"},
    {42, "Retrocesso"},
    {43, "Tab"},
    {44, "Espaço"},
    {45, "'?"},
    {46, "«»"},
    {47, "+*"},
    {48, "´`"},
    {49, "~^"},
    {51, "Ç"},
    {52, "ºª"},
    {53, "\\|"},
    {54, ",;"},
    {55, ".:"},
    {56, "-_"},
    {57, "Bloq Maiúsc"},
    {71, "Bloq Desl"},
    {72, "Pausa"},
    {73, "Inserir"},
    {74, "Início"},
    {75, "Pág Acima"},
    {76, "Eliminar"},
    {77, "Fim"},
    {78, "Pág Abaixo"},
    {83, "Bloq Num"},
    {84, "Tecl. num. /"},
    {85, "Tecl. num. *"},
    {86, "Tecl. num. -"},
    {87, "Tecl. num. +"},
    {89, "Tecl. num. 1"},
    {90, "Tecl. num. 2"},
    {91, "Tecl. num. 3"},
    {92, "Tecl. num. 4"},
    {93, "Tecl. num. 5"},
    {94, "Tecl. num. 6"},
    {95, "Tecl. num. 7"},
    {96, "Tecl. num. 8"},
    {97, "Tecl. num. 9"},
    {98, "Tecl. num. 0"},
    {99, "Tecl. num. ."},
    {228, "Ctrl Direito"},
};
static_assert(strictlyAscending(kPortugueseNames));

// Polish programmer's layout: US key caps, only a few names differ.
constexpr KeyName kPolishNames[] = {
    {41, "Esc"},
    {43, "Tab"},
    {57, "Caps"},
};
static_assert(strictlyAscending(kPolishNames));

// Czech QWERTZ: the number row types accented letters, the digit comes with Shift.
constexpr KeyName kCzechNames[] = {
    {28, "Z"},  {29, "Y"},   {30, "1+"}, {31, "2Ě"}, {32, "3Š"}, {33, "4Č"}, {34, "5Ř"}, {35, "6Ž"},
    {36, "7Ý"}, {37, "8Á"},  {38, "9Í"}, {39, "0É"}, {45, "=%"}, {46, "´ˇ"}, {47, "Ú/"}, {48, ")("},
    {49, "¨'"}, {51, "Ů\""}, {52, "§!"}, {53, ";°"}, {54, ",?"}, {55, ".:"}, {56, "-_"},
};
static_assert(strictlyAscending(kCzechNames));

// Swedish.
constexpr KeyName kSwedishNames[] = {
    {39, "0="}, {41, "Esc"}, {43, "Tab"}, {45, "+?"}, {46, "´`"}, {47, "Åå"}, {48, "¨^"},
    {49, "'*"}, {51, "Öö"},  {52, "Ää"},  {53, "§½"}, {54, ",;"}, {55, ".:"}, {56, "-_"},
};
static_assert(strictlyAscending(kSwedishNames));

// Dutch (US layout).
constexpr KeyName kDutchNames[] = {
    {41, "Esc"},
    {43, "Tab"},
};
static_assert(strictlyAscending(kDutchNames));

// Danish.
constexpr KeyName kDanishNames[] = {
    {31, "2\""},   {33, "4¤"},        {35, "6&"},    {36, "7/"},    {37, "8("},    {38, "9)"},
    {39, "0="},    {40, "Num Enter"}, {41, "Esc"},   {43, "Tab"},   {45, "+?"},    {46, "´`"},
    {47, "åÅ"},    {48, "¨^"},        {49, "'*"},    {51, "æÆ"},    {52, "øØ"},    {53, "½§"},
    {56, "-_"},    {57, "Caps Lock"}, {84, "Num /"}, {85, "Num *"}, {86, "Num -"}, {87, "Num +"},
    {89, "Num 1"}, {90, "Num 2"},     {91, "Num 3"}, {92, "Num 4"}, {93, "Num 5"}, {94, "Num 6"},
    {95, "Num 7"}, {96, "Num 8"},     {97, "Num 9"},
};
static_assert(strictlyAscending(kDanishNames));

// Slovak QWERTZ: the number row types accented letters, the digit comes with Shift.
constexpr KeyName kSlovakNames[] = {
    {30, "1+"}, {31, "2ľ"}, {32, "3š"}, {33, "4č"},        {34, "5ť"},  {35, "6ž"},
    {36, "7ý"}, {37, "8á"}, {38, "9í"}, {39, "0é"},        {41, "Esc"}, {45, "=%"},
    {46, "´ˇ"}, {47, "ú/"}, {48, "ä("}, {51, "ô\""},       {52, "§!"},  {53, ";°"},
    {54, ",?"}, {55, ".:"}, {56, "-_"}, {57, "Caps Lock"},
};
static_assert(strictlyAscending(kSlovakNames));

// Ukrainian ЙЦУКЕН.
constexpr KeyName kUkrainianNames[] = {
    {4, "Ф"},        {5, "И"},           {6, "С"},        {7, "В"},        {8, "У"},
    {9, "А"},        {10, "П"},          {11, "Р"},       {12, "Ш"},       {13, "О"},
    {14, "Л"},       {15, "Д"},          {16, "Ь"},       {17, "Т"},       {18, "Щ"},
    {19, "З"},       {20, "Й"},          {21, "К"},       {22, "І"},       {23, "Е"},
    {24, "Г"},       {25, "М"},          {26, "Ц"},       {27, "Ч"},       {28, "Н"},
    {29, "Я"},       {31, "2\""},        {32, "3№"},      {33, "4;"},      {35, "6:"},
    {36, "7?"},      {40, "Цифр. Ввід"}, {47, "Х"},       {48, "Ї"},       {49, "Ґ"},
    {51, "Ж"},       {52, "Є"},          {53, "₴"},       {54, "Б"},       {55, "Ю"},
    {56, ".,"},      {84, "Цифр. /"},    {85, "Цифр. *"}, {86, "Цифр. -"}, {87, "Цифр. +"},
    {89, "Цифр. 1"}, {90, "Цифр. 2"},    {91, "Цифр. 3"}, {92, "Цифр. 4"}, {93, "Цифр. 5"},
    {94, "Цифр. 6"}, {95, "Цифр. 7"},    {96, "Цифр. 8"}, {97, "Цифр. 9"}, {98, "Цифр. 0"},
    {99, "Цифр. ."},
};
static_assert(strictlyAscending(kUkrainianNames));

// Hungarian QWERTZ: 0 left of 1, the accented vowels on the punctuation keys.
constexpr KeyName kHungarianNames[] = {
    {30, "1'"}, {31, "2\""}, {32, "3+"}, {33, "4!"},    {35, "6/"}, {36, "7="},
    {37, "8("}, {38, "9)"},  {39, "ö"},  {45, "ü"},     {46, "ó"},  {47, "ő"},
    {48, "ú"},  {49, "ű"},   {51, "é"},  {52, "á"},     {53, "0§"}, {54, ",?"},
    {55, ".:"}, {56, "-_"},  {100, "í"}, {240, "NULL"},
};
static_assert(strictlyAscending(kHungarianNames));

} // namespace

std::span<const KeyName> frenchKeyNames() {
    return kFrenchNames;
}

std::span<const KeyName> belgianKeyNames() {
    return kBelgianNames;
}

std::span<const KeyName> spanishKeyNames() {
    return kSpanishNames;
}

std::span<const KeyName> italianKeyNames() {
    return kItalianNames;
}

std::span<const KeyName> russianKeyNames() {
    return kRussianNames;
}

std::span<const KeyName> turkishKeyNames() {
    return kTurkishNames;
}

std::span<const KeyName> portugueseKeyNames() {
    return kPortugueseNames;
}

std::span<const KeyName> polishKeyNames() {
    return kPolishNames;
}

std::span<const KeyName> czechKeyNames() {
    return kCzechNames;
}

std::span<const KeyName> swedishKeyNames() {
    return kSwedishNames;
}

std::span<const KeyName> dutchKeyNames() {
    return kDutchNames;
}

std::span<const KeyName> danishKeyNames() {
    return kDanishNames;
}

std::span<const KeyName> slovakKeyNames() {
    return kSlovakNames;
}

std::span<const KeyName> ukrainianKeyNames() {
    return kUkrainianNames;
}

std::span<const KeyName> hungarianKeyNames() {
    return kHungarianNames;
}

} // namespace zel::keys
