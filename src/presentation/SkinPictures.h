#pragma once

#include "presentation/SkinLayout.h"

#include <QHash>
#include <QImage>
#include <QRegion>
#include <QString>

#include <string>

namespace zel {

/// Copies `area`'s rectangle from `source` onto the same place of `target` (the three
/// pictures of a window are pixel-aligned). Parts outside either picture are skipped.
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

    static PictureSet load(const std::string& folder, const std::string& prefix);
};

} // namespace zel
