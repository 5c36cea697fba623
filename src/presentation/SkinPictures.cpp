#include "presentation/SkinPictures.h"

#include "presentation/PictureCache.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zel {

int pictureScaleFor(qreal devicePixelRatio) {
    return devicePixelRatio > 1.0 ? 2 : 1;
}

QSize layoutSize(const QImage& picture) {
    return picture.deviceIndependentSize().toSize();
}

QImage framePicture(QSize size, qreal devicePixelRatio) {
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize logical = size.expandedTo(QSize(1, 1));
    // Rounded up, so that a fractional scale never leaves a last row or column unpainted.
    QImage frame(static_cast<int>(std::ceil(logical.width() * dpr)),
                 static_cast<int>(std::ceil(logical.height() * dpr)), QImage::Format_RGB32);
    frame.setDevicePixelRatio(dpr);
    return frame;
}

QImage frameFrom(const QImage& normal, QSize fallbackSize, qreal devicePixelRatio,
                 const QColor& background) {
    QImage frame =
        framePicture(normal.isNull() ? fallbackSize : layoutSize(normal), devicePixelRatio);
    frame.fill(background);
    if (!normal.isNull()) {
        QPainter p(&frame);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        normal.devicePixelRatio() != frame.devicePixelRatio());
        p.drawImage(QPoint(0, 0), normal);
    }
    return frame;
}

void composeArea(QImage& target, const QImage& source, const Area& area) {
    if (target.isNull() || source.isNull() || area.empty()) {
        return;
    }
    const QSize targetSize = layoutSize(target);
    const QSize sourceSize = layoutSize(source);
    // Cut to the target in 64 bits first: an area from anywhere (a slider's fill, a layout
    // element) then never forms a right or bottom edge beyond `int`.
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{area.x} + area.width, targetSize.width());
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{area.y} + area.height, targetSize.height());
    if (right <= left || bottom <= top) {
        return;
    }
    const QRect rect = QRect(static_cast<int>(left), static_cast<int>(top),
                             static_cast<int>(right - left), static_cast<int>(bottom - top))
                           .intersected(QRect(QPoint(0, 0), sourceSize));
    if (rect.isEmpty()) {
        return;
    }
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal sourceDpr = source.devicePixelRatio();
    if (sourceDpr == 1.0 && target.devicePixelRatio() == 1.0) {
        p.drawImage(rect.topLeft(), source, rect);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(rect), source,
                QRectF(rect.x() * sourceDpr, rect.y() * sourceDpr, rect.width() * sourceDpr,
                       rect.height() * sourceDpr));
}

QRegion shapeFromMask(const QImage& mask) {
    if (mask.isNull() || mask.width() <= 0 || mask.height() <= 0) {
        return {};
    }
    const QImage img =
        mask.format() == QImage::Format_RGB32 || mask.format() == QImage::Format_ARGB32
            ? mask
            : mask.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();

    // Runs of window pixels per row; rows with the same runs are merged into one band,
    // which keeps the rectangles y-x banded as QRegion::setRects expects.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> bandRuns;
    int bandTop = 0;
    auto flush = [&](int bottom) {
        for (const auto& [x0, x1] : bandRuns) {
            rects.emplace_back(QPoint(x0, bandTop), QPoint(x1 - 1, bottom - 1));
        }
    };
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        runs.clear();
        int x = 0;
        while (x < w) {
            while (x < w && qRed(line[x]) > 100 && qGreen(line[x]) > 100 && qBlue(line[x]) > 100) {
                ++x;
            }
            if (x >= w) {
                break;
            }
            const int start = x;
            while (x < w &&
                   !(qRed(line[x]) > 100 && qGreen(line[x]) > 100 && qBlue(line[x]) > 100)) {
                ++x;
            }
            runs.emplace_back(start, x);
        }
        if (y == 0 || runs != bandRuns) {
            if (y > 0) {
                flush(y);
            }
            bandRuns = runs;
            bandTop = y;
        }
    }
    flush(h);
    QRegion region;
    if (!rects.empty()) {
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    return region;
}

QRegion MaskRegionCache::region(const QString& path) {
    const auto it = m_regions.constFind(path);
    if (it != m_regions.constEnd()) {
        return it.value();
    }
    const QRegion r = shapeFromMask(readPicture(path));
    m_regions.insert(path, r);
    return r;
}

PictureSet PictureSet::load(const std::string& folder, const std::string& prefix, int scale) {
    const QString base = QString::fromStdString(folder + prefix);
    PictureSet set;
    set.normal = readPicture(base + QStringLiteral("_normal.jpg"), scale);
    set.over = readPicture(base + QStringLiteral("_over.jpg"), scale);
    set.down = readPicture(base + QStringLiteral("_down.jpg"), scale);
    set.mask = readPicture(base + QStringLiteral("_mask.jpg"));
    return set;
}

} // namespace zel
