#include "ui/access/DialogAccessible.h"

#include "presentation/LayoutElements.h"
#include "ui/WarningDlg.h"
#include "ui/access/SkinClick.h"
#include "ui/keys/CDialogGetKey.h"
#include "ui/keys/CShortcutGetKey.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <vector>

namespace zel {

namespace {

/// One element of a skinned dialog: the warning box's buttons and message, the key
/// dialogs' displays, buttons and modifier toggles.
struct Spot {
    QAccessible::Role role = QAccessible::Button;
    int element = 0;
    const char* fixedName = ""; ///< for an icon that draws no text
};

std::vector<Spot> spotsOf(const QWidget* dialog) {
    using R = QAccessible::Role;
    if (dynamic_cast<const WarningDlg*>(dialog) != nullptr) {
        namespace w = layout::lb_warning;
        return {{R::StaticText, w::kMessage, ""},
                {R::Button, w::kOk, "OK"},
                {R::Button, w::kClose, "Close"}};
    }
    if (dynamic_cast<const CDialogGetKey*>(dialog) != nullptr) {
        namespace k = layout::skin_keyset;
        return {{R::StaticText, k::kKey, ""}, {R::Button, k::kOk, ""}, {R::Button, k::kCancel, ""}};
    }
    if (dynamic_cast<const CShortcutGetKey*>(dialog) != nullptr) {
        namespace c = layout::skin_shortcut;
        std::vector<Spot> spots{{R::StaticText, c::kModifiers, ""},
                                {R::StaticText, c::kMainKey, ""}};
        for (int m = 0; m < c::kModifierCount; ++m) {
            spots.push_back({R::CheckBox, c::kModifierFirst + m, ""});
        }
        spots.insert(spots.end(), {{R::Button, c::kOk, ""},
                                   {R::Button, c::kClear, ""},
                                   {R::Button, c::kCancel, ""},
                                   {R::Button, c::kClose, "Close"}});
        return spots;
    }
    return {};
}

QRect spotRect(const QWidget* dialog, int element) {
    Area a;
    if (const auto* w = dynamic_cast<const WarningDlg*>(dialog)) {
        a = w->rect(element);
    } else if (const auto* k = dynamic_cast<const KeyCaptureDialog*>(dialog)) {
        a = k->area(element);
    }
    return QRect(a.x, a.y, a.width, a.height);
}

QString spotName(const QWidget* dialog, const Spot& spot) {
    if (*spot.fixedName != '\0') {
        return QString::fromUtf8(spot.fixedName);
    }
    if (const auto* w = dynamic_cast<const WarningDlg*>(dialog)) {
        return w->shownText();
    }
    if (const auto* k = dynamic_cast<const KeyCaptureDialog*>(dialog)) {
        return k->elementText(spot.element);
    }
    return {};
}

class SpotAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SpotAccessible(QWidget* dialog, Spot spot) : m_dialog(dialog), m_spot(spot) {}

    bool isValid() const override { return !m_dialog.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_dialog ? m_dialog->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return m_dialog ? QAccessible::queryAccessibleInterface(m_dialog.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && m_dialog ? spotName(m_dialog, m_spot) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!m_dialog) {
            return {};
        }
        const QRect local = spotRect(m_dialog, m_spot.element);
        return QRect(m_dialog->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return m_spot.role; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!m_dialog) {
            s.invalid = true;
            return s;
        }
        if (m_spot.role == QAccessible::CheckBox) {
            s.checkable = true;
            const auto* k = dynamic_cast<const KeyCaptureDialog*>(m_dialog.data());
            s.checked = k != nullptr && k->elementOn(m_spot.element);
        }
        s.readOnly = m_spot.role == QAccessible::StaticText;
        s.invisible = !m_dialog->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface && m_spot.role != QAccessible::StaticText
                   ? static_cast<QAccessibleActionInterface*>(this)
                   : nullptr;
    }
    QStringList actionNames() const override {
        return m_spot.role == QAccessible::CheckBox ? QStringList{toggleAction(), pressAction()}
                                                    : QStringList{pressAction()};
    }
    void doAction(const QString& name) override {
        if (m_dialog && (name == pressAction() || name == toggleAction())) {
            clickLater(m_dialog.data(), spotRect(m_dialog, m_spot.element).center());
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> m_dialog;
    Spot m_spot;
};

/// A skinned dialog: its elements, then its real child controls, if any.
class DialogAccessible final : public QAccessibleWidget {
public:
    explicit DialogAccessible(QWidget* dialog)
        : QAccessibleWidget(dialog, QAccessible::Dialog), m_spots(spotsOf(dialog)) {}

    ~DialogAccessible() override {
        for (QAccessible::Id id : m_ids) {
            if (id != 0) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }

    int childCount() const override { return static_cast<int>(m_spots.size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const auto i = static_cast<std::size_t>(index);
        m_ids.resize(m_spots.size(), 0);
        if (m_ids[i] == 0) {
            m_ids[i] = QAccessible::registerAccessibleInterface(
                new SpotAccessible(const_cast<QWidget*>(widget()), m_spots[i]));
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
        const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < childCount(); ++i) {
            if (spotRect(widget(), m_spots[static_cast<std::size_t>(i)].element).contains(p)) {
                return child(i);
            }
        }
        return nullptr;
    }

private:
    std::vector<Spot> m_spots;
    mutable std::vector<QAccessible::Id> m_ids;
};

} // namespace

QAccessibleInterface* makeDialogAccessible(QWidget* widget) {
    if (dynamic_cast<WarningDlg*>(widget) == nullptr &&
        dynamic_cast<KeyCaptureDialog*>(widget) == nullptr) {
        return nullptr;
    }
    return new DialogAccessible(widget);
}

} // namespace zel
