// The pages at device pixel ratios 1, 1.25, 1.5 and 2: frames of the right size, every
// text inside its element, and at 2 the pictures of the 2x set.
#include "AppFixture.h"
#include "TextInk.h"

#include "presentation/LayoutElements.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinPictures.h"
#include "ui/pages/ButtonsPage.h"

#include <QPainter>
#include <QProcess>

#include <array>
#include <cmath>
#include <filesystem>

namespace zel::test {
namespace {

constexpr std::array<qreal, 4> kRatios = {1.0, 1.25, 1.5, 2.0};
/// The role of the fonts the pages draw their texts in.
constexpr int kTextFontRole = 2;

} // namespace

class ScaleTest : public AppTest {};

TEST_F(ScaleTest, EveryPageComposesAtEachRatioWithItsTextsInsideTheirElements) {
    for (int language : {0, 1, 4}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        auto app = makeApp();
        ASSERT_TRUE(app->start());
        const QFont font = app->fonts().selectFont(kTextFontRole, language);
        CZEL_GMouseDlg* w = app->mainWindow();
        for (const qreal dpr : kRatios) {
            SCOPED_TRACE(testing::Message() << "language " << language << " at " << dpr);
            for (int page = 0; page < 4; ++page) {
                w->pointer() = PointerState{};
                w->pointer().page = static_cast<PageId>(page);
                const QImage frame = w->compose(dpr);
                EXPECT_EQ(frame.size(), QSize(static_cast<int>(std::ceil(1000 * dpr)),
                                              static_cast<int>(std::ceil(700 * dpr))));
                EXPECT_EQ(frame.devicePixelRatio(), dpr);
            }
            const std::array<const SkinLayout*, 4> layouts = {
                &app->skin().main, &app->skin().advanced, &app->skin().macro,
                &app->skin().lighting};
            int measured = 0;
            for (const SkinLayout* page : layouts) {
                for (std::size_t e = 0; e < page->areas.size(); ++e) {
                    const Area& a = page->areas[e];
                    if (a.empty() || a.label.empty()) {
                        continue;
                    }
                    // The help element's text names the guide it opens and is not drawn.
                    if (page == &app->skin().main &&
                        static_cast<int>(e) == layout::skin_main::kHelp) {
                        continue;
                    }
                    const QString text = QString::fromStdString(a.label);
                    // The sound-lighting button's caption is centred below the button.
                    const bool soundCaption =
                        page == &app->skin().main &&
                        static_cast<int>(e) == layout::skin_main::kSoundLighting;
                    const Area room = soundCaption ? ButtonsPage::soundCaptionArea(a) : a;
                    const QRectF ink = inkOf(text, font, QRect(0, 0, room.width, room.height),
                                             Qt::AlignCenter | Qt::TextSingleLine, dpr);
                    ++measured;
                    EXPECT_GE(ink.left(), 0.0) << e << ' ' << a.label;
                    EXPECT_LE(ink.right(), room.width) << e << ' ' << a.label;
                    EXPECT_LE(ink.height(), room.height) << e << ' ' << a.label;
                }
            }
            EXPECT_GT(measured, 40);
        }
        app->shutDown();
    }
}

namespace {

/// Renders the pages of `appDir` with `zel-gmouse --render` under QT_SCALE_FACTOR `scale`
/// into `folder`; the program's exit code (-1 when it did not end).
int renderAtScale(const std::string& appDir, const std::string& runtime, const std::string& folder,
                  const QString& scale) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(runtime));
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QString::fromStdString(builtAppDir() + "/zel-gmouse"),
                 {QStringLiteral("--simulate"), QStringLiteral("--app-dir"),
                  QString::fromStdString(appDir), QStringLiteral("--render"),
                  QString::fromStdString(folder)});
    if (!render.waitForFinished(60000) || render.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return render.exitCode();
}

/// Pixels of `a` and `b` (same size) that differ by at most 2 in every channel.
int samePixels(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int same = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            same += std::abs(qRed(p) - qRed(q)) <= 2 && std::abs(qGreen(p) - qGreen(q)) <= 2 &&
                            std::abs(qBlue(p) - qBlue(q)) <= 2
                        ? 1
                        : 0;
        }
    }
    return same;
}

