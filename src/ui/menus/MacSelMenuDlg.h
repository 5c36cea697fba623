#pragma once

#include "ui/menus/MenuContext.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace zel {

/// The macros of one group, beside the macro groups' popup. Choosing macro j (from 1) of
/// group g stores AssignCode 256 × g + (j − 1) through the context, tells the owner
/// (0x7E9 with 2, 0) and closes the whole chain. A group without macros gives a popup of
/// no height, which cannot be clicked.
class MacSelMenuDlg final : public QWidget {
public:
    MacSelMenuDlg(int group, MenuContext& context, QWidget* groups, QWidget* firstLevel,
                  QWidget* owner);

    int group() const { return m_group; }
    int rowCount() const { return m_rows; }
    int rowHeight() const { return m_rowHeight; }
    /// The macro row under the pointer (from 1); the last one stays hot outside the rows;
    /// 255 before the pointer has been on a row.
    int hotRow() const { return m_hot; }
    QImage compose() const;
    /// The macro name row `row` (from 1) draws.
    QString rowText(int row) const;

    static constexpr int kNoRow = 255;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void hover(QPoint point);
    void choose(int row);

    int m_group;
    MenuContext& m_context;
    QPointer<QWidget> m_groups;
    QPointer<QWidget> m_firstLevel;
    QPointer<QWidget> m_owner;
    QImage m_normal;
    QImage m_over;
    int m_width = 0;
    int m_height = 0;
    int m_rowHeight = 0;
    int m_rows = 0;
    int m_hot = kNoRow;
};

} // namespace zel
