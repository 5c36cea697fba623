#include "ui/LanguagePopup.h"

#include "presentation/PictureCache.h"
#include "presentation/SkinPictures.h"
#include "settings/FolderTree.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zel {

namespace {

/// The "menu2" mask holds fifteen rows.
constexpr int kMenuMaskRows = 15;
constexpr int kFallbackRowHeight = 30;
constexpr int kNoRow = 255;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

LanguagePopup::LanguagePopup(const std::string& skinsDir, const std::vector<int>& languages,
                             int width, std::function<void(int row)> chosen, QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), m_chosen(std::move(chosen)) {
    const PictureSet menu = PictureSet::load(skinsDir, "/menu2");
    m_normal = menu.normal;
    m_over = menu.over;
    m_rowHeight =
        menu.mask.isNull() ? kFallbackRowHeight : std::max(1, menu.mask.height() / kMenuMaskRows);
    m_rows = languages.empty() ? 2 : static_cast<int>(languages.size());
    for (int language : languages) {
        const std::string dir = skinsDir + languageFolderName(language);
        m_rowImages.push_back(
            {readPicture(qs(dir + "/ver_normal.jpg")), readPicture(qs(dir + "/ver_over.jpg"))});
    }
    resize(width, m_rows * m_rowHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_DeleteOnClose);
}

void LanguagePopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(30, 30, 30));
    if (!m_normal.isNull()) {
        p.drawImage(rect(), m_normal, QRect(0, 0, width(), height()));
    }
    for (int r = 0; r < m_rows; ++r) {
        const QRect band(0, r * m_rowHeight, width(), m_rowHeight);
        const bool hot = r + 1 == m_hot;
        if (r < static_cast<int>(m_rowImages.size())) {
            const auto& images = m_rowImages[static_cast<std::size_t>(r)];
            p.drawImage(band, hot ? images.second : images.first);
        } else if (hot && !m_over.isNull()) {
            p.drawImage(band, m_over, band);
        }
    }
}

void LanguagePopup::mouseMoveEvent(QMouseEvent* e) {
    const int row = static_cast<int>(e->position().y()) / m_rowHeight + 1;
    const int hot =
        (row >= 1 && row <= m_rows && rect().contains(e->position().toPoint())) ? row : kNoRow;
    if (hot != m_hot) {
        m_hot = hot;
        update();
    }
}

void LanguagePopup::mouseReleaseEvent(QMouseEvent* e) {
    mouseMoveEvent(e);
    if (m_hot >= 1 && m_hot <= m_rows && m_chosen) {
        m_chosen(m_hot);
    }
    close();
}

} // namespace zel
