#include "ui/access/PopupAccessible.h"

#include "ui/access/SkinClick.h"
#include "ui/menus/CMenuDlg.h"
#include "ui/menus/CSubMenuDlg.h"
#include "ui/menus/MacSelMenuDlg.h"
#include "ui/menus/MenuPainting.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace zel {

namespace {

/// The rows of a popup as it draws them.
struct PopupRows {
    int count = 0;
    int height = 0;
    int hot = 0;
    /// The rows beyond this one are never hot and take no click.
    int clickable = 0;
};

PopupRows popupRows(const QWidget* popup) {
    if (const auto* m = dynamic_cast<const CMenuDlg*>(popup)) {
        return {m->rowCount(), m->rowHeight(), m->hotRow(),
                std::min(m->rowCount(), kMenuHoverRows)};
    }
    if (const auto* s = dynamic_cast<const CSubMenuDlg*>(popup)) {
        return {s->rowCount(), s->rowHeight(), s->hotRow(), s->rowCount()};
    }
    if (const auto* m = dynamic_cast<const MacSelMenuDlg*>(popup)) {
        return {m->rowCount(), m->rowHeight(), m->hotRow(), m->rowCount()};
    }
    return {};
}

QString popupRowName(const QWidget* popup, int row) {
    if (const auto* m = dynamic_cast<const CMenuDlg*>(popup)) {
        return m->rowName(row);
    }
    if (const auto* s = dynamic_cast<const CSubMenuDlg*>(popup)) {
        return s->rowText(row);
    }
    if (const auto* m = dynamic_cast<const MacSelMenuDlg*>(popup)) {
        return m->rowText(row);
    }
    return {};
}

/// One row of a popup (from 1).
class RowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RowAccessible(QWidget* popup, int row) : m_popup(popup), m_row(row) {}

    bool isValid() const override { return m_popup && m_row <= popupRows(m_popup).count; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_popup ? m_popup->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return m_popup ? QAccessible::queryAccessibleInterface(m_popup.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && m_popup ? popupRowName(m_popup, m_row) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!m_popup) {
            return {};
        }
        const int height = popupRows(m_popup).height;
        return QRect(m_popup->mapToGlobal(QPoint(0, (m_row - 1) * height)),
                     QSize(m_popup->width(), height));
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!m_popup) {
            s.invalid = true;
            return s;
        }
        const PopupRows rows = popupRows(m_popup);
        s.focusable = true;
        s.focused = rows.hot == m_row;
        s.hotTracked = s.focused;
        s.disabled = m_row > rows.clickable;
        s.invisible = !m_popup->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        const PopupRows rows = popupRows(m_popup);
        if (name == pressAction() && isValid() && m_row <= rows.clickable) {
            clickLater(m_popup.data(),
                       QPoint(m_popup->width() / 2, (m_row - 1) * rows.height + rows.height / 2));
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> m_popup;
    int m_row;
};

/// A popup: its rows as menu items.
class PopupAccessible final : public QAccessibleWidget {
public:
    explicit PopupAccessible(QWidget* popup) : QAccessibleWidget(popup, QAccessible::PopupMenu) {}

    ~PopupAccessible() override {
        for (QAccessible::Id id : m_ids) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return popupRows(widget()).count; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const auto i = static_cast<std::size_t>(index);
        if (m_ids.size() <= i) {
            m_ids.resize(i + 1, 0);
        }
        if (m_ids[i] == 0) {
            m_ids[i] = QAccessible::registerAccessibleInterface(
                new RowAccessible(const_cast<QWidget*>(widget()), index + 1));
        }
        return QAccessible::accessibleInterface(m_ids[i]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < m_ids.size(); ++i) {
            if (m_ids[i] != 0 && QAccessible::accessibleInterface(m_ids[i]) == child) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const PopupRows rows = popupRows(widget());
        const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
        if (rows.height <= 0 || !widget()->rect().contains(p)) {
            return nullptr;
        }
        return child(p.y() / rows.height);
    }

private:
    mutable std::vector<QAccessible::Id> m_ids;
};

} // namespace

QAccessibleInterface* makePopupAccessible(QWidget* widget) {
    if (dynamic_cast<CMenuDlg*>(widget) == nullptr &&
        dynamic_cast<CSubMenuDlg*>(widget) == nullptr &&
        dynamic_cast<MacSelMenuDlg*>(widget) == nullptr) {
        return nullptr;
    }
    return new PopupAccessible(widget);
}

} // namespace zel
