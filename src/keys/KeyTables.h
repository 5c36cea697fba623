#pragma once

// The data behind MacVkAndText: the base tables and, per language index, the pairs and
// names that differ from them. Kept apart from the class so that the tests can check the
// data itself (which codes a language names on its own) and not only lookups.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zel::keys {

/// One entry of a code table: `from` translates to `to`.
struct CodePair {
    std::uint8_t from;
    std::uint8_t to;
};

/// The display name of one device key code (UTF-8).
struct KeyName {
    std::uint8_t code;
    std::string_view name;
};

/// What one language changes in the base tables. Lists are sorted by code, each code
/// at most once; an empty list keeps the base table.
struct LanguageKeys {
    std::span<const CodePair> forward; ///< virtual key -> device code
    std::span<const CodePair> reverse; ///< device code -> virtual key
    std::span<const KeyName> names;    ///< device code -> own name
};

/// Highest language index that has tables of its own (index 25 has none).
inline constexpr int kLastLanguage = 26;

/// The differences of `language`; the base (empty lists) for 0, 1, 25 and any index
/// outside 0..26.
const LanguageKeys& languageKeys(int language);

/// The base forward table: the device code of a virtual key, unlisted keys unchanged.
std::uint8_t baseVkToDeviceCode(std::uint8_t vk);
/// The base reverse table: the inverse of the listed forward pairs, other codes
/// unchanged except device code 240 (not a key; gives 0, see the definition).
std::uint8_t baseDeviceCodeToVk(std::uint8_t code);
/// The base name of a device code; "NULL" where the base has none. Mouse buttons
/// (241..243) are named by the language pack and not here ("NULL" too).
std::string_view baseKeyName(std::uint8_t code);

// Names of each language, defined beside each other by region.
std::span<const KeyName> germanKeyNames();
std::span<const KeyName> frenchKeyNames();
std::span<const KeyName> belgianKeyNames();
std::span<const KeyName> spanishKeyNames();
std::span<const KeyName> italianKeyNames();
std::span<const KeyName> russianKeyNames();
std::span<const KeyName> turkishKeyNames();
std::span<const KeyName> portugueseKeyNames();
std::span<const KeyName> thaiKeyNames();
std::span<const KeyName> koreanKeyNames();
std::span<const KeyName> japaneseKeyNames();
std::span<const KeyName> arabicKeyNames();
std::span<const KeyName> polishKeyNames();
std::span<const KeyName> czechKeyNames();
std::span<const KeyName> swedishKeyNames();
std::span<const KeyName> dutchKeyNames();
std::span<const KeyName> danishKeyNames();
std::span<const KeyName> slovakKeyNames();
std::span<const KeyName> persianKeyNames();
std::span<const KeyName> ukrainianKeyNames();
std::span<const KeyName> hungarianKeyNames();

/// True when `list` is sorted by code with no code twice (checked at compile time for
/// every table).
template <typename Entry, std::size_t N>
constexpr bool strictlyAscending(const Entry (&list)[N]) {
    for (std::size_t i = 1; i < N; ++i) {
        if (!(list[i - 1].code < list[i].code)) {
            return false;
        }
    }
    return true;
}

template <std::size_t N>
constexpr bool strictlyAscendingPairs(const CodePair (&list)[N]) {
    for (std::size_t i = 1; i < N; ++i) {
        if (!(list[i - 1].from < list[i].from)) {
            return false;
        }
    }
    return true;
}

} // namespace zel::keys
