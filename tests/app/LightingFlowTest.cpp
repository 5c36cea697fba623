// A user sets the lighting through the lighting page and the DPI level colours through the
// advanced page, with real pointer events on the real windows; Apply sends them to the
// simulated mouse.
#include "AppFixture.h"
#include "QtTestWait.h"
#include "app/DarkLook.h"

#include "presentation/LayoutElements.h"
#include "settings/ColourChooser.h"
#include "sim/MemoryDecoder.h"
#include "sim/SimulatedMouse.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/pages/LightingLogic.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zel;
using test::AppTest;

namespace {

namespace m = layout::skin_main;
namespace led = layout::skin_color;
namespace adv = layout::skin_advance;

constexpr ColourRef rgb(int r, int g, int b) {
    return static_cast<ColourRef>(r) | (static_cast<ColourRef>(g) << 8) |
           (static_cast<ColourRef>(b) << 16);
}

/// Answers every request with the next scripted colour (cancels when none is left).
class ScriptedChooser final : public ColourChooser {
public:
    std::optional<ColourRef> choose(ColourRef initial) override {
        opened.push_back(initial);
        if (answers.empty()) {
            return std::nullopt;
        }
        const ColourRef next = answers.front();
        answers.erase(answers.begin());
        return next;
    }
    std::vector<ColourRef> answers;
    std::vector<ColourRef> opened;
};

CMenuDlg* shownPopup() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* popup = dynamic_cast<CMenuDlg*>(w); popup != nullptr && popup->isVisible()) {
            return popup;
        }
    }
    return nullptr;
}

int alivePopups() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList all = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(
        all.begin(), all.end(), [](QWidget* w) { return dynamic_cast<CMenuDlg*>(w) != nullptr; }));
}

QImage areaOf(const QImage& image, const Area& a) {
    return image.copy(QRect(a.x, a.y, a.width, a.height)).convertToFormat(QImage::Format_RGB32);
}

/// Whether the window shows the cover picture over `a`, apart from the places where a
/// caption may be drawn over it.
bool showsCover(const QImage& window, const QImage& cover, const Area& a, const SkinLayout& page) {
    const QImage shown = areaOf(window, a);
    const QImage expected = areaOf(cover, a);
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const int px = a.x + x;
            const int py = a.y + y;
            bool caption = false;
            for (int e = 0; e <= led::kLastElement && !caption; ++e) {
                const Area& t = page.area(e);
                caption = !t.label.empty() && t.contains(px, py);
            }
            if (!caption && shown.pixel(x, y) != expected.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

class LightingFlowTest : public AppTest {
protected:
    void SetUp() override { colourChooser = &chooser; }

    void toLightingPage(App& app) {
        click(app.mainWindow(), centre(app.skin().main.area(m::kTabFirst + 3)));
        ASSERT_EQ(app.mainWindow()->pointer().page, PageId::LightingPage);
    }

    /// Opens the effect popup with a click on the effect element and chooses row
    /// `effect` + 1 in it.
    void chooseEffect(App& app, int effect) {
        CZEL_GMouseDlg* w = app.mainWindow();
        const Area& a = app.skin().lighting.area(led::kEffect);
        click(w, centre(a));
        CMenuDlg* popup = shownPopup();
        ASSERT_NE(popup, nullptr) << effect;
        ASSERT_EQ(popup->kind(), PopupKind::LedEffect);
        EXPECT_TRUE(w->pointer().popupOpen);
        EXPECT_EQ(popup->pos(), w->mapToGlobal(QPoint(a.x, a.y + a.height)));
        EXPECT_EQ(popup->size(), QSize(a.width, 405));
        const int rh = popup->rowHeight();
        const QPoint row(popup->width() / 2, effect * rh + rh / 2);
        QTest::mouseMove(popup, row);
        QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, row);
        QTest::mouseRelease(popup, Qt::LeftButton, Qt::NoModifier, row);
        EXPECT_EQ(alivePopups(), 0);
    }

    ScriptedChooser chooser;
};

} // namespace

