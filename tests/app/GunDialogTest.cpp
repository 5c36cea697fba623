// A user tunes the weapon presets in their dialog, opened from the macro page: the three
// boxes take digits only, storing writes the preset file, choosing another weapon stores
// the one shown first, and a profile reset reads the preset file again.
#include "AppFixture.h"
#include "QtTestWait.h"

#include "macros/MacroFiles.h"
#include "presentation/LayoutElements.h"
#include "presets/WeaponPresets.h"
#include "ui/gun/CDialogGun.h"
#include "ui/menus/CMenuDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace zel;
using test::AppTest;

namespace {

namespace gun = layout::skin_gun;

class GunDialogTest : public AppTest {
protected:
    /// Starts the program and shows the macro page.
    std::unique_ptr<App> startOnMacroPage() {
        auto app = makeApp();
        if (!app->start()) {
            ADD_FAILURE() << "the program did not start";
            return app;
        }
        click(app->mainWindow(), centre(app->skin().main.area(layout::skin_main::kTabFirst + 2)));
        return app;
    }

    /// Presses the macro page's weapon preset element and runs `script` on the dialog once
    /// it is up; the script ends the dialog (a dialog it leaves open fails the test).
    static void withDialog(App& app, const std::function<void(CDialogGun&)>& script) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CDialogGun*>(QApplication::activeModalWidget());
            if (dialog == nullptr || ran) {
                return;
            }
            ran = true;
            poll.stop();
            script(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dialog->done(0);
            }
        });
        poll.start();
        click(app.mainWindow(), centre(app.skin().macro.area(layout::skin_mac::kWeaponPresets)));
        EXPECT_TRUE(ran) << "the weapon preset dialog did not open";
    }

    /// Answers every plain message box while it lives, keeping the texts it showed.
    class MessageAnswerer {
    public:
        MessageAnswerer() {
            m_poll.setInterval(20);
            QObject::connect(&m_poll, &QTimer::timeout, [this] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    texts.push_back(box->text().toStdString());
                    box->done(QMessageBox::Ok);
                }
            });
            m_poll.start();
        }
        std::vector<std::string> texts;

    private:
        QTimer m_poll;
    };

    static void typeInto(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    /// The preset file as it is on disk now.
    static WeaponPresets onDisk(App& app) {
        test::RecordingMessageSink messages;
        PresetStore store(app.core().macroFiles(), messages);
        app.core().ini().clearCache();
        WeaponPresets presets;
        MacroGroupState group;
        store.LoadPresets(app.core().presetFile(), presets, group);
        return presets;
    }

    /// The pull strength of a preset: the Y distance of its pointer moves.
    static std::vector<int> pulls(const MacroRecord& r) {
        std::vector<int> values;
        for (int s = 0; s < r.stepCount && s < kMaxSteps; ++s) {
            if (r.params[static_cast<std::size_t>(s)].param2 != 0) {
                values.push_back(r.params[static_cast<std::size_t>(s)].param2);
            }
        }
        return values;
    }
};

TEST_F(GunDialogTest, StoringLimitsThePullStrengthToOneToNinetyNine) {
    auto app = startOnMacroPage();
    ASSERT_GE(app->core().presets().count, 2);
    ASSERT_FALSE(pulls(onDisk(*app).records[0]).empty());
    // A strength of 0 is stored as 1, with the repeat count and interval as typed.
    withDialog(*app, [&](CDialogGun& dialog) {
        click(&dialog, centre(dialog.area(gun::kRepeatMode)));
        ASSERT_TRUE(dialog.box(CDialogGun::RepeatBox)->isEnabled());
        typeInto(dialog.box(CDialogGun::RepeatBox), QStringLiteral("5"));
        typeInto(dialog.box(CDialogGun::StrengthBox), QStringLiteral("0"));
        typeInto(dialog.box(CDialogGun::IntervalBox), QStringLiteral("120"));
        click(&dialog, centre(dialog.area(gun::kSave)));
    });
    WeaponPresets stored = onDisk(*app);
    const MacroRecord& first = stored.records[0];
    EXPECT_EQ(first.extra77, 1);
    EXPECT_EQ(first.extra76, 1);
    EXPECT_EQ(first.repeatCount, 5);
    EXPECT_EQ(first.runMode & 3, 0);
    EXPECT_EQ(first.delay[0], 120);
    EXPECT_EQ(first.delay[1], 120);
    for (const int pull : pulls(first)) {
        EXPECT_EQ(pull, 1);
    }
    EXPECT_EQ(app->core().presets().records[0].extra77, 1);

    // 99 stays 99; the box takes no third digit.
    withDialog(*app, [&](CDialogGun& dialog) {
        typeInto(dialog.box(CDialogGun::StrengthBox), QStringLiteral("990"));
        EXPECT_EQ(dialog.box(CDialogGun::StrengthBox)->text(), QStringLiteral("99"));
        click(&dialog, centre(dialog.area(gun::kSave)));
    });
    stored = onDisk(*app);
    EXPECT_EQ(stored.records[0].extra77, 99);
    for (const int pull : pulls(stored.records[0])) {
        EXPECT_EQ(pull, 99);
    }
    // The other presets are untouched.
    EXPECT_EQ(stored.records[1], app->core().presets().records[1]);
    app->shutDown();
}

