#include "ui/pages/PagePainting.h"

#include <QPainter>

namespace zel {

void drawText(QImage& image, const Area& area, const QString& text, const QFont& font,
              const QColor& colour, TextPlacement placement) {
    if (text.isEmpty() || (area.x + placement.dx <= 0 && area.y <= 0)) {
        return;
    }
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    const QRect rect(area.x + placement.dx, area.y, area.width,
                     area.height + placement.extraHeight);
    const Qt::Alignment align =
        (placement.leftAligned ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
    painter.drawText(rect, static_cast<int>(align) | Qt::TextSingleLine, text);
}

void drawLabel(QImage& image, const Area& area, const QFont& font) {
    drawText(image, area, qs(area.label), font, kTextColour);
}

void fillArea(QImage& image, const Area& area, QRgb colour) {
    if (area.empty()) {
        return;
    }
    QPainter painter(&image);
    painter.fillRect(QRect(area.x, area.y, area.width, area.height), QColor(colour));
}

QRgb fromColourRef(ColourRef c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace zel
