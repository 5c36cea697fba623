#include "ui/CZEL_GMouseDlg.h"
#include "ui/WarningDlg.h"
#include "ui/keys/CShortcutGetKey.h"

#include "QtTestWait.h"
#include "TestSupport.h"
#include "keys/MacVkAndText.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/FolderTree.h"
#include "settings/ProfileStore.h"
#include "ui/access/AccessibleElements.h"
#include "ui/access/SkinAccessibility.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/pages/LightingLogic.h"
#include "ui/pages/PageLogic.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace zel;
namespace main_layout = zel::layout::skin_main;

namespace {

/// The main window over the shipped English skin and language pack, with hooks that
/// count what its elements start.
class AccessRig {
public:
    AccessRig()
        : m_folders(FolderTree::make(test::builtAppDir(), 1)),
          m_profiles(m_ini, m_warnings, m_keys, [] { return 1; }) {
        installSkinAccessibility();
        state.language = 1;
        m_description.keyCount = 8;
        const std::string languageDir = m_folders.skinsDir + "/1_INI_EN";
        m_pack.load(m_ini, languageDir, nullptr);
        loadSkin(m_ini, languageDir, SkinFile::Main, m_skin.main, {});
        loadSkin(m_ini, languageDir, SkinFile::Advance, m_skin.advanced, {});
        loadSkin(m_ini, languageDir, SkinFile::Mac, m_skin.macro, {});
        loadSkin(m_ini, languageDir, SkinFile::Color, m_skin.lighting, {});
        m_skin.loadPictures(m_folders.skinsDir, languageDir);
        for (ProfileSettings& p : m_profiles.profiles) {
            p.buttonCode = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
        }
        m_menus.pack = &m_pack;
        m_menus.mainLayout = &m_skin.main;
        m_menus.skinsDir = m_folders.skinsDir;
        m_menus.assign = [this](std::int32_t code) {
            const int slot = window->pointer().menuButton - main_layout::kButtonLabelFirst;
            m_profiles.profiles[0].buttonCode[static_cast<std::size_t>(slot)] = code;
        };
        MainWindowHooks hooks;
        hooks.apply = [this] { ++applies; };
        hooks.warn = [this](Tip tip) { warnings.push_back(tip); };
        hooks.recording = [this] { return recording; };
        hooks.menus = [this] { return &m_menus; };
        window = std::make_unique<CZEL_GMouseDlg>(
            MainWindowContext{state, m_profiles, m_description, m_pack, m_fonts, m_folders}, m_skin,
            std::move(hooks));
        window->show();
        static_cast<void>(QTest::qWaitForWindowExposed(window.get()));
    }

    QAccessibleInterface* root() const {
        return QAccessible::queryAccessibleInterface(window.get());
    }

    /// The child of the window named `name` with role `role`, or null.
    QAccessibleInterface* find(const QString& name, QAccessible::Role role) const {
        QAccessibleInterface* r = root();
        for (int i = 0; i < r->childCount(); ++i) {
            QAccessibleInterface* c = r->child(i);
            if (c != nullptr && c->text(QAccessible::Name) == name && c->role() == role) {
                return c;
            }
        }
        return nullptr;
    }

    SharedSettings& shared() { return m_profiles.shared; }
    ProfileSettings& profile(int i) { return m_profiles.profiles[static_cast<std::size_t>(i)]; }
    const MainWindowSkin& skin() const { return m_skin; }

    AppState state;
    std::unique_ptr<CZEL_GMouseDlg> window;
    int applies = 0;
    bool recording = false;
    std::vector<Tip> warnings;

private:
    ini::IniStore m_ini;
    test::RecordingWarningSink m_warnings;
    MacVkAndText m_keys;
    FolderTree m_folders;
    DeviceDescription m_description;
    LanguagePack m_pack;
    FontBook m_fonts;
    ProfileStore m_profiles;
    MainWindowSkin m_skin;
    MenuContext m_menus;
};

void act(QAccessibleInterface* element, const QString& action) {
    ASSERT_NE(element, nullptr);
    QAccessibleActionInterface* actions = element->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(action)) << action.toStdString();
    actions->doAction(action);
}

