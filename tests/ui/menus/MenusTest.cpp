#include "ui/menus/CMenuDlg.h"

#include "TestSupport.h"
#include "platform/ini/IniStore.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presentation/SkinLayout.h"
#include "settings/ProfileSettings.h"
#include "ui/AppMessage.h"
#include "ui/menus/MenuPainting.h"
#include "ui/pages/PageLogic.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zel;

namespace {

constexpr int kKeyCount = 8;

/// Two groups of macros and an empty third one.
class Groups final : public MacroMenuSource {
public:
    int groupCount() const override { return static_cast<int>(m_groups.size()); }
    std::string groupName(int group) const override { return m_groups.at(index(group)).first; }
    int macroCount(int group) const override {
        return static_cast<int>(m_groups.at(index(group)).second.size());
    }
    std::string macroName(int group, int i) const override {
        return m_groups.at(index(group)).second.at(static_cast<std::size_t>(i));
    }

private:
    static std::size_t index(int group) { return static_cast<std::size_t>(group - 1); }
    std::vector<std::pair<std::string, std::vector<std::string>>> m_groups{
        {"Shooters", {"Burst fire", "Quick reload"}}, {"Strategy", {"Build order"}}, {"Empty", {}}};
};

/// An owner that records the window messages it gets, and whether each came while the
/// popup was still handling the release (sent) or only later from the event loop (posted).
class RecordingOwner final : public QWidget {
public:
    struct Message {
        int number;
        std::int64_t wParam;
        std::int64_t lParam;
        bool sent;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;
    bool releasing = false;

protected:
    bool event(QEvent* e) override {
        if (e->type() == AppMessage::eventType()) {
            const auto* m = static_cast<AppMessage*>(e);
            messages.push_back({m->message, m->wParam, m->lParam, releasing});
            return true;
        }
        return QWidget::event(e);
    }
};

void settle() {
    for (int i = 0; i < 4; ++i) {
        QApplication::processEvents();
    }
}

/// The popup windows still there once the deferred deletions have run.
int popupsLeft() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const QString name = w->objectName();
        n += name == "MainMenuDlg" || name == "SubMenuDlg" || name == "MacSelMenuDlg";
    }
    return n;
}

QPoint rowCentre(const QWidget* w, int row, int rowHeight) {
    return QPoint(w->width() / 2, (row - 1) * rowHeight + rowHeight / 2);
}

template <class Popup>
void hoverRow(Popup* popup, int row) {
    // A move to where the pointer already is would be no move at all: go off first.
    QCursor::setPos(QPoint(-50, -50));
    QTest::mouseMove(popup, rowCentre(popup, row, popup->rowHeight()));
    settle();
    EXPECT_EQ(popup->hotRow(), row);
}

/// The main layout and language pack of the shipped English skin, the settings the popups
/// change, and a context whose assignment is the program's: button `button` of profile
/// `profileIndex`.
class MenuRig {
public:
    explicit MenuRig(const std::string& mainLayoutDir = {}, int language = 1) {
        skins = test::builtAppDir() + "/skins";
        const std::string languageDir = skins + (language == 0   ? "/0_INI_CN"
                                                 : language == 4 ? "/4_INI_DE"
                                                                 : "/1_INI_EN");
        pack.load(m_ini, languageDir, nullptr);
        loadSkin(m_ini, mainLayoutDir.empty() ? languageDir : mainLayoutDir, SkinFile::Main, layout,
                 {}, pack.text(TextTable::Other, 1));
        fonts.buildFonts(1.0, pack, language, skins, nullptr);

        context.skinsDir = skins;
        context.pack = &pack;
        context.mainLayout = &layout;
        context.font = fonts.selectFont(2, language);
        context.macros = &groups;
        context.assign = [this](std::int32_t code) {
            ProfileSettings& p = profiles[static_cast<std::size_t>(profileIndex)];
            assignButton(p.buttonCode, p.macroLight, profileIndex, button, code, kKeyCount);
        };
        context.closeFirstLevelOnPaint = [this] { ++closeRequests; };
        context.shared = &shared;
        context.profile = &profiles[0];
        for (int c = 0; c < 14; ++c) {
            context.effectList.push_back(c);
        }
        context.userColours = {Qt::red,  QColor(255, 128, 0), Qt::yellow, Qt::green, Qt::cyan,
                               Qt::blue, Qt::magenta};
        context.presetNames = {"AKM", "M416", "SCAR-L", "UMP45"};
        context.languageFolder = [this](int item) {
            return skins + (item == 0 ? "/0_INI_CN" : "/1_INI_EN");
        };
        context.dropSharedFonts = [this] { ++fontDrops; };
        context.showNotice = [this](const QString& text) { notices.push_back(text); };
        for (ProfileSettings& p : profiles) {
            p.buttonCode = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
            p.macroLight.fill(1);
        }
    }

