// The states the pages show through the real window: the wheel direction in use and the
// polling rates the program does not offer, compared region by region with the pictures
// they are composed from.
#include "AppFixture.h"
#include "QtTestWait.h"

#include "presentation/LayoutElements.h"
#include "ui/pages/PageLogic.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace zel;
using test::AppTest;

namespace {

namespace m = layout::skin_main;
namespace adv = layout::skin_advance;

QImage areaOf(const QImage& image, const Area& a) {
    return image.copy(QRect(a.x, a.y, a.width, a.height)).convertToFormat(QImage::Format_RGB32);
}

/// Whether the rows along the top and bottom of `a`, clear of its centred caption, are in
/// `shown` as in `picture`: the element's edge and fill tell its look.
bool edgesMatch(const QImage& shown, const QImage& picture, const Area& a) {
    constexpr int kBand = 6;
    const QImage s = areaOf(shown, a);
    const QImage p = areaOf(picture, a);
    for (int y = 0; y < s.height(); ++y) {
        if (y >= kBand && y < s.height() - kBand) {
            continue;
        }
        for (int x = 0; x < s.width(); ++x) {
            if (s.pixel(x, y) != p.pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

/// The brightest channel of any pixel of `a`.
int brightest(const QImage& image, const Area& a) {
    const QImage s = areaOf(image, a);
    int most = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const QRgb c = s.pixel(x, y);
            most = std::max({most, qRed(c), qGreen(c), qBlue(c)});
        }
    }
    return most;
}

class PageLookTest : public AppTest {
protected:
    /// Waits for the first download to end and leaves out the Apply element's word on it,
    /// which comes and goes with time.
    void quieten(App& app) {
        ZEL_WAIT_UNTIL(downloads.load() == 1);
        ZEL_WAIT_UNTIL(!app.state().downloadBusy.load());
        app.state().applyOutcome = kApplyNothing;
    }

    void toAdvancedPage(App& app) {
        click(app.mainWindow(), centre(app.skin().main.area(m::kTabFirst + 1)));
        ASSERT_EQ(app.mainWindow()->pointer().page, PageId::AdvancedPage);
        app.mainWindow()->pointer().hotAdvanced = kNoElement;
        static_cast<void>(app.mainWindow()->compose()); // reads the page's pictures
    }
};

} // namespace

TEST_F(PageLookTest, TheWheelDirectionInUseShowsPressedAlways) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    quieten(*app);
    CZEL_GMouseDlg* w = app->mainWindow();
    const PictureSet& pics = app->skin().page(0);
    const Area& normal = app->skin().main.area(m::kWheelNormal);
    const Area& reversed = app->skin().main.area(m::kWheelReversed);
    ASSERT_EQ(app->profiles().shared.wheelStatus, 0);
    // The two looks differ along the edges, so the comparisons below tell them apart.
    ASSERT_FALSE(edgesMatch(pics.down, pics.normal, normal));

    w->pointer().hotMain = kNoElement;
    QImage shown = w->compose();
    EXPECT_TRUE(edgesMatch(shown, pics.down, normal));
    EXPECT_TRUE(edgesMatch(shown, pics.normal, reversed));

    click(w, centre(reversed));
    ASSERT_EQ(app->profiles().shared.wheelStatus, 1);
    // Released, and with the pointer elsewhere or on the other element: still shown.
    w->pointer().hotMain = kNoElement;
    shown = w->compose();
    EXPECT_TRUE(edgesMatch(shown, pics.down, reversed));
    EXPECT_TRUE(edgesMatch(shown, pics.normal, normal));
    QTest::mouseMove(w, centre(normal));
    ASSERT_EQ(w->pointer().hotMain, m::kWheelNormal);
    shown = w->compose();
    EXPECT_TRUE(edgesMatch(shown, pics.down, reversed));
    EXPECT_TRUE(edgesMatch(shown, pics.over, normal));
    app->shutDown();
}

TEST_F(PageLookTest, PollingRatesTheProgramDoesNotSetShowUnavailable) {
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    quieten(*app);
    CZEL_GMouseDlg* w = app->mainWindow();
    toAdvancedPage(*app);
    const SkinLayout& page = app->skin().advanced;
    const PictureSet& pics = app->skin().page(1);
    const QImage& off = app->skin().advancedUnavailable;
    ASSERT_FALSE(off.isNull());
    SharedSettings& shared = app->profiles().shared;
    ASSERT_EQ(shared.usbSpeed, 0);

    const QImage shown = w->compose();
    const Area& kept = page.area(adv::kPollingRateFirst);
    EXPECT_TRUE(edgesMatch(shown, pics.down, kept));
    EXPECT_FALSE(edgesMatch(shown, off, kept));
    EXPECT_GT(brightest(shown, kept), 200) << "a white word";
    for (int i = 1; i < adv::kPollingRateCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(pollingRateAvailable(i));
        const Area& rate = page.area(adv::kPollingRateFirst + i);
        const Area& bar = page.area(adv::kPollingBarFirst + i);
        EXPECT_TRUE(edgesMatch(shown, off, rate));
        EXPECT_FALSE(edgesMatch(pics.normal, off, rate)) << "a look of its own";
        EXPECT_EQ(areaOf(shown, bar), areaOf(off, bar));
        EXPECT_LE(brightest(shown, rate), 110) << "a dimmed word";

        // Neither the pointer over it nor a press changes it; the press stores what it
        // always did.
        shared.usbSpeed = 0;
        shared.reportRateCode = 0;
        QTest::mouseMove(w, centre(rate));
        ASSERT_EQ(w->pointer().hotAdvanced, adv::kPollingRateFirst + i);
        EXPECT_EQ(areaOf(w->compose(), rate), areaOf(shown, rate));
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, centre(rate));
        EXPECT_EQ(areaOf(w->compose(), rate), areaOf(shown, rate));
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, centre(rate));
        EXPECT_EQ(shared.usbSpeed, 0);
        EXPECT_EQ(shared.reportRateCode, kReportIntervalCode);
        EXPECT_EQ(areaOf(w->compose(), rate), areaOf(shown, rate));
    }
    app->shutDown();
}

// Writes the main and advanced pages to PNG files in the folder ZEL_RENDER_DIR names, for
// looking at them; without it the test is skipped.
TEST_F(PageLookTest, RenderTheMainAndAdvancedPages) {
    const QString folder = qEnvironmentVariable("ZEL_RENDER_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "ZEL_RENDER_DIR not set";
    }
    QDir().mkpath(folder);
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    quieten(*app);
    CZEL_GMouseDlg* w = app->mainWindow();
    w->pointer().hotMain = kNoElement;
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/page_main.png")));
    toAdvancedPage(*app);
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/page_advanced.png")));
    QTest::mouseMove(w, centre(app->skin().advanced.area(adv::kPollingRateFirst + 2)));
    EXPECT_TRUE(w->compose().save(folder + QStringLiteral("/page_advanced_hover_250.png")));
    app->shutDown();
}
