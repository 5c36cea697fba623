#include "presentation/SkinPictures.h"

#include "presentation/PictureCache.h"

#include "GuiApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace zel {
namespace {

TEST(ShapeFromMask, LightPixelsAreCutAway) {
    QImage mask(4, 3, QImage::Format_RGB32);
    mask.fill(qRgb(0, 0, 0));
    mask.setPixel(0, 0, qRgb(101, 101, 101)); // outside
    mask.setPixel(1, 0, qRgb(100, 255, 255)); // inside: one channel is not above 100
    mask.setPixel(3, 2, qRgb(255, 255, 255));
    const QRegion r = shapeFromMask(mask);
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_TRUE(r.contains(QPoint(1, 0)));
    EXPECT_TRUE(r.contains(QPoint(3, 1)));
    EXPECT_FALSE(r.contains(QPoint(3, 2)));
    EXPECT_TRUE(r.contains(QPoint(0, 2)));
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 4, 3));
    int pixels = 0;
    for (const QRect& rect : r) {
        pixels += rect.width() * rect.height();
    }
    EXPECT_EQ(pixels, 10);
}

TEST(ShapeFromMask, EmptyWhiteAndOddImages) {
    EXPECT_TRUE(shapeFromMask(QImage()).isEmpty());
    EXPECT_TRUE(shapeFromMask(QImage(0, 0, QImage::Format_RGB32)).isEmpty());
    QImage white(50, 40, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_TRUE(shapeFromMask(white).isEmpty());
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(50);
    EXPECT_EQ(shapeFromMask(grey), QRegion(0, 0, 30, 20));
    // A large mask with a rounded outline builds without trouble.
    QImage big(6000, 4000, QImage::Format_RGB32);
    big.fill(Qt::white);
    for (int y = 100; y < 3900; ++y) {
        auto* line = reinterpret_cast<QRgb*>(big.scanLine(y));
        for (int x = 100 + (y % 7); x < 5900; ++x) {
            line[x] = qRgb(10, 10, 10);
        }
    }
    const QRegion r = shapeFromMask(big);
    EXPECT_TRUE(r.contains(QPoint(3000, 2000)));
    EXPECT_FALSE(r.contains(QPoint(50, 50)));
}

TEST(ComposeArea, CopiesOnlyTheRectangleAndClips) {
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::black);
    QImage source(20, 20, QImage::Format_RGB32);
    source.fill(Qt::red);
    composeArea(target, source, Area{5, 6, 3, 2, ""});
    EXPECT_EQ(target.pixel(5, 6), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(7, 7), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(8, 7), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(5, 8), qRgb(0, 0, 0));
    composeArea(target, source, Area{15, 15, 100, 100, ""}); // clipped to both pictures
    EXPECT_EQ(target.pixel(19, 19), qRgb(255, 0, 0));
    composeArea(target, QImage(), Area{0, 0, 5, 5, ""}); // missing picture: nothing
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
    composeArea(target, source, Area{-10, -10, 12, 12, ""});
    EXPECT_EQ(target.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(2, 2), qRgb(0, 0, 0));
}

TEST(ComposeArea, RectanglesAtTheEndsOfIntAreCutToThePicture) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    QImage source(20, 20, QImage::Format_RGB32);
    source.fill(Qt::red);
    const auto redPixels = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
            }
        }
        return n;
    };
    struct Row {
        Area area;
        int red;
    };
    for (const Row& r : {Row{{kMax, kMax, kMax, kMax, ""}, 0}, Row{{kMin, kMin, kMax, kMax, ""}, 0},
                         Row{{kMin, kMin, kMin, kMin, ""}, 0}, Row{{-10, -10, kMax, kMax, ""}, 400},
                         Row{{kMin, 0, kMax, 5, ""}, 0}, Row{{19, 19, kMax, kMax, ""}, 1},
                         Row{{0, 0, 20, 20, ""}, 400}}) {
        QImage target(20, 20, QImage::Format_RGB32);
        target.fill(Qt::black);
        composeArea(target, source, r.area);
        EXPECT_EQ(redPixels(target), r.red) << r.area.x << ' ' << r.area.y << ' ' << r.area.width;
    }
}