    CMenuDlg* open(PopupKind kind, std::vector<int> items = {}) {
        auto* popup = new CMenuDlg(kind, context, &owner, std::move(items));
        popup->move(10, 10);
        popup->show();
        static_cast<void>(QTest::qWaitForWindowExposed(popup));
        return popup;
    }

    /// A left click at `point` of `w`, with the owner noting what arrives meanwhile.
    void click(QWidget* w, QPoint point) {
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, point);
        owner.releasing = true;
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, point);
        owner.releasing = false;
        settle();
    }
    template <class Popup>
    void clickRow(Popup* popup, int row) {
        click(popup, rowCentre(popup, row, popup->rowHeight()));
    }

    /// Opens the button menu, rests on `parentRow` and returns the popup beside it.
    CSubMenuDlg* openSub(int parentRow) {
        CMenuDlg* menu = open(PopupKind::Assignment);
        hoverRow(menu, parentRow);
        CSubMenuDlg* sub = menu->subPopup();
        if (sub != nullptr) {
            static_cast<void>(QTest::qWaitForWindowExposed(sub));
        }
        return sub;
    }

    std::string skins;
    LanguagePack pack;
    SkinLayout layout;
    FontBook fonts;
    Groups groups;
    std::array<ProfileSettings, 2> profiles{};
    SharedSettings shared;
    int profileIndex = 0;
    int button = 3;
    int closeRequests = 0;
    int fontDrops = 0;
    std::vector<QString> notices;
    MenuContext context;
    RecordingOwner owner;

private:
    ini::IniStore m_ini;
};

} // namespace

TEST(ButtonMenu, RowsOneToSixStoreTheirCodeAndRowTenIsPosted) {
    MenuRig rig;
    for (int row = 1; row <= 6; ++row) {
        CMenuDlg* menu = rig.open(PopupKind::Assignment);
        ASSERT_EQ(menu->rowCount(), 11);
        hoverRow(menu, row);
        EXPECT_EQ(menu->hotRow(), row);
        rig.clickRow(menu, row);
        EXPECT_EQ(rig.profiles[0].buttonCode[3], row);
        EXPECT_EQ(rig.profiles[0].macroLight[3], 0);
        EXPECT_EQ(popupsLeft(), 0);
    }
    EXPECT_TRUE(rig.owner.messages.empty());

    // The combination row: the owner gets its message only after the popup has gone.
    CMenuDlg* menu = rig.open(PopupKind::Assignment);
    rig.clickRow(menu, 10);
    const std::vector<RecordingOwner::Message> posted{{msg::kOpenCombination, 0, 0, false}};
    EXPECT_EQ(rig.owner.messages, posted);
    EXPECT_EQ(popupsLeft(), 0);

    // Rows that lead on choose nothing themselves and leave the menu open.
    menu = rig.open(PopupKind::Assignment);
    rig.clickRow(menu, 8);
    EXPECT_EQ(popupsLeft(), 2);
    delete menu;
}

