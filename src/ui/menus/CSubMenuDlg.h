#pragma once

#include "ui/menus/MacSelMenuDlg.h"
#include "ui/menus/MenuContext.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace zel {

/// The second-level popup ("SubMenuDlg") beside a row of the first level: a button's
/// special functions (row 7), multimedia keys (row 8), profile functions (row 11) and macro
/// groups (row 9), or one of the insert menu's four step lists.
///
/// Once the pointer has been on a row, that row stays hot when the pointer leaves the
/// popup, so that the macro popup of the hot group stays open beside it. A choice stores
/// the function through the context (or, in an insert list, tells the owner which step to
/// insert), then closes the first-level popup, repaints the owner and closes itself.
///
/// The insert lists take the macro page's "Insert2th" pictures (mouse buttons) and
/// "Insert3th" pictures (pointer moves, CPI), rows of 20 pixels. Their rows: left, middle
/// and right button (UniqueName_DevMac 20..22), each pressed ("↓") then released ("↑"),
/// before (commands 241..246) or after (247..252) the selected step; the four pointer
/// moves in the step list's notation with an arrow (253..256); "DPI change"
/// (UniqueName_DevMac 13) and "DPI return" (UniqueName_Other 11) (257, 258).
class CSubMenuDlg final : public QWidget {
public:
    /// The variants: functions and macro groups, and the four insert lists (mouse
    /// buttons before the selected step, after it, pointer moves, CPI steps).
    static constexpr int kFunctions = 0;
    static constexpr int kMacroGroups = 1;
    static constexpr int kInsertFirst = 141;
    static constexpr int kInsertLast = 144;
    /// The hot row before the pointer has been on a row.
    static constexpr int kNoRowYet = 253;

    /// `parentRow` is the first-level row that opened it (for the function variants);
    /// `firstLevel` is that popup, `owner` the window the choices are told to.
    CSubMenuDlg(int variant, int parentRow, MenuContext& context, QWidget* firstLevel,
                QWidget* owner);

    int variant() const { return m_variant; }
    int parentRow() const { return m_parentRow; }
    int rowCount() const { return m_rows; }
    int rowHeight() const { return m_rowHeight; }
    int hotRow() const { return m_hot; }
    /// The macro popup opened by the last paint, if any.
    MacSelMenuDlg* macroPopup() const { return m_macros.data(); }
    QImage compose() const;
    /// The text row `row` (from 1) draws.
    QString rowText(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void hover(QPoint point);
    void choose(int row);
    void replaceMacroPopup();
    /// The insert command of row `row` of an insert list.
    int insertItem(int row) const;

    int m_variant;
    int m_parentRow;
    MenuContext& m_context;
    QPointer<QWidget> m_firstLevel;
    QPointer<QWidget> m_owner;
    QImage m_normal;
    QImage m_over;
    QImage m_down;
    int m_width = 0;
    int m_height = 0;
    int m_rowHeight = 0;
    int m_rows = 0;
    int m_hot = kNoRowYet;
    bool m_pressed = false;
    QPointer<MacSelMenuDlg> m_macros;
};

} // namespace zel