QStringList childNames(QAccessibleInterface* r) {
    QStringList names;
    for (int i = 0; i < r->childCount(); ++i) {
        names << r->child(i)->text(QAccessible::Name);
    }
    return names;
}

} // namespace

TEST(Accessibility, TheButtonsPageShowsEachElementWithTheTextItDraws) {
    AccessRig rig;
    rig.shared().dpiEnabled = {true, false, true, true, true, true};
    QAccessibleInterface* root = rig.root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->role(), QAccessible::Window);
    const QStringList names = childNames(root);
    for (const char* expected :
         {"Choose language", "English", "Help", "Minimise", "Close", "Buttons", "Advanced",
          "Macros", "Lighting", "Profile 1", "Import", "Reset", "Left click", "Right click",
          "Wheel normal", "Wheel reversed", "Sound lighting", "DPI 3", "Apply"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(expected))) << expected;
    }
    // Every element lies inside the window where it is drawn, and each is its own.
    const QRect window(rig.window->mapToGlobal(QPoint(0, 0)), rig.window->size());
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* c = root->child(i);
        EXPECT_TRUE(window.contains(c->rect())) << c->text(QAccessible::Name).toStdString();
        EXPECT_FALSE(c->text(QAccessible::Name).isEmpty()) << i;
        EXPECT_EQ(root->indexOfChild(c), i);
        EXPECT_EQ(c->parent(), root);
        EXPECT_EQ(root->childAt(c->rect().center().x(), c->rect().center().y()), c)
            << c->text(QAccessible::Name).toStdString();
    }
    // States as drawn: the shown page's tab, the current profile, the DPI level toggles.
    EXPECT_TRUE(rig.find("Buttons", QAccessible::PageTab)->state().selected);
    EXPECT_FALSE(rig.find("Advanced", QAccessible::PageTab)->state().selected);
    EXPECT_TRUE(rig.find("Profile 1", QAccessible::CheckBox)->state().checked);
    EXPECT_FALSE(rig.find("Profile 2", QAccessible::CheckBox)->state().checked);
    EXPECT_TRUE(rig.find("DPI 1", QAccessible::CheckBox)->state().checked);
    EXPECT_FALSE(rig.find("DPI 2", QAccessible::CheckBox)->state().checked);
    EXPECT_TRUE(rig.find("DPI 2", QAccessible::CheckBox)->state().checkable);
    EXPECT_FALSE(rig.find("Apply", QAccessible::Button)->state().checkable);
    // A button's element says which button it is besides its function.
    EXPECT_EQ(rig.find("Right click", QAccessible::Button)->text(QAccessible::Description),
              QStringLiteral("Button 2"));
}