TEST_F(LightingFlowTest, EveryEffectFromThePopupIsStoredAndShowsOnlyItsControls) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    toLightingPage(*app);
    SharedSettings& shared = app->profiles().shared;
    const SkinLayout& page = app->skin().lighting;
    static_cast<void>(w->compose()); // the page's pictures are read when it is first drawn
    const QImage& cover = app->skin().lightingUnused;
    ASSERT_FALSE(cover.isNull());
    // What a cover may stand over: the rows and the single icons.
    const std::vector<int> coverable = {led::kCoverReaction,      led::kCoverBrightness,
                                        led::kCoverSpeed,         led::kCoverDirection,
                                        led::kCoverColours,       led::kMirror,
                                        led::kDirectionFirst + 2, led::kDirectionFirst + 3};
    for (int effect = 0; effect < kLedEffectCount; ++effect) {
        SCOPED_TRACE(effect);
        shared.ledFeatureDirection = 1;
        chooseEffect(*app, effect);
        EXPECT_EQ(shared.ledType, effect);
        EXPECT_EQ(shared.ledFeatureDirection, 0) << "a new effect starts on the first direction";

        w->pointer().hotLighting = kNoElement; // no hover look over the controls
        const QImage shown = w->compose();
        const auto covered = coveredElements(effect);
        for (int e : coverable) {
            // Covered itself, or lying under a covered row.
            const Area& a = page.area(e);
            const bool expected = std::any_of(covered.begin(), covered.end(), [&](int c) {
                const Area& over = page.area(c);
                return c == e || (over.contains(a.x, a.y) &&
                                  over.contains(a.x + a.width - 1, a.y + a.height - 1));
            });
            EXPECT_EQ(showsCover(shown, cover, page.area(e), page), expected) << "element " << e;
        }
        // The effect's name is on the effect element.
        EXPECT_NE(areaOf(shown, page.area(led::kEffect)),
                  areaOf(app->skin().page(3).normal, page.area(led::kEffect)));
    }
    app->shutDown();
}

