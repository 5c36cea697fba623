#include "ui/keys/CShortcutGetKey.h"

#include "presentation/LayoutElements.h"
#include "ui/AppMessage.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>

namespace zel {

namespace {

namespace elements = layout::skin_shortcut;

const QColor kEnteredColour(7, 188, 255);
const QColor kNoModifierColour(98, 98, 98);
const QColor kNoKeyColour(72, 72, 72);

} // namespace

CShortcutGetKey::CShortcutGetKey(const KeyDialogContext& context, const CombinationRequest& request,
                                 CombinationInput& input, QWidget* owner)
    : KeyCaptureDialog(context, SkinFile::ShortCut, "/combinationKey", elements::kLastHit, owner),
      m_request(request), m_input(input) {
    m_input = prefillCombination(request.assignCode, request.storedText);
    // The dialog opens with its top-left corner at the screen point given by the size of
    // its picture.
    const QImage& normal = surface().pictures().normal;
    move(normal.isNull() ? QPoint(kSize.width(), kSize.height())
                         : QPoint(layoutSize(normal).width(), layoutSize(normal).height()));
    setFixedSize(kSize);
}

QString CShortcutGetKey::elementText(int element) const {
    if (element == elements::kModifiers) {
        return QString::fromStdString(m_input.anyModifier() ? modifierDisplayText(m_input)
                                                            : m_request.noModifierPrompt);
    }
    if (element == elements::kMainKey) {
        return QString::fromStdString(m_input.mainName.empty() ? m_request.pressKeyPrompt
                                                               : m_input.mainName);
    }
    return KeyCaptureDialog::elementText(element);
}

bool CShortcutGetKey::elementOn(int element) const {
    const std::array<bool, 4> on = {m_input.ctrl, m_input.shift, m_input.alt, m_input.win};
    const int m = element - elements::kModifierFirst;
    return m >= 0 && m < elements::kModifierCount && on[static_cast<std::size_t>(m)];
}

QImage CShortcutGetKey::compose() const {
    QImage frame = baseFrame();
    const PictureSet& pictures = surface().pictures();
    // The modifier toggles always show their state: over picture when off, down when on.
    const std::array<bool, 4> on = {m_input.ctrl, m_input.shift, m_input.alt, m_input.win};
    for (int m = 0; m < elements::kModifierCount; ++m) {
        composeArea(frame, on[static_cast<std::size_t>(m)] ? pictures.down : pictures.over,
                    area(elements::kModifierFirst + m));
    }
    const QFont& font = surface().font();
    if (m_input.anyModifier()) {
        SkinSurface::drawCentred(frame, area(elements::kModifiers),
                                 QString::fromStdString(modifierDisplayText(m_input)), font,
                                 kEnteredColour);
    } else {
        SkinSurface::drawCentred(frame, area(elements::kModifiers),
                                 QString::fromStdString(m_request.noModifierPrompt), font,
                                 kNoModifierColour);
    }
    if (!m_input.mainName.empty()) {
        SkinSurface::drawCentred(frame, area(elements::kMainKey),
                                 QString::fromStdString(m_input.mainName), font, kEnteredColour);
    } else {
        SkinSurface::drawCentred(frame, area(elements::kMainKey),
                                 QString::fromStdString(m_request.pressKeyPrompt), font,
                                 kNoKeyColour);
    }
    for (int i = elements::kMainKey + 1; i <= elements::kLastElement; ++i) {
        SkinSurface::drawCentred(frame, area(i), QString::fromStdString(area(i).label), font,
                                 Qt::white);
    }
    return frame;
}

void CShortcutGetKey::keyCaptured(std::uint8_t virtualKey) {
    // Modifiers are chosen with the toggles, not by pressing them.
    if (isModifierKey(virtualKey)) {
        return;
    }
    m_input.mainKey = virtualKey;
    m_input.mainName =
        keys().deviceCodeName(language(), keys().vkToDeviceCode(language(), virtualKey));
    update();
}

void CShortcutGetKey::elementPressed(int element) {
    switch (element) {
    case elements::kOk: {
        const std::string tokens = combinationTokens(m_input);
        if (!tokens.empty()) {
            if (m_request.assignCombinationCode) {
                m_request.assignCombinationCode();
            }
            if (owner() != nullptr) {
                AppMessage message(msg::kCombination, combinationArgument(m_request.slot, m_input),
                                   0, tokens);
                QCoreApplication::sendEvent(owner(), &message);
            }
        }
        m_input.clearModifiers();
        finish(0);
        break;
    }
    case elements::kClear:
        m_input.clear();
        update();
        break;
    case elements::kClose:
    case elements::kCancel:
        m_input.clearModifiers();
        finish(8);
        break;
    default:
        if (element >= elements::kModifierFirst &&
            element < elements::kModifierFirst + elements::kModifierCount) {
            m_input.toggleModifier(element - elements::kModifierFirst);
            update();
        }
        break;
    }
}

void CShortcutGetKey::emptyPressed(QMouseEvent* event) {
    // The window is moved by dragging its empty space: by the window manager where there
    // is one, else by following the pointer.
    if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CShortcutGetKey::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    KeyCaptureDialog::mouseMoveEvent(event);
}

void CShortcutGetKey::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    KeyCaptureDialog::mouseReleaseEvent(event);
}

} // namespace zel