/// White pixels (a text's ink) of `image` inside `area`, scaled by `dpr`.
int whitePixels(const QImage& image, const Area& area, qreal dpr) {
    int count = 0;
    const QRect r(static_cast<int>(area.x * dpr), static_cast<int>(area.y * dpr),
                  static_cast<int>(area.width * dpr), static_cast<int>(area.height * dpr));
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200 ? 1 : 0;
        }
    }
    return count;
}

} // namespace

// The program on a screen scaled to 150 % and 200 %: every page is rendered at the
// screen's pixels; at 200 % from the 2x pictures, and where a 2x picture is missing from
// its 1x picture, scaled.
TEST(ProgramProcess, RendersThePagesAtTheScreensScaleFromThe2xPictures) {
    TempAppDir appDir;
    TempDir runtime;
    const std::string skins = appDir.appDir() + "/skins";
    for (const auto& [scale, size] : {std::pair{QStringLiteral("1"), QSize(1000, 700)},
                                      std::pair{QStringLiteral("1.5"), QSize(1500, 1050)},
                                      std::pair{QStringLiteral("2"), QSize(2000, 1400)}}) {
        const std::string out = runtime.str() + "/pages" + scale.toStdString();
        ASSERT_EQ(renderAtScale(appDir.appDir(), runtime.str(), out, scale), 0);
        for (const char* page : {"main", "advanced", "macro", "lighting"}) {
            EXPECT_EQ(QImage(QString::fromStdString(out + "/" + page + ".png")).size(), size)
                << page << " at " << scale.toStdString();
        }
    }
    // The main page at 200 % is its 2x picture wherever no text or state is drawn, and
    // clearly closer to it than to the 1x picture enlarged.
    const QImage rendered(QString::fromStdString(runtime.str() + "/pages2/main.png"));
    const QImage doubled(QString::fromStdString(skins + "/main_normal@2x.jpg"));
    const QImage enlarged =
        QImage(QString::fromStdString(skins + "/main_normal.jpg"))
            .scaled(doubled.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ASSERT_EQ(rendered.size(), doubled.size());
    const int fromDoubled = samePixels(rendered, doubled);
    const int fromEnlarged = samePixels(rendered, enlarged);
    EXPECT_GT(fromDoubled, rendered.width() * rendered.height() * 8 / 10);
    EXPECT_GT(fromDoubled - fromEnlarged, 20000);

    // A text keeps its size in layout units: at 200 % the Apply caption has four times
    // the pixels it has at 100 % (about as many if the font shrank for the scale).
    SkinLayout mainLayout;
    ini::IniStore store;
    loadSkin(store, skins + "/1_INI_EN", SkinFile::Main, mainLayout, {});
    const Area& apply = mainLayout.area(layout::skin_main::kApply);
    const int plainInk =
        whitePixels(QImage(QString::fromStdString(runtime.str() + "/pages1/main.png")), apply, 1.0);
    const int doubledInk = whitePixels(rendered, apply, 2.0);
    ASSERT_GT(plainInk, 20);
    EXPECT_GT(doubledInk, plainInk * 3);
    EXPECT_LT(doubledInk, plainInk * 7); // sharper glyphs have more fully white pixels

    // Without its 2x picture the advanced page falls back to the 1x one.
    std::filesystem::remove(skins + "/advanced_normal@2x.jpg");
    const std::string fallback = runtime.str() + "/fallback";
    ASSERT_EQ(renderAtScale(appDir.appDir(), runtime.str(), fallback, QStringLiteral("2")), 0);
    const QImage advanced(QString::fromStdString(fallback + "/advanced.png"));
    ASSERT_EQ(advanced.size(), QSize(2000, 1400));
    const QImage advancedEnlarged =
        QImage(QString::fromStdString(skins + "/advanced_normal.jpg"))
            .scaled(advanced.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(samePixels(advanced, advancedEnlarged), advanced.width() * advanced.height() / 2);
}

} // namespace zel::test
