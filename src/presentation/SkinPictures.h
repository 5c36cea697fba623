#pragma once

#include "presentation/SkinLayout.h"

#include <QHash>
#include <QImage>
#include <QRegion>
#include <QString>

#include <string>

namespace zel {

/// The picture set a window of device pixel ratio `devicePixelRatio` reads: 2 (the
/// "@2x" pictures) above 1, else 1.
int pictureScaleFor(qreal devicePixelRatio);

/// The size of `picture` in layout units (its pixels over its device pixel ratio).
QSize layoutSize(const QImage& picture);

/// An RGB32 picture of `size` layout units for a device of `devicePixelRatio`: the
/// window's frame, composed from the skin pictures and with texts drawn at the device's
/// own resolution.
QImage framePicture(QSize size, qreal devicePixelRatio);

/// A frame for a device of `devicePixelRatio` showing `normal` at its layout size (scaled
/// when its pixels are of another ratio); `fallbackSize` filled with `background` when
/// `normal` is null.
QImage frameFrom(const QImage& normal, QSize fallbackSize, qreal devicePixelRatio,
                 const QColor& background);

/// Copies `area`'s rectangle (layout units) from `source` onto the same place of `target`
/// (the three pictures of a window are aligned). Pictures of the same device pixel ratio
/// are copied pixel for pixel; otherwise the source is scaled to the target's pixels.
/// Parts outside either picture are skipped.
void composeArea(QImage& target, const QImage& source, const Area& area);

/// The window region of a mask picture: the full rectangle minus every pixel whose red,
/// green and blue are all above 100. A null or 0×0 picture gives an empty region.
QRegion shapeFromMask(const QImage& mask);

/// Regions of mask pictures, built once per file and kept.
class MaskRegionCache {
public:
    /// The region of the picture at `path` (empty when it cannot be read).
    QRegion region(const QString& path);
    void clear() { m_regions.clear(); }

private:
    QHash<QString, QRegion> m_regions;
};

/// The pictures of one window or page: prefix + "_normal.jpg", "_over.jpg", "_down.jpg"
/// and "_mask.jpg" in `folder` (SkinsDir or SkinsDir + "/MacMenu"). A missing picture
/// stays null and the window is drawn without it.
struct PictureSet {
    QImage normal;
    QImage over;
    QImage down;
    QImage mask;

    /// The three looks from the set of `scale` (see `readPicture`); the mask always from
    /// the 1x set, since the window's shape and size are in layout units.
    static PictureSet load(const std::string& folder, const std::string& prefix, int scale = 1);
};

} // namespace zel