TEST(ButtonMenu, TheLeftClickIsKeptInTheFirstProfileOnly) {
    // The only left click gets a multimedia key through the second level.
    for (int profile : {0, 1}) {
        MenuRig rig;
        rig.profileIndex = profile;
        rig.button = 0;
        CSubMenuDlg* sub = rig.openSub(8);
        ASSERT_NE(sub, nullptr);
        hoverRow(sub, 2);
        rig.clickRow(sub, 2);
        const auto& codes = rig.profiles[static_cast<std::size_t>(profile)].buttonCode;
        EXPECT_EQ(codes[0], 24) << profile;
        EXPECT_EQ(codes[1], profile == 0 ? 1 : 2) << profile;
    }
}

TEST(ButtonMenu, EveryFunctionListRowStoresItsCode) {
    // Multimedia keys (23..32) and profile functions (19..22).
    for (const auto& [parentRow, rows, first] : {std::tuple{8, 10, 23}, std::tuple{11, 4, 19}}) {
        for (int r = 1; r <= rows; ++r) {
            MenuRig rig;
            CSubMenuDlg* sub = rig.openSub(parentRow);
            ASSERT_NE(sub, nullptr);
            EXPECT_EQ(sub->rowCount(), rows);
            EXPECT_EQ(sub->hotRow(), CSubMenuDlg::kNoRowYet);
            hoverRow(sub, r);
            rig.clickRow(sub, r);
            EXPECT_EQ(rig.profiles[0].buttonCode[3], first + r - 1) << parentRow << " " << r;
            EXPECT_EQ(rig.profiles[0].macroLight[3], 0);
            EXPECT_EQ(rig.closeRequests, 1);
            EXPECT_EQ(popupsLeft(), 0);
        }
    }
}

TEST(ButtonMenu, SpecialFunctionsWithAFunctionZeroEndInAnEmptyRow) {
    // A layout whose FUN_STRING names function "0": the list gets one more row than named
    // functions, and that last row has nothing to store.
    test::TempDir dir;
    std::ifstream in(test::builtAppDir() + "/skins/1_INI_EN/skin_main.ini");
    std::stringstream text;
    text << in.rdbuf();
    std::string ini = text.str();
    const std::string section = "[FUN_STRING]";
    const auto at = ini.find(section);
    ASSERT_NE(at, std::string::npos);
    ini.insert(at + section.size(), "\n0=Button off");
    test::writeFile(dir.path() / "skin_main.ini", ini);

    MenuRig probe(dir.str());
    const auto& named = probe.layout.specialFunctions;
    ASSERT_GE(named.size(), 3U);
    ASSERT_EQ(named.front().key, "0");
    const int rows = static_cast<int>(named.size());
    for (int r = 1; r <= rows; ++r) {
        MenuRig rig(dir.str());
        CSubMenuDlg* sub = rig.openSub(7);
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(sub->rowCount(), rows);
        hoverRow(sub, r);
        rig.clickRow(sub, r);
        const std::int32_t expected =
            r < rows ? std::stoi(named[static_cast<std::size_t>(r)].key) : 4;
        EXPECT_EQ(rig.profiles[0].buttonCode[3], expected) << r;
        EXPECT_EQ(popupsLeft(), 0);
    }
}

TEST(ButtonMenu, AMacroStoresGroupAndIndexAndTellsTheOwner) {
    for (const auto& [group, macro, code] :
         {std::tuple{1, 1, 256}, std::tuple{1, 2, 257}, std::tuple{2, 1, 512}}) {
        MenuRig rig;
        rig.button = 0; // the only left click of the first profile
        CSubMenuDlg* groups = rig.openSub(9);
        ASSERT_NE(groups, nullptr);
        EXPECT_EQ(groups->variant(), CSubMenuDlg::kMacroGroups);
        EXPECT_EQ(groups->rowCount(), 3);
        hoverRow(groups, group);
        MacSelMenuDlg* macros = groups->macroPopup();
        ASSERT_NE(macros, nullptr);
        static_cast<void>(QTest::qWaitForWindowExposed(macros));
        EXPECT_EQ(macros->height(), macros->rowCount() * macros->rowHeight() + 1);
        EXPECT_EQ(macros->x(), groups->x() + groups->width());
        // It ends level with its group's row.
        EXPECT_EQ(macros->y() + macros->rowCount() * macros->rowHeight(),
                  groups->y() + group * groups->rowHeight());
        hoverRow(macros, macro);
        rig.clickRow(macros, macro);
        EXPECT_EQ(rig.profiles[0].buttonCode[0], code);
        EXPECT_EQ(rig.profiles[0].buttonCode[1], 1); // the left click moved on
        const std::vector<RecordingOwner::Message> told{{msg::kLanguageChosen, 2, 0, true}};
        EXPECT_EQ(rig.owner.messages, told);
        EXPECT_EQ(popupsLeft(), 0);
    }
}

