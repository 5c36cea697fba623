#pragma once

namespace zel {

/// A short text the program itself adds (not one of the language packs' tables), in each
/// shipped language.
struct LanguageWords {
    const char* chinese;
    const char* english;
    const char* german;
};

/// The text in `language`: 0 Chinese, 4 German, English for every other language.
constexpr const char* wordsIn(const LanguageWords& words, int language) {
    return language == 0 ? words.chinese : language == 4 ? words.german : words.english;
}

} // namespace zel
