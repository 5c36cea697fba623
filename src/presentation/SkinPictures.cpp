#include "presentation/SkinPictures.h"

#include "presentation/PictureCache.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zel {

void composeArea(QImage& target, const QImage& source, const Area& area) {
    if (target.isNull() || source.isNull() || area.empty()) {
        return;
    }
    // Cut to the target in 64 bits first: an area from anywhere (a slider's fill, a layout
    // element) then never forms a right or bottom edge beyond `int`.
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{area.x} + area.width, target.width());
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{area.y} + area.height, target.height());
    if (right <= left || bottom <= top) {
        return;
    }
    const QRect rect = QRect(static_cast<int>(left), static_cast<int>(top),
                             static_cast<int>(right - left), static_cast<int>(bottom - top))
                           .intersected(source.rect());
    if (rect.isEmpty()) {
        return;
    }
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(rect.topLeft(), source, rect);
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

PictureSet PictureSet::load(const std::string& folder, const std::string& prefix) {
    const QString base = QString::fromStdString(folder + prefix);
    PictureSet set;
    set.normal = readPicture(base + QStringLiteral("_normal.jpg"));
    set.over = readPicture(base + QStringLiteral("_over.jpg"));
    set.down = readPicture(base + QStringLiteral("_down.jpg"));
    set.mask = readPicture(base + QStringLiteral("_mask.jpg"));
    return set;
}

} // namespace zel