TEST(ButtonMenu, HoveringReplacesTheSecondLevelAndLeavingItKeepsTheChain) {
    MenuRig rig;
    CMenuDlg* menu = rig.open(PopupKind::Assignment);
    QPointer<CSubMenuDlg> previous;
    for (int row : {7, 8, 9, 11}) {
        hoverRow(menu, row);
        QPointer<CSubMenuDlg> sub = menu->subPopup();
        ASSERT_FALSE(sub.isNull()) << row;
        EXPECT_EQ(sub->parentRow(), row);
        EXPECT_EQ(sub->x(), menu->x() + menu->width());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(previous.isNull()) << row;
        previous = sub;
    }
    EXPECT_EQ(popupsLeft(), 2);

    // The macro groups end level with row 9; the pointer goes on to group 2's macros and
    // then off every popup: the group stays hot and its macros stay beside it.
    hoverRow(menu, 9);
    CSubMenuDlg* groups = menu->subPopup();
    ASSERT_NE(groups, nullptr);
    static_cast<void>(QTest::qWaitForWindowExposed(groups));
    EXPECT_EQ(groups->y(), menu->y() + (9 - 3) * menu->rowHeight());
    hoverRow(groups, 2);
    QPointer<MacSelMenuDlg> macros = groups->macroPopup();
    ASSERT_FALSE(macros.isNull());
    static_cast<void>(QTest::qWaitForWindowExposed(macros));
    hoverRow(macros.data(), 1);
    QTest::mouseMove(groups, QPoint(groups->width() / 2, groups->height() + 40));
    settle();
    EXPECT_EQ(groups->hotRow(), 2);
    EXPECT_EQ(menu->subPopup(), groups);
    EXPECT_EQ(groups->macroPopup(), macros.data());
    EXPECT_TRUE(macros->isVisible());
    EXPECT_EQ(macros->hotRow(), 1);

    // An empty group gives a popup that cannot be clicked.
    hoverRow(groups, 3);
    ASSERT_NE(groups->macroPopup(), nullptr);
    EXPECT_EQ(groups->macroPopup()->height(), 0);
    delete menu;
    EXPECT_EQ(popupsLeft(), 0);
}

TEST(OtherMenus, TheLightingMenusChangeTheSettings) {
    MenuRig rig;
    rig.shared.ledFeatureDirection = 3;
    CMenuDlg* effects = rig.open(PopupKind::LedEffect);
    EXPECT_EQ(effects->rowCount(), 14);
    hoverRow(effects, 13);
    rig.clickRow(effects, 13);
    EXPECT_EQ(rig.shared.ledType, 12);
    EXPECT_EQ(rig.shared.ledFeatureDirection, 0);

    rig.context.reactionButton = 5;
    CMenuDlg* reactions = rig.open(PopupKind::LedReaction);
    EXPECT_EQ(reactions->rowCount(), 4);
    rig.clickRow(reactions, 4);
    EXPECT_EQ(rig.profiles[0].reactType[5], 3);
    EXPECT_TRUE(rig.owner.messages.empty());
    EXPECT_EQ(popupsLeft(), 0);
}

