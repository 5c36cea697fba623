#include "presentation/MainWindowSkin.h"

#include "GuiApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

std::string shippedSkins() {
    return test::builtAppDir() + "/skins";
}

TEST(MainWindowSkin, ReplacingTheCacheWhileTheMainPageDecodesKeepsItsPictures) {
    test::ensureGuiApp();
    test::TempDir cache;
    MainWindowSkin skin;
    skin.beginMainPage(shippedSkins());
    skin.setPictureCacheFolder(cache.str());
    skin.finishLoading();
    ASSERT_FALSE(skin.mask.isNull());
    EXPECT_FALSE(skin.maskRegion.isEmpty());
    EXPECT_EQ(skin.page(0).normal.size(), skin.mask.size());
    EXPECT_FALSE(skin.page(0).down.isNull());
}

TEST(MainWindowSkin, ANewSkinsFolderDropsThePagesDecodedFromTheOldOne) {
    test::ensureGuiApp();
    test::TempDir empty;
    MainWindowSkin skin;
    skin.beginMainPage(shippedSkins());
    skin.beginOtherPages();
    skin.beginMainPage(empty.str());
    skin.finishLoading();
    EXPECT_TRUE(skin.page(1).normal.isNull());
    EXPECT_TRUE(skin.mask.isNull());
}

TEST(MainWindowSkin, ASkinEndsOnlyAfterItsDecodingThreads) {
    test::ensureGuiApp();
    test::TempDir cache;
    {
        MainWindowSkin skin;
        skin.setPictureCacheFolder(cache.str());
        skin.beginMainPage(shippedSkins());
        skin.beginOtherPages();
    }
    // The threads read through the skin's cache until they ended; a second skin reads the
    // same pictures whole.
    MainWindowSkin again;
    again.setPictureCacheFolder(cache.str());
    again.loadPictures(shippedSkins(), shippedSkins() + "/1_INI_EN");
    EXPECT_FALSE(again.page(0).normal.isNull());
    EXPECT_FALSE(again.page(3).over.isNull());
}

} // namespace
} // namespace zel