TEST_F(LightingFlowTest, ColoursReactionsAndEffectReachTheMouse) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    CZEL_GMouseDlg* w = app->mainWindow();
    SharedSettings& shared = app->profiles().shared;
    ProfileSettings& p0 = app->profiles().profiles[0];
    const SkinLayout& page = app->skin().lighting;
    toLightingPage(*app);

    // The colour cycle uses no own colours: their toggles do nothing.
    chooseEffect(*app, 2);
    const std::uint8_t startMask = shared.cycleColourMask;
    ASSERT_NE(startMask, 0);
    click(w, centre(page.area(led::kColourToggleFirst)));
    EXPECT_EQ(shared.cycleColourMask, startMask);

    // Breathing (1): turning every colour off stops at the last one.
    chooseEffect(*app, 1);
    for (int k = 0; k < kUserColours; ++k) {
        if (shared.cycleColourOn[static_cast<std::size_t>(k)] == 0) {
            click(w, centre(page.area(led::kColourToggleFirst + k))); // on
        }
    }
    EXPECT_EQ(shared.cycleColourMask, 0x7F);
    for (int k = kUserColours - 1; k >= 0; --k) {
        click(w, centre(page.area(led::kColourToggleFirst + k)));
    }
    EXPECT_EQ(shared.cycleColourMask, 0x01);
    click(w, centre(page.area(led::kColourToggleFirst + 4)));
    EXPECT_EQ(shared.cycleColourMask, 0x11);

    // Colour 4 from the chooser; colour 5 is off and opens nothing; a cancelled choice
    // keeps colour 0.
    chooser.answers = {rgb(255, 0, 128)};
    click(w, centre(page.area(led::kColourFirst + 4)));
    click(w, centre(page.area(led::kColourFirst + 5)));
    const auto colour0 = shared.userColourLevel[0];
    click(w, centre(page.area(led::kColourFirst)));
    EXPECT_EQ(chooser.opened, (std::vector<ColourRef>{0, 0}));
    EXPECT_EQ(shared.userColourLevel[4], (std::array<std::int32_t, 3>{0, 15, 7}));
    EXPECT_EQ(shared.userColourLevel[0], colour0);
    const Area& swatch = page.area(led::kColourFirst + 4);
    EXPECT_EQ(w->compose().pixel(swatch.x + swatch.width / 2, swatch.y + swatch.height / 2),
              qRgb(255, 15, 143));

    // Reactions: on another effect the type elements open nothing.
    click(w, centre(page.area(led::kReactionFirst + 2)));
    EXPECT_EQ(shownPopup(), nullptr);
    chooseEffect(*app, kReactionEffect);
    const Area& type = page.area(led::kReactionFirst + 2);
    click(w, centre(type));
    CMenuDlg* popup = shownPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->kind(), PopupKind::LedReaction);
    EXPECT_EQ(popup->pos(), w->mapToGlobal(QPoint(type.x - 3, type.y + type.height)));
    EXPECT_EQ(popup->size(), QSize(type.width + 1, 300));
    EXPECT_EQ(popup->rowCount(), 4);
    const QImage beforeChoice = areaOf(w->compose(), type);
    const QPoint row4(popup->width() / 2, 3 * popup->rowHeight() + popup->rowHeight() / 2);
    QTest::mouseMove(popup, row4);
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, row4);
    QTest::mouseRelease(popup, Qt::LeftButton, Qt::NoModifier, row4);
    EXPECT_EQ(p0.reactType[2], 3);
    EXPECT_EQ(alivePopups(), 0);
    EXPECT_NE(areaOf(w->compose(), type), beforeChoice) << "the type's name changes";
    ASSERT_EQ(p0.reactEnable[1], 1);
    click(w, centre(page.area(led::kReactionToggleFirst + 1)));
    EXPECT_EQ(p0.reactEnable[1], 0);

    click(w, centre(app->skin().main.area(m::kApply)));
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    // The reaction effect is sent as effect 1 with its flag.
    EXPECT_EQ(decoded.effect, 1);
    EXPECT_EQ(decoded.effectFlag, 1);
    EXPECT_EQ(decoded.colourMask, 0x11);
    EXPECT_EQ(decoded.userColour[4], (std::array<int, 3>{0, 15, 7}));
    // Physical numbers are slots + 1 in the shipped key map.
    EXPECT_EQ(decoded.buttons[0][3].reactType, 3);
    EXPECT_FALSE(decoded.buttons[0][2].reactEnable);
    EXPECT_TRUE(decoded.buttons[0][1].reactEnable);
    app->shutDown();
}

TEST_F(LightingFlowTest, TheDpiIndicatorModeShowsItsPanelAndLeadsBack) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    SharedSettings& shared = app->profiles().shared;
    const SkinLayout& page = app->skin().lighting;
    toLightingPage(*app);
    chooseEffect(*app, 3);
    click(w, centre(page.area(led::kAltModeTab)));
    EXPECT_EQ(shared.lightMode, 1);
    w->pointer().hotLighting = kNoElement;
    const Area& panel = page.area(led::kAltModePanel);
    const Area inside{panel.x, panel.y, panel.width, 40, {}};
    EXPECT_EQ(areaOf(w->compose(), inside), areaOf(app->skin().lightingAltMode, inside));
    // The effect's controls are asleep under the panel.
    click(w, centre(page.area(led::kMirror)));
    EXPECT_EQ(shared.ledFeatureSymmetry, 0);
    click(w, centre(page.area(led::kEffect)));
    EXPECT_EQ(shownPopup(), nullptr);
    click(w, centre(page.area(led::kEffectsTab)));
    EXPECT_EQ(shared.lightMode, 0);
    click(w, centre(page.area(led::kMirror)));
    EXPECT_EQ(shared.ledFeatureSymmetry, 1);
    app->shutDown();
}