TEST(OtherMenus, EachKindTellsItsOwner) {
    using M = RecordingOwner::Message;
    struct Case {
        PopupKind kind;
        int row;
        std::vector<M> told;
    };
    const int macroEditor = msg::kMacroEditor;
    const std::vector<Case> cases{
        {PopupKind::MacroLedMode, 2, {{msg::kMacroLedMode, 1, 0, true}}},
        {PopupKind::MacroLedColour, 3, {{msg::kMacroLedLevel, 3, 0, true}}},
        {PopupKind::WeaponPreset, 3, {{msg::kWeaponChosen, 1, 0, true}}},
        {PopupKind::Language, 2, {{msg::kLanguageChosen, 1, 2, true}}},
        {PopupKind::MacroGroupMenu, 9, {{macroEditor, 11, 9, false}}},
        {PopupKind::MacroRowMenu, 4, {{macroEditor, 12, 4, false}}},
        {PopupKind::MacroStepMenu, 2, {{macroEditor, 13, 2, false}}},
        {PopupKind::InsertStep, 5, {{macroEditor, 14, 145, true}}},
        {PopupKind::InsertStep, 6, {{macroEditor, 14, 146, true}}},
        {PopupKind::InsertStep, 7, {{macroEditor, 14, 147, true}}},
    };
    for (const Case& c : cases) {
        MenuRig rig;
        rig.context.currentPreset = 1;
        CMenuDlg* menu = rig.open(c.kind, c.kind == PopupKind::Language ? std::vector<int>{0, 1}
                                                                        : std::vector<int>{});
        rig.clickRow(menu, c.row);
        EXPECT_EQ(rig.owner.messages, c.told) << static_cast<int>(c.kind) << " row " << c.row;
        EXPECT_EQ(popupsLeft(), 0);
        if (c.kind == PopupKind::WeaponPreset) {
            EXPECT_EQ(rig.context.currentPreset, 2);
        }
        EXPECT_TRUE(rig.notices.empty());
    }

    // Without fonts per language the shared ones are dropped and the owner told.
    MenuRig rig;
    rig.context.perLanguageFonts = false;
    CMenuDlg* languages = rig.open(PopupKind::Language);
    EXPECT_EQ(languages->rowCount(), 2);
    rig.clickRow(languages, 1);
    const std::vector<M> told{{msg::kLanguageChosen, 1, 1, true}, {msg::kFontsRebuilt, 1, 0, true}};
    EXPECT_EQ(rig.owner.messages, told);
    EXPECT_EQ(rig.fontDrops, 1);
}

TEST(OtherMenus, TheInsertMenuLeadsToItsStepLists) {
    const std::array<int, 4> rows{6, 6, 4, 2};
    int item = 241;
    for (int list = 1; list <= 4; ++list) {
        for (int r = 1; r <= rows[static_cast<std::size_t>(list - 1)]; ++r, ++item) {
            MenuRig rig;
            CMenuDlg* menu = rig.open(PopupKind::InsertStep);
            hoverRow(menu, list);
            CSubMenuDlg* steps = menu->subPopup();
            ASSERT_NE(steps, nullptr);
            static_cast<void>(QTest::qWaitForWindowExposed(steps));
            EXPECT_EQ(steps->variant(), 140 + list);
            EXPECT_EQ(steps->rowCount(), rows[static_cast<std::size_t>(list - 1)]);
            EXPECT_EQ(steps->y(), menu->y() + (list - 1) * menu->rowHeight());
            hoverRow(steps, r);
            rig.clickRow(steps, r);
            const std::vector<RecordingOwner::Message> told{{msg::kMacroEditor, 14, item, true}};
            EXPECT_EQ(rig.owner.messages, told);
            EXPECT_EQ(popupsLeft(), 0);
        }
    }
    EXPECT_EQ(item, 259);
}

