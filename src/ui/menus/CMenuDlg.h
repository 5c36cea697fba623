#pragma once

#include "ui/menus/CSubMenuDlg.h"
#include "ui/menus/MenuContext.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

namespace zel {

/// The first-level popup ("MainMenuDlg") in each of its kinds: the functions of a mouse
/// button, the lighting effects and reactions, a macro lighting step's mode and colour,
/// the weapon presets, the languages and the macro page's menus.
///
/// It takes its pictures, row height and size from its kind's mask, lights the row under
/// the pointer (from the down picture while the left button is held) and acts on the row
/// under the pointer when the left button comes up: it stores the choice through the
/// context or tells its owner by a window message, and closes. Rows that lead on (a
/// button's special functions, multimedia keys, macros and profile functions; the insert
/// menu's first four rows) open a second-level popup beside them instead: every paint
/// destroys the one opened on the previous paint and opens the one the hot row asks for.
///
/// The opener places the popup (setGeometry or move) and shows it; a popup is never
/// reused.
class CMenuDlg final : public QWidget {
public:
    CMenuDlg(PopupKind kind, MenuContext& context, QWidget* owner, std::vector<int> items = {});

    PopupKind kind() const { return m_kind; }
    int rowCount() const { return m_rows; }
    int rowHeight() const { return m_rowHeight; }
    /// The row under the pointer (from 1), 255 for none.
    int hotRow() const { return m_hot; }
    bool isPressed() const { return m_pressed; }
    /// The second-level popup opened by the last paint, if any.
    CSubMenuDlg* subPopup() const { return m_sub.data(); }
    /// What the popup paints.
    QImage compose() const;
    /// The text row `row` (from 1) draws.
    QString rowText(int row) const;
    /// What row `row` (from 1) is called: its text, or for rows drawn as a picture or a
    /// swatch, the language or colour it stands for.
    QString rowName(int row) const;

    static constexpr int kNoRow = 255;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void loadPictures();
    void hover(QPoint point);
    void choose(int row);
    void replaceSubPopup();

    PopupKind m_kind;
    MenuContext& m_context;
    QPointer<QWidget> m_owner;
    std::vector<int> m_items;
    QImage m_normal;
    QImage m_over;
    QImage m_down;
    /// Kind 10: each row's language pictures (normal, over).
    std::vector<std::pair<QImage, QImage>> m_rowPictures;
    int m_width = 0;
    int m_height = 0;
    int m_rowHeight = 0;
    int m_rows = 0;
    int m_hot = kNoRow;
    bool m_pressed = false;
    QPointer<CSubMenuDlg> m_sub;
};

} // namespace zel
