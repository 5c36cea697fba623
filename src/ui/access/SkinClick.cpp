#include "ui/access/SkinClick.h"

#include "ui/CZEL_GMouseDlg.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace zel {

namespace {

/// What a screen reader was told of one element of the main window.
struct ElementLook {
    QAccessibleInterface* element = nullptr;
    QString name;
    QAccessible::State state;
    QVariant value;
};

std::vector<ElementLook> looks(QWidget* widget) {
    std::vector<ElementLook> out;
    if (qobject_cast<CZEL_GMouseDlg*>(widget) == nullptr) {
        return out;
    }
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(widget);
    for (int i = 0; root != nullptr && i < root->childCount(); ++i) {
        QAccessibleInterface* c = root->child(i);
        if (c == nullptr || c->object() != nullptr) {
            continue; // a real child control tells its own changes
        }
        QAccessibleValueInterface* v = c->valueInterface();
        out.push_back({c, c->text(QAccessible::Name), c->state(),
                       v != nullptr ? v->currentValue() : QVariant()});
    }
    return out;
}

/// Tells the accessibility bus what a click changed: the elements shown, and the names,
/// states and values of the elements that stayed.
void announceChanges(QWidget* widget, const std::vector<ElementLook>& before) {
    const std::vector<ElementLook> after = looks(widget);
    bool sameElements = before.size() == after.size();
    for (std::size_t i = 0; sameElements && i < after.size(); ++i) {
        sameElements = before[i].element == after[i].element;
    }
    if (!sameElements) {
        QAccessibleEvent reorder(widget, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    }
    for (const ElementLook& now : after) {
        const auto was = std::find_if(before.begin(), before.end(), [&](const ElementLook& b) {
            return b.element == now.element;
        });
        if (was == before.end()) {
            continue;
        }
        if (was->name != now.name) {
            QAccessibleEvent named(now.element, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&named);
        }
        QAccessible::State changed;
        changed.checked = was->state.checked != now.state.checked;
        changed.selected = was->state.selected != now.state.selected;
        changed.disabled = was->state.disabled != now.state.disabled;
        if (changed.checked || changed.selected || changed.disabled) {
            QAccessibleStateChangeEvent stated(now.element, changed);
            QAccessible::updateAccessibility(&stated);
        }
        if (was->value != now.value) {
            QAccessibleValueChangeEvent valued(now.element, now.value);
            QAccessible::updateAccessibility(&valued);
        }
    }
}

} // namespace

void clickLater(QWidget* widget, QPoint point) {
    QTimer::singleShot(0, widget, [widget, point] {
        const QPointF local(point);
        const QPointF global(widget->mapToGlobal(point));
        const QPointer<QWidget> alive(widget);
        const std::vector<ElementLook> before = looks(widget);
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        if (alive) {
            QCoreApplication::sendEvent(widget, &press);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        if (alive) {
            QCoreApplication::sendEvent(widget, &release);
        }
        if (alive && !before.empty()) {
            announceChanges(widget, before);
        }
    });
}

} // namespace zel
