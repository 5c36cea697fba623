#pragma once

#include "presentation/SkinPictures.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QString>

#include <algorithm>

namespace zel::test {

/// The ink of `text` laid out in `rect` with `flags` as the program draws it, but not
/// clipped, on a device of `dpr`: its bounding box in the coordinates of `rect`, in layout
/// units. Null for a text without ink. Faint antialiasing does not count as ink.
inline QRectF inkOf(const QString& text, const QFont& font, const QRect& rect, int flags,
                    qreal dpr) {
    constexpr int kRoom = 80;
    QImage img = framePicture(QSize(rect.width() + 2 * kRoom, rect.height() + 2 * kRoom), dpr);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(kRoom, kRoom, rect.width(), rect.height()), flags | Qt::TextDontClip, text);
    p.end();
    int left = img.width();
    int right = -1;
    int top = img.height();
    int bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qRed(line[x]) > 40) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return QRectF(rect.x() + left / dpr - kRoom, rect.y() + top / dpr - kRoom,
                  (right + 1 - left) / dpr, (bottom + 1 - top) / dpr);
}

} // namespace zel::test
