#include "presentation/FontBook.h"

#include "GuiApp.h"
#include "TestSupport.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <future>

namespace zel {
namespace {

TEST(FontBook, BaseSizeForEveryListedScale) {
    EXPECT_EQ(baseFontSize(1.0), 87);
    EXPECT_EQ(baseFontSize(displayScale(120, 1.0)), 63);
    EXPECT_EQ(baseFontSize(displayScale(144, 1.0)), 53);
    EXPECT_EQ(baseFontSize(1.75), 43);
    EXPECT_EQ(baseFontSize(2.0), 43);
    EXPECT_EQ(baseFontSize(displayScale(96, 2.0)), 43);
    EXPECT_EQ(baseFontSize(2.5), 30);
    EXPECT_EQ(baseFontSize(3.0), 20);
    EXPECT_EQ(baseFontSize(displayScale(110, 1.0)), 10);
    EXPECT_EQ(baseFontSize(3.5), 10);
    EXPECT_EQ(fontSizes(FontSetKind::SystemFace, 63), (std::array<int, 5>{68, 68, 93, 103, 113}));
    EXPECT_EQ(fontSizes(FontSetKind::PackFace, 87), (std::array<int, 5>{92, 97, 117, 127, 137}));
    EXPECT_EQ(fontSizes(FontSetKind::Embedded, 87), (std::array<int, 5>{92, 92, 97, 127, 137}));
}

LanguagePack packWith(const std::string& mouseKeys) {
    test::TempDir dir;
    test::writeFile(dir.path() / "LanguageText.ini", "[UniqueName_MouseKey]\n" + mouseKeys);
    ini::IniStore store;
    LanguagePack pack;
    pack.load(store, dir.str(), nullptr);
    return pack;
}

TEST(FontBook, PackWithoutFontFlagTurnsEmbeddedModeOn) {
    test::ensureGuiApp();
    FontBook book;
    test::RecordingWarningSink warnings;
    book.buildFonts(1.25, packWith(""), 1, "/nowhere", &warnings);
    EXPECT_TRUE(warnings.warnings.empty());
    EXPECT_TRUE(book.embeddedMode());
    EXPECT_FALSE(book.hasMainSet());
    EXPECT_EQ(book.selectFont(1, 1).family(), "Roboto");
    EXPECT_EQ(QFontInfo(book.selectFont(1, 1)).family(), "Roboto");
    EXPECT_EQ(book.selectFont(2, 0).family(), "微软雅黑");
    EXPECT_EQ(book.selectFont(2, 19).family(), "微软雅黑");
    EXPECT_EQ(book.selectFont(2, 12).family(), "微软雅黑");
    EXPECT_EQ(book.selectFont(2, 13).family(), "Cairo");
    EXPECT_EQ(book.selectFont(2, 4).family(), "Arial");
    EXPECT_DOUBLE_EQ(book.selectFont(3, 4).pointSizeF(), 7.3); // B + 10 with B = 63
    // The stand-ins are real faces of this system.
    EXPECT_EQ(QFontInfo(book.selectFont(2, 13)).family(), "Noto Kufi Arabic");
    EXPECT_EQ(QFontInfo(book.selectFont(2, 4)).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(book.selectFont(2, 0)).family(), "WenQuanYi Micro Hei");

    // A later build (language change by menu) keeps the embedded sets.
    book.buildFonts(1.25, packWith(""), 0, "/nowhere", &warnings);
    EXPECT_TRUE(book.embeddedMode());
    EXPECT_EQ(book.selectFont(2, 1).family(), "Roboto");
}

TEST(FontBook, FontFlagZeroUsesTheSystemFaceByLanguage) {
    test::ensureGuiApp();
    FontBook english;
    english.buildFonts(1.25, packWith("fontFlag=0\n"), 1, "/nowhere", nullptr);
    EXPECT_FALSE(english.embeddedMode());
    EXPECT_EQ(english.selectFont(2, 1).family(), "Arial");
    const std::array<double, 5> sizes{6.8, 6.8, 9.3, 10.3, 11.3};
    for (int role = 1; role <= 5; ++role) {
        EXPECT_DOUBLE_EQ(english.selectFont(role, 1).pointSizeF(),
                         sizes[static_cast<std::size_t>(role - 1)]);
    }
    for (int language : {0, 12}) {
        FontBook book;
        book.buildFonts(1.0, packWith("fontFlag=0\n"), language, "/nowhere", nullptr);
        EXPECT_EQ(book.selectFont(2, language).family(), "微软雅黑");
    }
}

TEST(FontBook, PackFontAndFailedEmbeddedFaces) {
    test::ensureGuiApp();
    FontBook pack;
    pack.buildFonts(1.0, packWith("fontFlag=1\nfont=/missing.ttf\nfontName=Some Face\n"), 4,
                    "/nowhere", nullptr);
    EXPECT_FALSE(pack.embeddedMode());
    EXPECT_EQ(pack.selectFont(2, 4).family(), "Some Face");
    EXPECT_DOUBLE_EQ(pack.selectFont(2, 4).pointSizeF(), 9.7);

    FontBook broken(EmbeddedFontSources{":/none/a.ttf", ":/none/b.ttf"});
    test::RecordingWarningSink warnings;
    broken.buildFonts(1.0, packWith(""), 1, "/nowhere", &warnings);
    EXPECT_EQ(warnings.warnings, (std::vector<Tip>{Tip::OperationFailed, Tip::OperationFailed}));
    EXPECT_TRUE(broken.embeddedMode());
    EXPECT_EQ(broken.selectFont(2, 1).family(), "Roboto");
}

TEST(FontBook, BuiltBesideStartUpWarnsOnlyWhenFinished) {
    test::ensureGuiApp();
    std::promise<void> configured;
    FontBook broken(EmbeddedFontSources{":/none/a.ttf", ":/none/b.ttf"});
    broken.setSystemFontConfiguration(configured.get_future().share());
    test::RecordingWarningSink warnings;
    broken.beginBuildFonts(1.0, packWith(""), 1, "/nowhere", &warnings);
    // The fonts can be chosen at once, while the faces wait for the system configuration.
    EXPECT_EQ(broken.selectFont(2, 1).family(), "Roboto");
    EXPECT_TRUE(warnings.warnings.empty());
    configured.set_value();
    broken.finishBuildFonts();
    EXPECT_EQ(warnings.warnings, (std::vector<Tip>{Tip::OperationFailed, Tip::OperationFailed}));
    broken.finishBuildFonts();
    EXPECT_EQ(warnings.warnings.size(), 2U);
}

} // namespace
} // namespace zel