TEST_F(LightingFlowTest, ADpiLevelColourFromTheChooserReachesTheMouse) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    ZEL_WAIT_UNTIL(downloads.load() == 1);
    CZEL_GMouseDlg* w = app->mainWindow();
    SharedSettings& shared = app->profiles().shared;
    click(w, centre(app->skin().main.area(m::kTabFirst + 1)));
    ASSERT_EQ(w->pointer().page, PageId::AdvancedPage);
    const auto stage2 = shared.dpiColourLevel[2];

    chooser.answers = {rgb(0, 128, 255)};
    const Area& swatch = app->skin().advanced.area(adv::kDpiColourFirst + 3);
    click(w, centre(swatch));
    EXPECT_EQ(shared.dpiColourLevel[3], (std::array<std::int32_t, 3>{15, 7, 0}));
    EXPECT_EQ(shared.dpiDisplayColour[3], rgb(15, 143, 255));
    EXPECT_EQ(shared.dpiColourLevel[2], stage2);
    EXPECT_FALSE(w->pointer().pressed);
    w->pointer().hotAdvanced = kNoElement;
    EXPECT_EQ(w->compose().pixel(swatch.x + swatch.width / 2, swatch.y + swatch.height / 2),
              qRgb(15, 143, 255));
    // Cancelled: nothing changes.
    click(w, centre(swatch));
    EXPECT_EQ(shared.dpiColourLevel[3], (std::array<std::int32_t, 3>{15, 7, 0}));

    click(w, centre(app->skin().main.area(m::kApply)));
    ZEL_WAIT_UNTIL(downloads.load() == 2);
    ZEL_WAIT_UNTIL(!app->state().downloadBusy.load());
    const sim::DecodedMemory decoded = sim::decodeMemory(app->simulatedMouse()->memory());
    EXPECT_EQ(decoded.dpiColour[3], (std::array<int, 3>{15, 7, 0}));
    EXPECT_EQ(decoded.dpiColour[2], (std::array<int, 3>{stage2[0], stage2[1], stage2[2]}));
    app->shutDown();
}

// Writes the lighting page for three effects and the colour chooser to PNG files in the
// folder ZEL_RENDER_DIR names, for looking at them; without it the test is skipped.
TEST_F(LightingFlowTest, RenderTheLightingPageAndTheColourChooser) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "ZEL_RENDER_DIR not set";
    }
    QDir().mkpath(folder);
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    CZEL_GMouseDlg* w = app->mainWindow();
    toLightingPage(*app);
    for (int effect : {1, 3, kReactionEffect}) {
        chooseEffect(*app, effect);
        w->pointer().hotLighting = kNoElement;
        EXPECT_TRUE(
            w->compose().save(folder + QStringLiteral("/lighting_effect%1.png").arg(effect)));
    }
    click(w, centre(app->skin().lighting.area(led::kEffect)));
    CMenuDlg* effects = shownPopup();
    ASSERT_NE(effects, nullptr);
    EXPECT_TRUE(effects->compose().save(folder + QStringLiteral("/effect_popup.png")));
    click(w, centre(app->skin().lighting.area(led::kAltModeTab)));
    w->pointer().hotLighting = kNoElement;
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/lighting_dpi_mode.png")));
    // The colour dialog as the program shows it: in its dark look.
    const QPalette oldPalette = QApplication::palette();
    const QString oldStyle = QApplication::style()->name();
    applyDarkLook(*qApp);
    {
        QColorDialog dialog(QColor(0, 0, 0));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/colour_chooser.png")));
    }
    QApplication::setStyle(oldStyle);
    QApplication::setPalette(oldPalette);
    app->shutDown();
}