TEST(Accessibility, ActionsDoWhatAClickDoes) {
    AccessRig rig;
    act(rig.find("Apply", QAccessible::Button), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.applies == 1);

    // A download going on: Apply shows as unavailable and its action starts nothing.
    rig.state.downloadBusy = true;
    EXPECT_TRUE(rig.find("Apply", QAccessible::Button)->state().disabled);
    act(rig.find("Apply", QAccessible::Button), QAccessibleActionInterface::pressAction());
    QTest::qWait(50);
    EXPECT_EQ(rig.applies, 1);
    rig.state.downloadBusy = false;

    act(rig.find("Profile 3", QAccessible::CheckBox), QAccessibleActionInterface::toggleAction());
    ZEL_WAIT_UNTIL(rig.state.currentProfile.load() == 2);
    EXPECT_TRUE(rig.find("Profile 3", QAccessible::CheckBox)->state().checked);

    act(rig.find("Wheel reversed", QAccessible::CheckBox),
        QAccessibleActionInterface::toggleAction());
    ZEL_WAIT_UNTIL(rig.shared().wheelStatus == 1);

    // While a macro is recorded the same refusal as for the pointer.
    rig.recording = true;
    act(rig.find("Apply", QAccessible::Button), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(!rig.warnings.empty());
    EXPECT_EQ(rig.warnings.back(), Tip::RecordingBusy);
    EXPECT_EQ(rig.applies, 1);
    rig.recording = false;

    // A tab shows its page; the elements follow the page.
    QAccessibleInterface* advanced = rig.find("Advanced", QAccessible::PageTab);
    act(advanced, QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.window->pointer().page == PageId::AdvancedPage);
    EXPECT_TRUE(advanced->state().selected);
    EXPECT_EQ(rig.find("Wheel normal", QAccessible::CheckBox), nullptr);
    EXPECT_NE(rig.find("Pointer speed", QAccessible::Slider), nullptr);
    EXPECT_NE(rig.find("1000 Hz", QAccessible::CheckBox), nullptr);
    // The polling rate the program keeps is the only one offered; the others are shown
    // as unavailable, and their action still stores what a click stores.
    EXPECT_FALSE(rig.find("1000 Hz", QAccessible::CheckBox)->state().disabled);
    EXPECT_TRUE(rig.find("1000 Hz", QAccessible::CheckBox)->state().checked);
    for (const char* rate : {"500 Hz", "250 Hz", "125 Hz"}) {
        QAccessibleInterface* choice = rig.find(rate, QAccessible::CheckBox);
        ASSERT_NE(choice, nullptr) << rate;
        EXPECT_TRUE(choice->state().disabled) << rate;
        EXPECT_FALSE(choice->state().checked) << rate;
    }
    rig.shared().reportRateCode = 0;
    act(rig.find("250 Hz", QAccessible::CheckBox), QAccessibleActionInterface::toggleAction());
    ZEL_WAIT_UNTIL(rig.shared().reportRateCode == kReportIntervalCode);
    EXPECT_EQ(rig.shared().usbSpeed, 0);
}

TEST(Accessibility, SlidersReadAndTakeTheirValueAsUnderThePointer) {
    AccessRig rig;
    rig.shared().dpiSpeed = 6;
    rig.shared().dpiLevel = 2;
    rig.shared().dpiValueIndex[2] = 4;
    act(rig.find("Advanced", QAccessible::PageTab), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.window->pointer().page == PageId::AdvancedPage);

    QAccessibleInterface* speed = rig.find("Pointer speed", QAccessible::Slider);
    ASSERT_NE(speed, nullptr);
    QAccessibleValueInterface* value = speed->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 6);
    EXPECT_EQ(value->minimumValue().toInt(), 1);
    EXPECT_EQ(value->maximumValue().toInt(), 11);
    value->setCurrentValue(9);
    ZEL_WAIT_UNTIL(rig.shared().dpiSpeed == 9);
    act(speed, QAccessibleActionInterface::increaseAction());
    ZEL_WAIT_UNTIL(rig.shared().dpiSpeed == 10);
    value->setCurrentValue(40); // beyond the end: the end
    ZEL_WAIT_UNTIL(rig.shared().dpiSpeed == 11);
    EXPECT_EQ(rig.window->pointer().dragMode, DragMode::None);

    // The DPI slider sets the current level's step; positions count from 1.
    QAccessibleValueInterface* dpi =
        rig.find("DPI of the current level", QAccessible::Slider)->valueInterface();
    EXPECT_EQ(dpi->currentValue().toInt(), 5);
    dpi->setCurrentValue(17);
    ZEL_WAIT_UNTIL(rig.shared().dpiValueIndex[2] == 16);
    dpi->setCurrentValue(1);
    ZEL_WAIT_UNTIL(rig.shared().dpiValueIndex[2] == 0);

    // Rapid fire has more positions than pixels: the nearest one, never below 8.
    QAccessibleValueInterface* fire =
        rig.find("Rapid fire (ms)", QAccessible::Slider)->valueInterface();
    fire->setCurrentValue(150);
    ZEL_WAIT_UNTIL(std::abs(rig.shared().fireTime - 150) <= 2);
    fire->setCurrentValue(1);
    ZEL_WAIT_UNTIL(rig.shared().fireTime == 8);
}

