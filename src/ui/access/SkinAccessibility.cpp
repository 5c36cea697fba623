#include "ui/access/SkinAccessibility.h"

#include "ui/CZEL_GMouseDlg.h"
#include "ui/access/DialogAccessible.h"
#include "ui/access/MainWindowAccessible.h"
#include "ui/access/PopupAccessible.h"

#include <QAccessible>

namespace zel {

namespace {

QAccessibleInterface* skinFactory(const QString& /*className*/, QObject* object) {
    // Asked once per class of the object's chain, most derived first; the skinned
    // windows answer at the first question.
    if (auto* window = qobject_cast<CZEL_GMouseDlg*>(object)) {
        return makeMainWindowAccessible(window);
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (QAccessibleInterface* popup = makePopupAccessible(widget)) {
        return popup;
    }
    return makeDialogAccessible(widget);
}

} // namespace

void installSkinAccessibility() {
    QAccessible::removeFactory(skinFactory);
    QAccessible::installFactory(skinFactory);
}

} // namespace zel