TEST_F(GunDialogTest, ChoosingAnotherWeaponStoresTheShownOneFirst) {
    // The third weapon has lost its picture.
    std::filesystem::remove(appDir.appDir() + "/skins/Gun/3.jpg");
    MessageAnswerer messages;
    auto app = startOnMacroPage();
    ASSERT_GE(app->core().presets().count, 3);
    const MacroRecord thirdBefore = onDisk(*app).records[2];
    withDialog(*app, [&](CDialogGun& dialog) {
        EXPECT_EQ(app->core().presets().current, 0);
        click(&dialog, centre(dialog.area(gun::kRepeatMode)));
        typeInto(dialog.box(CDialogGun::RepeatBox), QStringLiteral("7"));
        typeInto(dialog.box(CDialogGun::StrengthBox), QStringLiteral("42"));
        click(&dialog, centre(dialog.area(gun::kWeaponList)));
        CMenuDlg* list = dialog.weaponList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->kind(), PopupKind::WeaponPreset);
        EXPECT_EQ(list->rowCount(), app->core().presets().count);
        // Directly below the weapon's name, its left edge aligned to it.
        const Area& name = dialog.area(gun::kWeaponName);
        EXPECT_EQ(list->geometry(), QRect(dialog.mapToGlobal(QPoint(name.x, name.y + name.height)),
                                          CDialogGun::kListSize));
        const QPoint third(list->width() / 2, 2 * list->rowHeight() + list->rowHeight() / 2);
        QTest::mouseMove(list, third);
        QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, third);
        QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, third);
        EXPECT_EQ(app->core().presets().current, 2);
        ZEL_WAIT_UNTIL(!messages.texts.empty());
        EXPECT_EQ(messages.texts, std::vector<std::string>{"枪械图片丢失，未能对应!"});
        // The third weapon is shown: its run mode is "while held".
        EXPECT_FALSE(dialog.box(CDialogGun::RepeatBox)->isEnabled());
        EXPECT_EQ(dialog.box(CDialogGun::RepeatBox)->text(), QStringLiteral("1"));
        ZEL_WAIT_UNTIL(dialog.weaponList() == nullptr);
        // Leaving without storing keeps the third weapon as it was.
        typeInto(dialog.box(CDialogGun::StrengthBox), QStringLiteral("3"));
        click(&dialog, centre(dialog.area(gun::kCancel)));
    });
    const WeaponPresets stored = onDisk(*app);
    EXPECT_EQ(stored.records[0].repeatCount, 7);
    EXPECT_EQ(stored.records[0].extra77, 42);
    for (const int pull : pulls(stored.records[0])) {
        EXPECT_EQ(pull, 42);
    }
    EXPECT_EQ(stored.records[2], thirdBefore);
    app->shutDown();
}

TEST_F(GunDialogTest, TheBoxesTakeDigitsOnlyUpToTheirLengthsAndFollowTheRunMode) {
    auto app = startOnMacroPage();
    withDialog(*app, [&](CDialogGun& dialog) {
        click(&dialog, centre(dialog.area(gun::kRepeatMode)));
        const std::array<QString, 3> expected{QStringLiteral("123"), QStringLiteral("12"),
                                              QStringLiteral("1234")};
        for (int b = 0; b < 3; ++b) {
            QLineEdit* box = dialog.box(static_cast<CDialogGun::Box>(b));
            typeInto(box, QStringLiteral("1a2-b3 4x56"));
            EXPECT_EQ(box->text(), expected[static_cast<std::size_t>(b)]) << b;
        }
        // While held: one play per press, so the count is 1 and cannot be typed.
        click(&dialog, centre(dialog.area(gun::kHoldMode)));
        EXPECT_FALSE(dialog.box(CDialogGun::RepeatBox)->isEnabled());
        EXPECT_EQ(dialog.box(CDialogGun::RepeatBox)->text(), QStringLiteral("1"));
        EXPECT_EQ(app->core().presets().records[0].runMode & 3, 2);
        click(&dialog, centre(dialog.area(gun::kRepeatMode)));
        EXPECT_TRUE(dialog.box(CDialogGun::RepeatBox)->isEnabled());
        EXPECT_EQ(dialog.box(CDialogGun::RepeatBox)->text(), QStringLiteral("1"));
        click(&dialog, centre(dialog.area(gun::kClose)));
    });
    app->shutDown();
}

