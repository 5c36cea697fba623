#include "ui/CZEL_GMouseDlg.h"

#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace zel;
namespace main_layout = zel::layout::skin_main;

namespace {

QPoint centre(const Area& a) {
    return QPoint(a.x + a.width / 2, a.y + a.height / 2);
}

/// A main window over the shipped skins, with its records owned here. `tagFolder` is
/// where the lighting-step tag picture is looked for.
class MainWindowRig {
public:
    explicit MainWindowRig(const std::string& tagFolder)
        : m_folders(FolderTree::make(test::builtAppDir(), 1)),
          m_profiles(m_ini, m_warnings, m_keys, [] { return 1; }) {
        m_description.keyCount = 8;
        const std::string languageDir = m_folders.skinsDir + "/1_INI_EN";
        loadSkin(m_ini, languageDir, SkinFile::Main, m_skin.main, {});
        loadSkin(m_ini, languageDir, SkinFile::Advance, m_skin.advanced, {});
        loadSkin(m_ini, languageDir, SkinFile::Mac, m_skin.macro, {});
        loadSkin(m_ini, languageDir, SkinFile::Color, m_skin.lighting, {});
        m_skin.loadPictures(m_folders.skinsDir, tagFolder);
        MainWindowHooks hooks;
        hooks.pageChanged = [this](int page) { pagesShown.push_back(page); };
        window = std::make_unique<CZEL_GMouseDlg>(
            MainWindowContext{m_state, m_profiles, m_description, m_pack, m_fonts, m_folders},
            m_skin, std::move(hooks));
        window->showNotice = [this](const QString& text) { notices.push_back(text); };
        window->show();
        static_cast<void>(QTest::qWaitForWindowExposed(window.get()));
    }

    ProfileStore& profiles() { return m_profiles; }
    const MainWindowSkin& skin() const { return m_skin; }

    std::unique_ptr<CZEL_GMouseDlg> window;
    std::vector<QString> notices;
    std::vector<int> pagesShown;

private:
    ini::IniStore m_ini;
    test::RecordingWarningSink m_warnings;
    MacVkAndText m_keys;
    AppState m_state;
    FolderTree m_folders;
    DeviceDescription m_description;
    LanguagePack m_pack;
    FontBook m_fonts;
    ProfileStore m_profiles;
    MainWindowSkin m_skin;
};

} // namespace

TEST(MainWindow, AMissingLightingTagIsToldOnceAndNotWhilePainting) {
    test::TempDir noPictures;
    MainWindowRig rig(noPictures.str());
    ASSERT_TRUE(rig.skin().macroLightTag.isNull());
    rig.profiles().profiles[0].macroLight[1] = 1;
    CZEL_GMouseDlg* w = rig.window.get();
    const Area label = rig.skin().main.area(main_layout::kButtonLabelFirst + 1);

    QTest::mouseMove(w, centre(label));
    ASSERT_EQ(w->pointer().hotMain, main_layout::kButtonLabelFirst + 1);
    static_cast<void>(w->compose()); // painting the hovered button tells nothing
    EXPECT_TRUE(rig.notices.empty());
    QApplication::processEvents();
    ASSERT_EQ(rig.notices.size(), 1U);
    EXPECT_EQ(rig.notices[0], QStringLiteral("zhi.png"));

    // Hovering again, or the button's zone, does not tell it again.
    QTest::mouseMove(w, QPoint(1, 1));
    QTest::mouseMove(w, centre(label));
    QTest::mouseMove(w, centre(rig.skin().main.area(main_layout::kButtonZoneFirst + 1)));
    static_cast<void>(w->compose());
    QApplication::processEvents();
    EXPECT_EQ(rig.notices.size(), 1U);
}

TEST(MainWindow, ButtonsWithoutALightingStepNeedNoTag) {
    test::TempDir noPictures;
    MainWindowRig rig(noPictures.str());
    CZEL_GMouseDlg* w = rig.window.get();
    QTest::mouseMove(w, centre(rig.skin().main.area(main_layout::kButtonLabelFirst)));
    QApplication::processEvents();
    EXPECT_TRUE(rig.notices.empty());
}

TEST(MainWindow, TheTagIsDrawnWhereThePictureIsPresent) {
    MainWindowRig rig(test::builtAppDir() + "/skins/1_INI_EN");
    ASSERT_FALSE(rig.skin().macroLightTag.isNull());
    CZEL_GMouseDlg* w = rig.window.get();
    QTest::mouseMove(w, centre(rig.skin().main.area(main_layout::kButtonLabelFirst + 2)));
    const QImage without = w->compose();
    rig.profiles().profiles[0].macroLight[2] = 1;
    const QImage with = w->compose();
    const QPoint tag(main_layout::kMacroLightTagX + rig.skin().macroLightTag.width() / 2,
                     main_layout::kMacroLightTagY + rig.skin().macroLightTag.height() / 2);
    EXPECT_NE(with.pixel(tag), without.pixel(tag));
    QApplication::processEvents();
    EXPECT_TRUE(rig.notices.empty());
}

TEST(MainWindow, ThePointerStateIsTheWindowsAndTabsTurnThePage) {
    test::TempDir noPictures;
    MainWindowRig rig(noPictures.str());
    CZEL_GMouseDlg* w = rig.window.get();
    const QPoint lightingTab = centre(rig.skin().main.area(main_layout::kTabFirst + 3));
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, lightingTab);
    EXPECT_EQ(w->pointer().page, PageId::LightingPage);
    // The shown page's own tab does nothing.
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, lightingTab);
    EXPECT_EQ(rig.pagesShown, std::vector<int>{3});
    // Beside the buttons page the main layout is hit-tested up to the first button label
    // only.
    QTest::mouseMove(w, centre(rig.skin().main.area(main_layout::kButtonLabelFirst + 1)));
    EXPECT_EQ(w->pointer().hotMain, kNoElement);
}
