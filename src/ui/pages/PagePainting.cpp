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
    painter.drawText(textRect(area, placement), textFlags(placement), text);
}

QRect textRect(const Area& area, TextPlacement placement) {
    return QRect(area.x + placement.dx + placement.inset, area.y, area.width - 2 * placement.inset,
                 area.height + placement.extraHeight);
}

int textFlags(TextPlacement placement) {
    const Qt::Alignment horizontal = placement.leftAligned    ? Qt::AlignLeft
                                     : placement.rightAligned ? Qt::AlignRight
                                                              : Qt::AlignHCenter;
    return static_cast<int>(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine;
}

TextSink textPainter(QImage& image, const QFont& font) {
    return [&image, font](const Area& area, const QString& text, const QColor& colour,
                          TextPlacement placement) {
        drawText(image, area, text, font, colour, placement);
    };
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