TEST(Accessibility, TheAssignmentPopupShowsItsRowsAsMenuItems) {
    AccessRig rig;
    act(rig.find("Right click", QAccessible::Button), QAccessibleActionInterface::pressAction());
    CMenuDlg* popup = nullptr;
    ZEL_WAIT_UNTIL((popup = rig.window->findChild<CMenuDlg*>()) != nullptr && popup->isVisible());
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(popup);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
    ASSERT_EQ(menu->childCount(), popup->rowCount());
    for (int row = 1; row <= popup->rowCount(); ++row) {
        QAccessibleInterface* item = menu->child(row - 1);
        EXPECT_EQ(item->role(), QAccessible::MenuItem);
        EXPECT_EQ(item->text(QAccessible::Name), popup->rowText(row));
        EXPECT_FALSE(item->text(QAccessible::Name).isEmpty()) << row;
        EXPECT_EQ(menu->indexOfChild(item), row - 1);
    }
    // Row 3 (middle click) given to button 2 through the row's action.
    act(menu->child(2), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.profile(0).buttonCode[1] == 3);
    ZEL_WAIT_UNTIL(rig.window->findChild<CMenuDlg*>() == nullptr);
    EXPECT_EQ(rig.find("Middle click", QAccessible::Button)->text(QAccessible::Description),
              QStringLiteral("Button 2"));
}

TEST(Accessibility, LightingControlsTheEffectDoesNotUseAreUnavailable) {
    AccessRig rig;
    rig.shared().ledType = kReactionEffect;
    act(rig.find("Lighting", QAccessible::PageTab), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.window->pointer().page == PageId::LightingPage);
    EXPECT_TRUE(rig.find("Speed", QAccessible::Slider)->state().disabled);
    EXPECT_FALSE(rig.find("Button reaction 1", QAccessible::CheckBox)->state().disabled);

    // The DPI indicator mode shows its tabs only; its tab is the selected one.
    act(rig.find("DPI indicator", QAccessible::PageTab), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(rig.shared().lightMode == 1);
    EXPECT_TRUE(rig.find("DPI indicator", QAccessible::PageTab)->state().selected);
    EXPECT_EQ(rig.find("Speed", QAccessible::Slider), nullptr);
}

TEST(Accessibility, EveryListedElementOfTheShippedSkinCanBeClicked) {
    // An element covered everywhere by another, or missing from the layout, would be
    // announced and do nothing.
    AccessRig rig;
    for (PageId page :
         {PageId::MainPage, PageId::AdvancedPage, PageId::MacroPage, PageId::LightingPage}) {
        rig.window->pointer().page = page;
        QAccessibleInterface* root = rig.root();
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* c = root->child(i);
            const QPoint centre = c->rect().center();
            EXPECT_NE(root->childAt(centre.x(), centre.y()), nullptr)
                << static_cast<int>(page) << " " << c->text(QAccessible::Name).toStdString();
        }
    }
}

TEST(AccessibleElements, ASliderPositionIsReachedWhereThePointerWouldSetIt) {
    for (DragMode mode : {DragMode::DpiOfLevel, DragMode::DpiSpeed, DragMode::WheelSpeed,
                          DragMode::LedCycleTime, DragMode::LedBright}) {
        const int steps = sliderSteps(mode);
        for (int width : {260, 300, 303}) {
            for (int p = 1; p <= steps; ++p) {
                EXPECT_EQ(sliderValue(sliderPointX(p, 100, width, steps), 100, width, steps), p)
                    << static_cast<int>(mode) << " " << width << " " << p;
            }
        }
    }
    SharedSettings shared;
    shared.ledBrightness = 0;
    shared.ledCycleTime = 5;
    EXPECT_EQ(sliderPosition(DragMode::LedBright, shared), 7);
    EXPECT_EQ(sliderPosition(DragMode::LedCycleTime, shared), 6);
}

