#pragma once

#include "presentation/SkinLayout.h"
#include "settings/ProfileSettings.h"
#include "ui/pages/TextPlacement.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <string>

namespace zel {

inline constexpr QColor kAccentColour(7, 188, 255);
inline constexpr QColor kRecordingColour(255, 0, 0);
inline constexpr QColor kTextColour(255, 255, 255);

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// Draws text in an element: centred, or from the left or the right. Nothing for empty
/// text or an element at the origin (a missing entry).
void drawText(QImage& image, const Area& area, const QString& text, const QFont& font,
              const QColor& colour, TextPlacement placement = {});

/// A text sink that draws each text it is handed onto `image` in `font` (the image must
/// outlive the sink).
TextSink textPainter(QImage& image, const QFont& font);

/// Fills an element with a plain colour (nothing for an empty element).
void fillArea(QImage& image, const Area& area, QRgb colour);

/// A colour value with red in the low byte, as the settings keep it.
QRgb fromColourRef(ColourRef c);

} // namespace zel