TEST(OtherMenus, MissingMacroMenuMasksAreTold) {
    MenuRig rig;
    CMenuDlg* rowMenu = rig.open(PopupKind::MacroRowMenu);
    EXPECT_EQ(rowMenu->height(), 80); // as high as its mask
    EXPECT_EQ(rowMenu->rowHeight(), 20);
    delete rowMenu;
    EXPECT_TRUE(rig.notices.empty());

    test::TempDir empty;
    rig.context.skinsDir = empty.str();
    // Without a mask these popups have no size, so they are only made, not shown.
    delete new CMenuDlg(PopupKind::MacroRowMenu, rig.context, &rig.owner);
    delete new CMenuDlg(PopupKind::MacroStepMenu, rig.context, &rig.owner);
    const std::vector<QString> told{QStringLiteral("找不到 MacR_mask.jpg"),
                                    QStringLiteral("找不到 MacR_mask2.jpg")};
    EXPECT_EQ(rig.notices, told);
}

TEST(OtherMenus, WithoutPicturesTheButtonMenuStillChooses) {
    test::TempDir empty;
    MenuRig rig;
    rig.context.skinsDir = empty.str();
    CMenuDlg* menu = rig.open(PopupKind::Assignment);
    EXPECT_GT(menu->rowHeight(), 0);
    hoverRow(menu, 11);
    CSubMenuDlg* sub = menu->subPopup();
    ASSERT_NE(sub, nullptr);
    static_cast<void>(QTest::qWaitForWindowExposed(sub));
    hoverRow(sub, 4);
    rig.clickRow(sub, 4);
    EXPECT_EQ(rig.profiles[0].buttonCode[3], 22);
    EXPECT_EQ(popupsLeft(), 0);
}

// Every kind and the chain of the button menu as pictures, in English, German and Chinese;
// with ZEL_RENDER_DIR set they are written there as PNG files to be looked at.
class MenuPictures : public ::testing::TestWithParam<int> {};

TEST_P(MenuPictures, EveryKindIsDrawn) {
    MenuRig rig({}, GetParam());
    const char* dir = std::getenv("ZEL_RENDER_DIR");
    const std::string language = GetParam() == 0 ? "cn_" : GetParam() == 4 ? "de_" : "en_";
    const auto save = [&](const QImage& image, const std::string& name) {
        EXPECT_FALSE(image.isNull()) << name;
        if (dir != nullptr && *dir != '\0') {
            std::filesystem::create_directories(dir);
            EXPECT_TRUE(image.save(
                QString::fromStdString(std::string(dir) + "/" + language + name + ".png")));
        }
    };
    const std::vector<std::pair<PopupKind, std::string>> kinds{
        {PopupKind::LedEffect, "kind4_effects"},     {PopupKind::LedReaction, "kind5_reactions"},
        {PopupKind::MacroLedMode, "kind6_modes"},    {PopupKind::MacroLedColour, "kind7_colours"},
        {PopupKind::WeaponPreset, "kind9_presets"},  {PopupKind::Language, "kind10_languages"},
        {PopupKind::MacroGroupMenu, "kind11_group"}, {PopupKind::MacroRowMenu, "kind12_macro"},
        {PopupKind::MacroStepMenu, "kind13_step"},   {PopupKind::InsertStep, "kind14_insert"},
    };
    for (const auto& [kind, name] : kinds) {
        CMenuDlg* menu = rig.open(kind, kind == PopupKind::Language ? std::vector<int>{0, 1}
                                                                    : std::vector<int>{});
        EXPECT_EQ(menu->height(),
                  kind == PopupKind::MacroRowMenu || kind == PopupKind::MacroStepMenu
                      ? menu->height()
                      : menu->rowCount() * menu->rowHeight());
        hoverRow(menu, 2);
        save(menu->compose(), name);
        if (kind == PopupKind::InsertStep) {
            for (int list = 1; list <= 4; ++list) {
                hoverRow(menu, list);
                ASSERT_NE(menu->subPopup(), nullptr);
                hoverRow(menu->subPopup(), 1);
                save(menu->subPopup()->compose(), "kind14_insert_list" + std::to_string(list));
            }
        }
        delete menu;
    }
    // The frame's language menu: no list, each row the name of its language.
    CMenuDlg* names = rig.open(PopupKind::Language);
    hoverRow(names, 2);
    save(names->compose(), "kind10_language_menu");
    EXPECT_EQ(names->rowText(1), QStringLiteral("中文"));
    EXPECT_EQ(names->rowText(2), QStringLiteral("English"));
    delete names;
    for (int row : {7, 8, 9, 11}) {
        CMenuDlg* menu = rig.open(PopupKind::Assignment);
        hoverRow(menu, row);
        save(menu->compose(), "kind1_row" + std::to_string(row));
        CSubMenuDlg* sub = menu->subPopup();
        ASSERT_NE(sub, nullptr);
        hoverRow(sub, 1);
        save(sub->compose(), "kind1_row" + std::to_string(row) + "_list");
        std::vector<std::pair<QPoint, QImage>> chain{{menu->pos(), menu->compose()},
                                                     {sub->pos(), sub->compose()}};
        if (row == 9) {
            ASSERT_NE(sub->macroPopup(), nullptr);
            hoverRow(sub->macroPopup(), 2);
            save(sub->macroPopup()->compose(), "kind1_row9_macros");
            chain.emplace_back(sub->macroPopup()->pos(), sub->macroPopup()->compose());
        }
        // The open chain as it stands on the screen.
        QRect bounds;
        for (const auto& [at, image] : chain) {
            bounds |= QRect(at, image.size());
        }
        QImage screen(bounds.size(), QImage::Format_RGB32);
        screen.fill(QColor(22, 22, 22));
        QPainter painter(&screen);
        for (const auto& [at, image] : chain) {
            painter.drawImage(at - bounds.topLeft(), image);
        }
        painter.end();
        save(screen, "kind1_row" + std::to_string(row) + "_chain");
        delete menu;
    }
    EXPECT_EQ(popupsLeft(), 0);
}

