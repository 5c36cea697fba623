#include "ui/CListBoxXI.h"

#include "presentation/SkinPictures.h"
#include "ui/AppMessage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace zel {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNumberRole = Qt::UserRole + 1;
const QColor kRowColour(22, 22, 22);
const QColor kSelectedColour(93, 93, 93);
const QColor kRowText(255, 255, 255);
/// The icon starts 4 pixels from the left; the text 4 pixels after the icon.
constexpr int kIconLeft = 4;
constexpr int kTextGap = 4;
constexpr int kIconMargin = 4;

} // namespace

/// Draws one row: its background, its kind's icon and its text.
class CListBoxXI::RowPainter final : public QStyledItemDelegate {
public:
    explicit RowPainter(CListBoxXI& list) : QStyledItemDelegate(&list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->fillRect(option.rect, selected ? kSelectedColour : kRowColour);
        const int kind = index.data(kKindRole).toInt();
        int x = option.rect.left() + kIconLeft + m_list.indent(kind);
        const QImage icon = m_list.icon(kind);
        if (!icon.isNull()) {
            // In layout units: a 2x icon covers the same place as its 1x picture.
            const QSize size = layoutSize(icon);
            painter->drawImage(
                QPoint(x, option.rect.top() + (option.rect.height() - size.height()) / 2), icon);
            x += size.width() + kTextGap;
        }
        painter->setFont(option.font);
        painter->setPen(kRowText);
        const QRect textRect(x, option.rect.top(), option.rect.right() - x, option.rect.height());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), m_list.rowHeight());
    }

private:
    CListBoxXI& m_list;
};

CListBoxXI::CListBoxXI(int listNumber, QWidget* owner, QWidget* parent)
    : QListWidget(parent), m_listNumber(listNumber), m_owner(owner) {
    setItemDelegate(new RowPainter(*this));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kRowColour);
    colours.setColor(QPalette::Window, kRowColour);
    colours.setColor(QPalette::Text, kRowText);
    setPalette(colours);
    viewport()->setAutoFillBackground(true);
}

CListBoxXI::~CListBoxXI() = default;

void CListBoxXI::setIcons(std::vector<QImage> icons) {
    m_icons = std::move(icons);
    doItemsLayout();
}

void CListBoxXI::setIndent(int kind, int pixels) {
    m_indents[kind] = pixels;
}

QImage CListBoxXI::icon(int kind) const {
    return kind >= 0 && kind < static_cast<int>(m_icons.size())
               ? m_icons[static_cast<std::size_t>(kind)]
               : QImage();
}

int CListBoxXI::indent(int kind) const {
    const auto it = m_indents.find(kind);
    return it == m_indents.end() ? 0 : it->second;
}

int CListBoxXI::rowHeight() const {
    int iconHeight = 0;
    for (const QImage& i : m_icons) {
        iconHeight = std::max(iconHeight, i.height());
    }
    return std::max(fontMetrics().height(), iconHeight + kIconMargin);
}

int CListBoxXI::addRow(const QString& text, int kind, int number) {
    auto* item = new QListWidgetItem(text);
    item->setData(kKindRole, kind);
    item->setData(kNumberRole, number);
    addItem(item);
    return count() - 1;
}

int CListBoxXI::rowKind(int row) const {
    const QListWidgetItem* i = item(row);
    return i == nullptr ? -1 : i->data(kKindRole).toInt();
}

int CListBoxXI::rowNumber(int row) const {
    const QListWidgetItem* i = item(row);
    return i == nullptr ? 0 : i->data(kNumberRole).toInt();
}

QString CListBoxXI::rowText(int row) const {
    const QListWidgetItem* i = item(row);
    return i == nullptr ? QString() : i->text();
}

// ---------------------------------------------------------------- in-place editing

