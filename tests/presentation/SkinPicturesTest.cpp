#include "presentation/SkinPictures.h"

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

} // namespace
} // namespace zel