// Every row text of every popup fits its row whole: none is cut with an ellipsis, and each
// keeps the row's margins.
TEST_P(MenuPictures, EveryRowTextFitsItsRow) {
    MenuRig rig({}, GetParam());
    const QFontMetricsF metrics(rig.context.font);
    std::vector<std::string> cut;
    const auto check = [&](const auto* popup, bool fromLeft, const std::string& name) {
        ASSERT_GT(popup->rowCount(), 0) << name;
        for (int r = 1; r <= popup->rowCount(); ++r) {
            const QString text = popup->rowText(r);
            const QRect rect = rowTextRect(popup->width(), r, popup->rowHeight(), fromLeft);
            const qreal over = metrics.horizontalAdvance(text) - rect.width();
            if (over > 0) {
                cut.push_back(name + " row " + std::to_string(r) + " \"" + text.toStdString() +
                              "\" over by " + std::to_string(over));
            }
        }
    };
    for (const PopupKind kind :
         {PopupKind::LedEffect, PopupKind::LedReaction, PopupKind::MacroLedMode,
          PopupKind::WeaponPreset, PopupKind::MacroGroupMenu, PopupKind::MacroRowMenu,
          PopupKind::MacroStepMenu, PopupKind::InsertStep, PopupKind::Assignment}) {
        CMenuDlg* menu = rig.open(kind);
        check(menu, kind == PopupKind::LedReaction,
              "kind " + std::to_string(static_cast<int>(kind)));
        const std::vector<int> subRows = kind == PopupKind::Assignment   ? std::vector{7, 8, 9, 11}
                                         : kind == PopupKind::InsertStep ? std::vector{1, 2, 3, 4}
                                                                         : std::vector<int>{};
        for (int row : subRows) {
            hoverRow(menu, row);
            ASSERT_NE(menu->subPopup(), nullptr);
            check(menu->subPopup(), false,
                  "kind " + std::to_string(static_cast<int>(kind)) + " list " +
                      std::to_string(row));
        }
        delete menu;
    }
    EXPECT_EQ(cut, std::vector<std::string>{});
    EXPECT_EQ(popupsLeft(), 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, MenuPictures, ::testing::Values(1, 4, 0));