void CListBoxXI::beginEdit() {
    const int row = currentRow();
    if (row < 0 || row >= count() || editing()) {
        return;
    }
    scrollToItem(item(row));
    m_editRow = row;
    m_editor = new QLineEdit(viewport());
    m_editor->setObjectName(QStringLiteral("ListEdit"));
    m_editor->setFont(font());
    m_editor->setFrame(false);
    QPalette colours = m_editor->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    m_editor->setPalette(colours);
    m_editor->setText(rowText(row));
    m_editor->selectAll();
    // Over the row's text: the icon and the indent stay in sight.
    const QRect band = visualItemRect(item(row));
    const int kind = rowKind(row);
    const QImage rowIcon = icon(kind);
    const int textLeft =
        kIconLeft + indent(kind) + (rowIcon.isNull() ? 0 : rowIcon.width() + kTextGap);
    m_editor->setGeometry(band.adjusted(std::max(0, textLeft - 2), 0, 0, 0));
    m_editor->installEventFilter(this);
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CListBoxXI::endEdit(bool keep) {
    if (m_editor == nullptr) {
        return;
    }
    // Taken first: hiding the box takes its focus, which ends the edit once more.
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    const int row = m_editRow;
    m_editRow = -1;
    const QString text = editor->text();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    if (hasFocus() || QApplication::focusWidget() == nullptr) {
        setFocus(Qt::OtherFocusReason);
    }
    if (!keep || row < 0 || row >= count() || text == rowText(row)) {
        return;
    }
    QListWidgetItem* old = item(row);
    auto* replaced = new QListWidgetItem(text);
    replaced->setData(kKindRole, old->data(kKindRole));
    replaced->setData(kNumberRole, old->data(kNumberRole));
    delete takeItem(row);
    insertItem(row, replaced);
    setCurrentRow(row);
    if (m_owner) {
        // Sent, so the owner has the new text before anything else happens to the list.
        AppMessage edited(msg::kListEdited, row, m_listNumber, text.toStdString());
        QCoreApplication::sendEvent(m_owner, &edited);
    }
}

bool CListBoxXI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                endEdit(true);
                return true;
            }
            if (key == Qt::Key_Escape) {
                endEdit(false);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            endEdit(true);
        }
    }
    return QListWidget::eventFilter(watched, event);
}

void CListBoxXI::scrollContentsBy(int dx, int dy) {
    endEdit(true);
    QListWidget::scrollContentsBy(dx, dy);
}

// ---------------------------------------------------------------- pointer and keys

void CListBoxXI::mousePressEvent(QMouseEvent* event) {
    endEdit(true);
    const QModelIndex index = indexAt(event->position().toPoint());
    const int row = index.isValid() ? index.row() : -1;
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (rowRightPressed) {
            rowRightPressed(row, event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() == Qt::LeftButton && rowPressed) {
        event->accept();
        setFocus(Qt::MouseFocusReason);
        rowPressed(row);
        return;
    }
    QListWidget::mousePressEvent(event);
}

void CListBoxXI::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click came as a press of its own already.
    event->accept();
    if (event->button() == Qt::LeftButton && rowDoubleClicked) {
        const QModelIndex index = indexAt(event->position().toPoint());
        rowDoubleClicked(index.isValid() ? index.row() : -1);
    }
}

void CListBoxXI::forwardKey(const QKeyEvent& event) {
    QKeyEvent again(event.type(), event.key(), event.modifiers(), event.text());
    m_forwardingKey = true;
    QCoreApplication::sendEvent(m_editor, &again);
    m_forwardingKey = false;
}

void CListBoxXI::keyPressEvent(QKeyEvent* event) {
    if (m_forwardingKey) {
        // The edit box left the key it was handed; it ends here.
        event->accept();
        return;
    }
    if (editing()) {
        // Keys that reach the list while its box is open are the box's (the box may not
        // have the focus, when the window was not active as the edit began).
        m_editor->setFocus(Qt::OtherFocusReason);
        forwardKey(*event);
        event->accept();
        return;
    }
    const bool typed = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                       (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (!editing() && rowPressed && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        // Moving the selection by key is a selection like a press.
        const int next = currentRow() + (event->key() == Qt::Key_Up ? -1 : 1);
        if (next >= 0 && next < count()) {
            rowPressed(next);
        }
        event->accept();
        return;
    }
    if (!editing() && currentRow() >= 0 && (typed || event->key() == Qt::Key_Insert)) {
        beginEdit();
        if (typed && m_editor != nullptr) {
            // The typed character replaces the selected text, as it would in the box.
            forwardKey(*event);
        }
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CListBoxXI::contextMenuEvent(QContextMenuEvent* event) {
    // The right press opened the list's menu; the window's own menu stays shut.
    event->accept();
}

} // namespace zel
