#pragma once

#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>

namespace zel {

/// The skinned-window pattern that every window of the program holds: its pictures, its
/// layout, the hot element (255 = none), the last hot element and the pressed flag, the
/// off-screen composition and the shape from the mask. Windows keep one and forward
/// their pointer events to it.
class SkinSurface {
public:
    static constexpr int kNone = 255;

    void setPictures(PictureSet pictures);
    void setLayout(SkinLayout layout, int lastHit);
    void setFont(const QFont& font) { m_font = font; }

    const PictureSet& pictures() const { return m_pictures; }
    const SkinLayout& layout() const { return m_layout; }
    const QFont& font() const { return m_font; }

    /// The window size: the mask's size, else the normal picture's, else `fallback`.
    QSize size(QSize fallback) const;
    /// The window region from the mask (empty when there is no mask).
    const QRegion& shape() const { return m_shape; }

    /// Recomputes the hot element; true when it changed (the window repaints then).
    bool pointerMoved(QPoint point);
    /// A press: sets pressed when an element is hot; true when the window repaints.
    bool pressed(QPoint point);
    /// A release clears pressed; returns the element that was hot (255 = none).
    int released();
    void leave() { m_hot = kNone; }

    int hot() const { return m_hot; }
    bool isPressed() const { return m_pressed; }

    /// The normal picture with the hot element from the over picture (the down picture
    /// while pressed), then every element's label centred in white in the set font, for a
    /// device of `devicePixelRatio`.
    QImage compose(qreal devicePixelRatio = 1.0) const;

    /// Draws `text` centred in `area` (nothing for an empty area or text).
    static void drawCentred(QImage& target, const Area& area, const QString& text,
                            const QFont& font, const QColor& colour);

private:
    PictureSet m_pictures;
    SkinLayout m_layout;
    QRegion m_shape;
    QFont m_font;
    int m_lastHit = -1;
    int m_hot = kNone;
    int m_lastHot = kNone;
    bool m_pressed = false;
};

} // namespace zel