TEST(AccessibleElements, EachPageListsAnElementOnceAndAButtonPerMouseButton) {
    for (PageId page :
         {PageId::MainPage, PageId::AdvancedPage, PageId::MacroPage, PageId::LightingPage}) {
        const std::vector<AccessibleElement> all = accessibleElements(page, 6, false);
        for (std::size_t i = 0; i < all.size(); ++i) {
            for (std::size_t j = i + 1; j < all.size(); ++j) {
                EXPECT_FALSE(all[i].layout == all[j].layout && all[i].element == all[j].element)
                    << static_cast<int>(page) << " " << all[i].element;
            }
        }
    }
    const auto functions = [](int keyCount) {
        int n = 0;
        for (const AccessibleElement& e : accessibleElements(PageId::MainPage, keyCount, false)) {
            n += e.name == ElementName::Function ? 1 : 0;
        }
        return n;
    };
    EXPECT_EQ(functions(5), 5);
    EXPECT_EQ(functions(12), main_layout::kButtonLabelCount);
}

TEST(DialogAccessibility, TheCombinationDialogShowsItsPromptsTogglesAndButtons) {
    installSkinAccessibility();
    ini::IniStore ini;
    MacVkAndText keys;
    test::RecordingMessageSink messages;
    const std::string skins = test::builtAppDir() + "/skins";
    KeyDialogContext context{ini,
                             skins,
                             skins + "/1_INI_EN",
                             1,
                             keys,
                             QApplication::font(),
                             QStringLiteral("ZEL GMouse"),
                             &messages};
    CombinationRequest request;
    request.pressKeyPrompt = "Press a key";
    request.noModifierPrompt = "No modifier chosen";
    CombinationInput input;
    CShortcutGetKey dialog(context, request, input);
    dialog.show();
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&dialog);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->role(), QAccessible::Dialog);
    const QStringList names = childNames(root);
    for (const char* expected : {"No modifier chosen", "Press a key", "Ctrl", "Shift", "Alt", "Win",
                                 "OK", "Clear", "Cancel", "Close"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(expected))) << expected;
    }
    QAccessibleInterface* ctrl = root->child(static_cast<int>(names.indexOf("Ctrl")));
    EXPECT_EQ(ctrl->role(), QAccessible::CheckBox);
    EXPECT_FALSE(ctrl->state().checked);
    act(ctrl, QAccessibleActionInterface::toggleAction());
    ZEL_WAIT_UNTIL(input.ctrl);
    EXPECT_TRUE(ctrl->state().checked);
    // The display says what the dialog shows now.
    EXPECT_NE(root->child(0)->text(QAccessible::Name), QStringLiteral("No modifier chosen"));
    act(root->child(static_cast<int>(names.indexOf("Clear"))),
        QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(!input.ctrl);
    EXPECT_EQ(root->child(0)->text(QAccessible::Name), QStringLiteral("No modifier chosen"));
}

TEST(DialogAccessibility, TheWarningBoxReadsItsMessageAndClosesThroughItsButton) {
    installSkinAccessibility();
    WarningSkin skin;
    skin.skinsDir = test::builtAppDir() + "/skins";
    ini::IniStore store;
    loadSkin(store, skin.skinsDir + "/1_INI_EN", SkinFile::Warning, skin.layout, {});
    WarningDlg box(skin, WarningRequest{"Keep a left click", 2, 0, {}});
    QSignalSpy finished(&box, &QDialog::finished);
    box.show();
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&box);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(root->child(0)->role(), QAccessible::StaticText);
    EXPECT_EQ(root->child(0)->text(QAccessible::Name), QStringLiteral("Keep a left click"));
    EXPECT_EQ(root->child(1)->text(QAccessible::Name), QStringLiteral("OK"));
    act(root->child(1), QAccessibleActionInterface::pressAction());
    ZEL_WAIT_UNTIL(finished.count() == 1);
    EXPECT_EQ(box.result(), 1);
}
