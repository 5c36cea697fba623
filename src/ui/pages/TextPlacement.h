#pragma once

#include "presentation/SkinLayout.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <functional>

namespace zel {

/// How a text sits in its element.
struct TextPlacement {
    int dx = 0;          ///< moved right by
    int extraHeight = 0; ///< centred in a rectangle this much taller
    bool leftAligned = false;
    bool rightAligned = false;
    int inset = 0; ///< kept free inside each side, so an aligned text keeps off a box's edge
};

/// The rectangle a text of `area` is laid out in, and the flags it is drawn with.
QRect textRect(const Area& area, TextPlacement placement);
int textFlags(TextPlacement placement);

/// Where a page or the frame puts one text: what drawText is given, less the image and
/// the font (the language's). Tests collect them to measure what the window draws.
using TextSink = std::function<void(const Area& area, const QString& text, const QColor& colour,
                                    TextPlacement placement)>;

} // namespace zel