TEST_F(GunDialogTest, AProfileResetReadsThePresetFileAgain) {
    auto app = startOnMacroPage();
    WeaponPresets& presets = app->core().presets();
    const WeaponPresets file = onDisk(*app);
    // Changes the dialog made without storing them.
    presets.records[1].repeatCount = 555;
    presets.records[1].runMode = 0;
    presets.names[1] = "changed";
    click(app->mainWindow(), centre(app->skin().main.area(layout::skin_main::kReset)));
    EXPECT_EQ(presets.count, file.count);
    EXPECT_EQ(presets.names[1], file.names[1]);
    EXPECT_EQ(presets.records[1], file.records[1]);
    EXPECT_TRUE(warnings.empty());
    app->shutDown();
}

TEST_F(GunDialogTest, WithoutItsLayoutFileTheDialogSaysSoAndStaysClosed) {
    MessageAnswerer messages;
    auto app = startOnMacroPage();
    std::filesystem::remove(app->folders().languageDir + "/skin_gun.ini");
    bool dialogSeen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        dialogSeen |= qobject_cast<CDialogGun*>(QApplication::activeModalWidget()) != nullptr;
    });
    watch.start(5);
    click(app->mainWindow(), centre(app->skin().macro.area(layout::skin_mac::kWeaponPresets)));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"找不到配置文件"});
    EXPECT_FALSE(dialogSeen);
    EXPECT_FALSE(app->mainWindow()->pointer().pressed);
    app->shutDown();
}

TEST_F(GunDialogTest, WithoutThePresetFileStoringSaysSoAgainAndWritesNothing) {
    std::filesystem::remove(appDir.appDir() + "/skins/1_INI_EN/PUBG.dat");
    MessageAnswerer messages;
    auto app = startOnMacroPage();
    ASSERT_EQ(app->folders().languageDir, appDir.appDir() + "/skins/1_INI_EN");
    const std::vector<std::string> missing{"Can't find the PUBG file."};
    EXPECT_EQ(messages.texts, missing);
    EXPECT_EQ(app->core().presets().count, 0);
    withDialog(*app, [&](CDialogGun& dialog) {
        // No weapons to list.
        click(&dialog, centre(dialog.area(gun::kWeaponList)));
        EXPECT_EQ(dialog.weaponList(), nullptr);
        typeInto(dialog.box(CDialogGun::StrengthBox), QStringLiteral("20"));
        click(&dialog, centre(dialog.area(gun::kSave)));
    });
    EXPECT_EQ(messages.texts, std::vector<std::string>(2, missing[0]));
    EXPECT_FALSE(std::filesystem::exists(app->core().presetFile()));
    app->shutDown();
}

TEST_F(GunDialogTest, PicturesOfTheDialogForLookingAt) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "set ZEL_RENDER_DIR to a folder to get the pictures";
    }
    for (const int language : {0, 1}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        const QString prefix = folder + QStringLiteral("/lang%1_gun").arg(language);
        auto app = startOnMacroPage();
        withDialog(*app, [&](CDialogGun& dialog) {
            const auto picture = [&](const QString& name) {
                // The list may reach below the dialog: the picture holds both.
                QRect bounds = dialog.rect();
                CMenuDlg* list = dialog.weaponList();
                if (list != nullptr) {
                    bounds |= QRect(dialog.mapFromGlobal(list->pos()), list->size());
                }
                QImage image(bounds.size(), QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter p(&image);
                p.drawPixmap(-bounds.topLeft(), dialog.grab());
                if (list != nullptr) {
                    p.drawPixmap(dialog.mapFromGlobal(list->pos()) - bounds.topLeft(),
                                 list->grab());
                }
                p.end();
                EXPECT_TRUE(image.save(prefix + name + QStringLiteral(".png")));
            };
            picture(QString());
            QTest::mouseMove(&dialog, centre(dialog.area(gun::kSave)));
            picture(QStringLiteral("_hover"));
            click(&dialog, centre(dialog.area(gun::kRepeatMode)));
            click(&dialog, centre(dialog.area(gun::kWeaponList)));
            const CMenuDlg* list = dialog.weaponList();
            ASSERT_NE(list, nullptr);
            QTest::mouseMove(dialog.weaponList(), QPoint(list->width() / 2, list->rowHeight() * 3));
            picture(QStringLiteral("_list"));
            click(&dialog, centre(dialog.area(gun::kClose)));
        });
        app->shutDown();
    }
}

} // namespace
