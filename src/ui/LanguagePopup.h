#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zel {

/// The language choice below the main window's language elements: one row per language,
/// each showing the language's own "ver_normal.jpg" (or "ver_over.jpg" while hot); with no
/// languages, two plain rows of the "menu2" pictures. A release on a row chooses it
/// (rows count from 1); any release closes the popup.
class LanguagePopup final : public QWidget {
public:
    LanguagePopup(const std::string& skinsDir, const std::vector<int>& languages, int width,
                  std::function<void(int row)> chosen, QWidget* owner);

    /// The hot row (1 ..), 255 for none.
    int hotRow() const { return m_hot; }
    int rowHeight() const { return m_rowHeight; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void(int)> m_chosen;
    QImage m_normal;
    QImage m_over;
    std::vector<std::pair<QImage, QImage>> m_rowImages;
    int m_rowHeight = 30;
    int m_rows = 2;
    int m_hot = 255;
};

} // namespace zel
