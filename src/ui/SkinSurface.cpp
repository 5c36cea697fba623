#include "ui/SkinSurface.h"

#include <QPainter>

namespace zel {

void SkinSurface::setPictures(PictureSet pictures) {
    m_pictures = std::move(pictures);
    m_shape = shapeFromMask(m_pictures.mask);
}

void SkinSurface::setLayout(SkinLayout layout, int lastHit) {
    m_layout = std::move(layout);
    m_lastHit = lastHit;
    m_hot = kNone;
    m_lastHot = kNone;
}

QSize SkinSurface::size(QSize fallback) const {
    if (!m_pictures.mask.isNull()) {
        return layoutSize(m_pictures.mask);
    }
    if (!m_pictures.normal.isNull()) {
        return layoutSize(m_pictures.normal);
    }
    return fallback;
}

bool SkinSurface::pointerMoved(QPoint point) {
    m_hot = hitTest(m_layout, point.x(), point.y(), m_lastHit);
    if (m_hot == m_lastHot) {
        return false;
    }
    m_lastHot = m_hot;
    return true;
}

bool SkinSurface::pressed(QPoint point) {
    pointerMoved(point);
    if (m_hot == kNone) {
        return false;
    }
    m_pressed = true;
    return true;
}

int SkinSurface::released() {
    m_pressed = false;
    return m_hot;
}

QImage SkinSurface::compose(qreal devicePixelRatio) const {
    QImage frame =
        frameFrom(m_pictures.normal, size(QSize(1, 1)), devicePixelRatio, QColor(22, 22, 22));
    if (m_hot != kNone) {
        composeArea(frame, m_pressed ? m_pictures.down : m_pictures.over, m_layout.area(m_hot));
    }
    for (const Area& a : m_layout.areas) {
        drawCentred(frame, a, QString::fromStdString(a.label), m_font, Qt::white);
    }
    return frame;
}

void SkinSurface::drawCentred(QImage& target, const Area& area, const QString& text,
                              const QFont& font, const QColor& colour) {
    if (area.empty() || text.isEmpty()) {
        return;
    }
    QPainter p(&target);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(area.x, area.y, area.width, area.height), Qt::AlignCenter, text);
}

} // namespace zel