TEST(PictureSet, MissingPicturesStayNullAndMasksAreCached) {
    test::ensureGuiApp();
    test::TempDir dir;
    QImage mask(10, 10, QImage::Format_RGB32);
    mask.fill(Qt::black);
    ASSERT_TRUE(mask.save(QString::fromStdString(dir.str() + "/w_mask.jpg"), "JPG"));
    const PictureSet set = PictureSet::load(dir.str(), "/w");
    EXPECT_TRUE(set.normal.isNull());
    EXPECT_EQ(set.mask.size(), QSize(10, 10));

    MaskRegionCache cache;
    const QString path = QString::fromStdString(dir.str() + "/w_mask.jpg");
    EXPECT_EQ(cache.region(path), QRegion(0, 0, 10, 10));
    std::filesystem::remove(dir.str() + "/w_mask.jpg");
    EXPECT_EQ(cache.region(path), QRegion(0, 0, 10, 10)); // kept
    EXPECT_TRUE(cache.region(path + "x").isEmpty());
    // A file that is not a picture loads as nothing.
    test::writeFile(dir.path() / "bad_mask.jpg", "not a picture");
    EXPECT_TRUE(PictureSet::load(dir.str(), "/bad").mask.isNull());
}

namespace {

QImage filled(QSize size, QColor colour, qreal dpr = 1.0) {
    QImage img(size * dpr, QImage::Format_RGB32);
    img.fill(colour);
    img.setDevicePixelRatio(dpr);
    return img;
}

} // namespace

// The set of scale 2 takes each 2x picture it finds and the 1x picture (ratio 1) for a
// missing one; the mask always comes from the 1x set, so sizes stay in layout units.
TEST(PictureSet, TheDoubleSetFallsBackPictureByPictureAndKeepsTheLayoutMask) {
    test::ensureGuiApp();
    test::TempDir dir;
    const auto save = [&](const QImage& img, const std::string& name) {
        ASSERT_TRUE(img.save(QString::fromStdString(dir.str() + name), "PNG"));
    };
    save(filled({10, 8}, Qt::red), "/w_normal.jpg");
    save(filled({20, 16}, Qt::green), "/w_normal@2x.jpg");
    save(filled({10, 8}, Qt::blue), "/w_over.jpg"); // no 2x twin
    save(filled({10, 8}, Qt::black), "/w_mask.jpg");
    save(filled({20, 16}, Qt::black), "/w_mask@2x.jpg");

    const PictureSet doubled = PictureSet::load(dir.str(), "/w", 2);
    EXPECT_EQ(doubled.normal.devicePixelRatio(), 2.0);
    EXPECT_EQ(layoutSize(doubled.normal), QSize(10, 8));
    EXPECT_EQ(doubled.normal.pixel(0, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(doubled.over.devicePixelRatio(), 1.0);
    EXPECT_EQ(doubled.over.pixel(0, 0), QColor(Qt::blue).rgb());
    EXPECT_EQ(doubled.mask.size(), QSize(10, 8));
    EXPECT_EQ(doubled.mask.devicePixelRatio(), 1.0);

    const PictureSet plain = PictureSet::load(dir.str(), "/w", 1);
    EXPECT_EQ(plain.normal.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(scaledPicturePath(QStringLiteral("/a.b/c_normal.jpg"), 2),
              QStringLiteral("/a.b/c_normal@2x.jpg"));
    EXPECT_EQ(scaledPicturePath(QStringLiteral("/a.b/c"), 2), QStringLiteral("/a.b/c@2x"));
}

// Areas are in layout units whatever the pictures' ratios: the copied rectangle lands on
// the same layout rectangle, whole, at 1, 1.5 and 2, from a 1x or a 2x source.
TEST(ComposeArea, AreasStayInLayoutUnitsAcrossRatios) {
    test::ensureGuiApp();
    for (const qreal targetDpr : {1.0, 1.5, 2.0}) {
        for (const qreal sourceDpr : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << targetDpr << " from " << sourceDpr);
            QImage target = framePicture(QSize(40, 30), targetDpr);
            target.fill(Qt::black);
            EXPECT_EQ(target.size(), (QSizeF(40, 30) * targetDpr).toSize());
            composeArea(target, filled({40, 30}, Qt::white, sourceDpr), Area{10, 6, 20, 12, ""});
            int white = 0;
            for (int y = 0; y < target.height(); ++y) {
                for (int x = 0; x < target.width(); ++x) {
                    const bool isWhite = qRed(target.pixel(x, y)) > 250;
                    white += isWhite ? 1 : 0;
                    const QPointF centre((x + 0.5) / targetDpr, (y + 0.5) / targetDpr);
                    if (QRectF(10, 6, 20, 12).contains(centre)) {
                        EXPECT_TRUE(isWhite) << x << ',' << y;
                    } else if (!QRectF(9, 5, 22, 14).contains(centre)) {
                        EXPECT_FALSE(isWhite) << x << ',' << y;
                    }
                }
            }
            EXPECT_NEAR(white, 20 * 12 * targetDpr * targetDpr, 2 * (20 + 12) * targetDpr);
        }
    }
}

} // namespace
} // namespace zel
