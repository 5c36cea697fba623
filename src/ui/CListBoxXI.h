#pragma once

#include <QImage>
#include <QListWidget>
#include <QPointer>

#include <functional>
#include <map>
#include <vector>

class QLineEdit;

namespace zel {

/// An owner-drawn list of the macro page. Each row carries a display kind and a second
/// number; the kind chooses the row's icon and its indent. Rows are drawn on the dark list
/// colour, the selected one lighter, with white text after the icon.
///
/// A row's text can be edited in place: typing a character or pressing Insert over the
/// selected row, or `beginEdit`, opens an edit box over the row holding its text, all
/// selected. Enter, a lost focus and scrolling keep the text, Escape drops it. A kept text
/// that differs from the row's replaces the row (same kind and number, selected) and the
/// owner receives `msg::kListEdited` (row, list number, the new text), sent.
///
/// Pointer presses on rows go to `rowPressed` and `rowRightPressed` when they are set; the
/// list then leaves its selection to whoever answers them.
class CListBoxXI final : public QListWidget {
public:
    /// `listNumber` is what the edit message names the list by (1 macros, 2 steps, 3
    /// lighting); `owner` receives it.
    CListBoxXI(int listNumber, QWidget* owner, QWidget* parent);
    ~CListBoxXI() override;

    int listNumber() const { return m_listNumber; }
    /// The icon of each display kind, by kind.
    void setIcons(std::vector<QImage> icons);
    /// Extra pixels before the icon of rows of `kind`.
    void setIndent(int kind, int pixels);

    /// Appends a row; returns its index.
    int addRow(const QString& text, int kind, int number = 0);
    int rowKind(int row) const;
    int rowNumber(int row) const;
    QString rowText(int row) const;
    /// The height of a row: the text's or the icon's and 4 pixels, whichever is larger.
    int rowHeight() const;

    /// Opens the edit box over the selected row (nothing without one).
    void beginEdit();
    /// Ends an open edit, keeping or dropping the typed text.
    void endEdit(bool keep);
    bool editing() const { return m_editor != nullptr; }
    QLineEdit* editor() const { return m_editor; }

    /// A left press on row `row` (-1 below the rows).
    std::function<void(int row)> rowPressed;
    /// A right press on row `row` (-1 below the rows) at `global`.
    std::function<void(int row, QPoint global)> rowRightPressed;
    /// The second press of a double click on row `row`, after its first press.
    std::function<void(int row)> rowDoubleClicked;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class RowPainter;
    void forwardKey(const QKeyEvent& event);
    friend class RowPainter;

    QImage icon(int kind) const;
    int indent(int kind) const;

    int m_listNumber;
    QPointer<QWidget> m_owner;
    std::vector<QImage> m_icons;
    std::map<int, int> m_indents;
    QLineEdit* m_editor = nullptr;
    int m_editRow = -1;
    /// A key is being handed to the edit box: if the box leaves it, it comes back up to the
    /// list, which must not hand it over again.
    bool m_forwardingKey = false;
};

} // namespace zel
