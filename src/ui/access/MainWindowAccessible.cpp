#include "ui/access/MainWindowAccessible.h"

#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "session/AppState.h"
#include "settings/DeviceDescription.h"
#include "settings/ProfileStore.h"
#include "ui/CZEL_GMouseDlg.h"
#include "ui/access/AccessibleElements.h"
#include "ui/access/SkinClick.h"
#include "ui/pages/AdvancedPage.h"
#include "ui/pages/LightingLogic.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace zel {

namespace {

namespace main_layout = layout::skin_main;
namespace advanced = layout::skin_advance;
namespace macro = layout::skin_mac;
namespace lighting = layout::skin_color;

/// The "other" texts from 20 on name the languages.
constexpr int kLanguageNameFirst = 20;
constexpr int kLanguageNameCount = 30;
/// The record element's texts while stopped and while recording.
constexpr int kRecordText = 39;
constexpr int kStopText = 40;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

const SkinLayout& layoutOf(const MainWindowSkin& skin, ElementLayout layout) {
    switch (layout) {
    case ElementLayout::Advanced:
        return skin.advanced;
    case ElementLayout::Macro:
        return skin.macro;
    case ElementLayout::Lighting:
        return skin.lighting;
    case ElementLayout::Main:
        break;
    }
    return skin.main;
}

int lastHitOf(ElementLayout layout) {
    switch (layout) {
    case ElementLayout::Advanced:
        return advanced::kLastHit;
    case ElementLayout::Macro:
        return macro::kLastHit;
    case ElementLayout::Lighting:
        return lighting::kLastHit;
    case ElementLayout::Main:
        break;
    }
    return main_layout::kLastHit;
}

/// Whether a click at `p` reaches `element` of `layout`: the window's hit-testing gives
/// it, and for a page's element no frame element lies over it.
bool reaches(const CZEL_GMouseDlg& window, ElementLayout layout, int element, QPoint p) {
    const int frame = window.hitTestMain(p);
    if (layout == ElementLayout::Main) {
        return frame == element;
    }
    return frame == kNoElement &&
           hitTest(layoutOf(window.skin(), layout), p.x(), p.y(), lastHitOf(layout)) == element;
}

/// The point of the element nearest its centre (on column `x` when given) that a click
/// reaches it at; none when every point of it is covered.
std::optional<QPoint> clickPoint(const CZEL_GMouseDlg& window, ElementLayout layout, int element,
                                 std::optional<int> x = std::nullopt) {
    const Area& a = layoutOf(window.skin(), layout).area(element);
    if (a.empty()) {
        return std::nullopt;
    }
    const QPoint centre(x.value_or(a.x + a.width / 2), a.y + a.height / 2);
    std::optional<QPoint> best;
    int bestDistance = 0;
    const int x0 = x ? *x : a.x;
    const int x1 = x ? *x + 1 : a.x + a.width;
    for (int py = a.y; py < a.y + a.height; ++py) {
        for (int px = x0; px < x1; ++px) {
            const int distance = (QPoint(px, py) - centre).manhattanLength();
            if ((!best || distance < bestDistance) && reaches(window, layout, element, {px, py})) {
                best = QPoint(px, py);
                bestDistance = distance;
            }
        }
    }
    return best;
}

bool within(int element, int first, int count) {
    return element >= first && element < first + count;
}

class MainWindowAccessible;

/// One element of the main window.
class ElementAccessible final : public QAccessibleInterface,
                                public QAccessibleActionInterface,
                                public QAccessibleValueInterface {
public:
    ElementAccessible(CZEL_GMouseDlg* window, AccessibleElement element)
        : m_window(window), m_element(element) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_window ? m_window->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return m_window ? QAccessible::queryAccessibleInterface(m_window.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        if (type == QAccessible::ValueInterface && m_element.role == ElementRole::Slider) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return nullptr;
    }

    // Actions.
    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // Sliders: the position, 1 .. the slider's steps.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override { return sliderSteps(mode()); }
    QVariant minimumValue() const override { return 1; }
    QVariant minimumStepSize() const override { return 1; }

    const AccessibleElement& element() const { return m_element; }

private:
    DragMode mode() const { return sliderMode(m_element.layout, m_element.element); }
    const Area& area() const {
        return layoutOf(m_window->skin(), m_element.layout).area(m_element.element);
    }
    QString label(int element) const {
        return qs(layoutOf(m_window->skin(), m_element.layout).area(element).label);
    }
    bool checked() const;
    bool covered() const;
    bool pressed() const;
    void click(std::optional<int> x = std::nullopt) const;

    QPointer<CZEL_GMouseDlg> m_window;
    AccessibleElement m_element;
};

/// The main window: its elements, then its real child controls (the macro page's lists).
class MainWindowAccessible final : public QAccessibleWidget {
public:
    explicit MainWindowAccessible(CZEL_GMouseDlg* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    ~MainWindowAccessible() override {
        for (const auto& entry : m_ids) {
            QAccessible::deleteAccessibleInterface(entry.second);
        }
    }

    std::vector<AccessibleElement> elements() const {
        const auto* w = static_cast<const CZEL_GMouseDlg*>(widget());
        return accessibleElements(w->pointer().page, w->context().description.keyCount,
                                  w->context().profiles.shared.lightMode == 1);
    }

    int childCount() const override {
        return static_cast<int>(elements().size()) + QAccessibleWidget::childCount();
    }

    QAccessibleInterface* child(int index) const override {
        const std::vector<AccessibleElement> shown = elements();
        const int count = static_cast<int>(shown.size());
        if (index < 0) {
            return nullptr;
        }
        if (index < count) {
            return elementInterface(shown[static_cast<std::size_t>(index)]);
        }
        return QAccessibleWidget::child(index - count);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<AccessibleElement> shown = elements();
        if (const auto* e = dynamic_cast<const ElementAccessible*>(child)) {
            const auto it = std::find(shown.begin(), shown.end(), e->element());
            return it == shown.end() ? -1 : static_cast<int>(it - shown.begin());
        }
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + static_cast<int>(shown.size());
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const auto* w = static_cast<const CZEL_GMouseDlg*>(widget());
        const QPoint p = w->mapFromGlobal(QPoint(x, y));
        for (const AccessibleElement& e : elements()) {
            if (reaches(*w, e.layout, e.element, p)) {
                return elementInterface(e);
            }
        }
        return QAccessibleWidget::childAt(x, y);
    }

private:
    QAccessibleInterface* elementInterface(const AccessibleElement& e) const {
        const std::pair key(e.layout, e.element);
        if (const auto it = m_ids.find(key); it != m_ids.end()) {
            return QAccessible::accessibleInterface(it->second);
        }
        auto* created =
            new ElementAccessible(static_cast<CZEL_GMouseDlg*>(const_cast<QWidget*>(widget())), e);
        m_ids[key] = QAccessible::registerAccessibleInterface(created);
        return created;
    }

    // Created as the elements are first asked for, owned by Qt's registry.
    mutable std::map<std::pair<ElementLayout, int>, QAccessible::Id> m_ids;
};

bool ElementAccessible::isValid() const {
    if (!m_window) {
        return false;
    }
    const auto* parentInterface =
        dynamic_cast<MainWindowAccessible*>(QAccessible::queryAccessibleInterface(m_window));
    if (parentInterface == nullptr) {
        return false;
    }
    const std::vector<AccessibleElement> shown = parentInterface->elements();
    return std::find(shown.begin(), shown.end(), m_element) != shown.end();
}

QString ElementAccessible::text(QAccessible::Text t) const {
    if (!m_window) {
        return {};
    }
    const MainWindowContext& ctx = m_window->context();
    const int index = m_element.index + 1;
    if (t == QAccessible::Value) {
        return m_element.role == ElementRole::Slider ? QString::number(currentValue().toInt())
                                                     : QString();
    }
    if (t == QAccessible::Description) {
        // What a name alone does not tell: which button, which colour.
        switch (m_element.name) {
        case ElementName::Function:
            return QStringLiteral("Button %1").arg(index);
        case ElementName::Reaction:
            return QStringLiteral("Reaction of button %1").arg(index);
        default:
            break;
        }
        if (m_element.layout == ElementLayout::Advanced &&
            within(m_element.element, advanced::kDpiColourFirst, advanced::kDpiColourCount)) {
            return QStringLiteral("Colour");
        }
        return {};
    }
    if (t != QAccessible::Name) {
        return {};
    }
    switch (m_element.name) {
    case ElementName::Label:
        return label(m_element.element);
    case ElementName::Caption:
        return label(m_element.caption);
    case ElementName::CaptionIndex:
        return QStringLiteral("%1 %2").arg(label(m_element.caption)).arg(index);
    case ElementName::Fixed:
        return QString::fromUtf8(m_element.fixed);
    case ElementName::FixedIndex:
        return QStringLiteral("%1 %2").arg(QString::fromUtf8(m_element.fixed)).arg(index);
    case ElementName::Function:
        return m_window->buttonLabel(m_element.index);
    case ElementName::Language: {
        const int language = std::clamp(ctx.state.language.load(), 0, kLanguageNameCount - 1);
        return qs(ctx.pack.text(TextTable::Other, kLanguageNameFirst + language));
    }
    case ElementName::Record: {
        const bool recording = m_window->hooks().recording && m_window->hooks().recording();
        return qs(ctx.pack.text(TextTable::DevMac, recording ? kStopText : kRecordText));
    }
    case ElementName::Effect: {
        const std::vector<std::string>& names = ctx.pack.effectNames();
        const int effect = ctx.profiles.shared.ledType;
        return effect < static_cast<int>(names.size()) ? qs(names[effect]) : QString();
    }
    case ElementName::Reaction: {
        const std::vector<std::string>& names = ctx.pack.reactionNames();
        const ProfileSettings& profile = ctx.profiles.profiles[static_cast<std::size_t>(
            std::clamp(ctx.state.currentProfile.load(), 0, kProfileCount - 1))];
        const int type = profile.reactType[static_cast<std::size_t>(m_element.index)];
        return ctx.profiles.shared.ledType == kReactionEffect && type >= 0 &&
                       type < static_cast<int>(names.size())
                   ? qs(names[static_cast<std::size_t>(type)])
                   : label(m_element.element);
    }
    }
    return {};
}

QRect ElementAccessible::rect() const {
    if (!m_window) {
        return {};
    }
    const Area& a = area();
    return QRect(m_window->mapToGlobal(QPoint(a.x, a.y)), QSize(a.width, a.height));
}

QAccessible::Role ElementAccessible::role() const {
    switch (m_element.role) {
    case ElementRole::Button:
        return QAccessible::Button;
    case ElementRole::Toggle:
        // The accessibility bridge of Qt 6.4 gives every button the push-button role; a
        // check box is what it passes on as a control with an on/off state.
        return QAccessible::CheckBox;
    case ElementRole::Slider:
        return QAccessible::Slider;
    case ElementRole::Tab:
        return QAccessible::PageTab;
    }
    return QAccessible::Button;
}

bool ElementAccessible::checked() const {
    const MainWindowContext& ctx = m_window->context();
    const SharedSettings& sh = ctx.profiles.shared;
    const int e = m_element.element;
    const int i = m_element.index;
    const auto at = [](const auto& array, int index) {
        return index >= 0 && index < static_cast<int>(array.size()) &&
               array[static_cast<std::size_t>(index)] != 0;
    };
    switch (m_element.layout) {
    case ElementLayout::Main:
        if (within(e, main_layout::kTabFirst, main_layout::kTabCount)) {
            return static_cast<int>(m_window->pointer().page) == i;
        }
        if (within(e, main_layout::kProfileFirst, main_layout::kProfileCount)) {
            return ctx.state.currentProfile.load() == i;
        }
        if (e == main_layout::kWheelNormal || e == main_layout::kWheelReversed) {
            return sh.wheelStatus == (e == main_layout::kWheelReversed ? 1 : 0);
        }
        return within(e, main_layout::kDpiToggleFirst, main_layout::kDpiToggleCount) &&
               at(sh.dpiEnabled, i);
    case ElementLayout::Advanced:
        if (within(e, advanced::kDpiRowFirst, advanced::kDpiRowCount)) {
            return sh.dpiLevel == i;
        }
        if (within(e, advanced::kDpiToggleFirst, advanced::kDpiToggleCount)) {
            return at(sh.dpiEnabled, i);
        }
        return within(e, advanced::kPollingRateFirst, advanced::kPollingRateCount) &&
               sh.usbSpeed == i;
    case ElementLayout::Macro:
        if (e == macro::kRecord) {
            return m_window->hooks().recording && m_window->hooks().recording();
        }
        if (e == macro::kSoftwareMacros) {
            return sh.softHardMacro == 1;
        }
        return m_window->hooks().macroRunModeElement &&
               m_window->hooks().macroRunModeElement() == e;
    case ElementLayout::Lighting:
        if (e == lighting::kEffectsTab || e == lighting::kAltModeTab) {
            return sh.lightMode == (e == lighting::kAltModeTab ? 1 : 0);
        }
        if (within(e, lighting::kColourToggleFirst, lighting::kColourToggleCount)) {
            return at(sh.cycleColourOn, i);
        }
        if (e == lighting::kMirror) {
            return sh.ledFeatureSymmetry != 0;
        }
        if (within(e, lighting::kDirectionFirst, lighting::kDirectionCount)) {
            return sh.ledFeatureDirection == i;
        }
        if (within(e, lighting::kReactionToggleFirst, lighting::kReactionToggleCount)) {
            const ProfileSettings& profile = ctx.profiles.profiles[static_cast<std::size_t>(
                std::clamp(ctx.state.currentProfile.load(), 0, kProfileCount - 1))];
            return at(profile.reactEnable, i);
        }
        return false;
    }
    return false;
}

bool ElementAccessible::covered() const {
    if (m_element.layout == ElementLayout::Advanced) {
        // The polling rates a press does not set are drawn as unavailable.
        return AdvancedPage::unavailablePollingRate(m_element.element);
    }
    if (m_element.layout != ElementLayout::Lighting) {
        return false;
    }
    // A control the current effect does not use ignores clicks; the picture covers it.
    const SharedSettings& sh = m_window->context().profiles.shared;
    const int e = m_element.element;
    const auto uses = [&](LightingControl c) { return effectUses(sh.ledType, c); };
    if (within(e, lighting::kColourFirst, lighting::kColourCount) ||
        within(e, lighting::kColourToggleFirst, lighting::kColourToggleCount)) {
        return !uses(LightingControl::UserColours);
    }
    if (e == lighting::kSpeedSlider) {
        return !uses(LightingControl::Speed);
    }
    if (e == lighting::kBrightnessSlider) {
        return !uses(LightingControl::Brightness);
    }
    if (e == lighting::kMirror) {
        return !uses(LightingControl::Symmetry);
    }
    if (within(e, lighting::kDirectionFirst, lighting::kDirectionCount)) {
        return !uses(directionControl(e - lighting::kDirectionFirst));
    }
    if (within(e, lighting::kReactionFirst, lighting::kReactionCount)) {
        return !uses(LightingControl::ReactionTypes);
    }
    if (within(e, lighting::kReactionToggleFirst, lighting::kReactionToggleCount)) {
        return !uses(LightingControl::ReactionToggles);
    }
    return false;
}

bool ElementAccessible::pressed() const {
    const PointerState& ps = m_window->pointer();
    if (!ps.pressed) {
        return false;
    }
    switch (m_element.layout) {
    case ElementLayout::Main:
        return ps.hotMain == m_element.element;
    case ElementLayout::Advanced:
        return ps.hotAdvanced == m_element.element;
    case ElementLayout::Macro:
        return ps.hotMacro == m_element.element;
    case ElementLayout::Lighting:
        return ps.hotLighting == m_element.element;
    }
    return false;
}

QAccessible::State ElementAccessible::state() const {
    QAccessible::State s;
    if (!m_window) {
        s.invalid = true;
        return s;
    }
    s.pressed = pressed();
    s.hotTracked = s.pressed;
    switch (m_element.role) {
    case ElementRole::Toggle:
        s.checkable = true;
        s.checked = checked();
        break;
    case ElementRole::Tab:
        s.selectable = true;
        s.selected = checked();
        break;
    case ElementRole::Button:
        if (m_element.layout == ElementLayout::Main && m_element.element == main_layout::kApply) {
            s.disabled = m_window->context().state.downloadBusy.load();
        }
        break;
    case ElementRole::Slider:
        break;
    }
    if (covered()) {
        s.disabled = true;
    }
    s.invisible = !m_window->isVisible();
    return s;
}

QStringList ElementAccessible::actionNames() const {
    switch (m_element.role) {
    case ElementRole::Toggle:
        return {toggleAction(), pressAction()};
    case ElementRole::Slider:
        return {increaseAction(), decreaseAction()};
    case ElementRole::Button:
    case ElementRole::Tab:
        break;
    }
    return {pressAction()};
}

void ElementAccessible::click(std::optional<int> x) const {
    if (!m_window) {
        return;
    }
    if (const std::optional<QPoint> p =
            clickPoint(*m_window, m_element.layout, m_element.element, x)) {
        clickLater(m_window.data(), *p);
    }
}

void ElementAccessible::doAction(const QString& name) {
    if (!isValid()) {
        return;
    }
    if (m_element.role == ElementRole::Slider) {
        const int position = currentValue().toInt();
        if (name == increaseAction()) {
            setCurrentValue(position + 1);
        } else if (name == decreaseAction()) {
            setCurrentValue(position - 1);
        }
        return;
    }
    if (name == pressAction() || name == toggleAction()) {
        click();
    }
}

QVariant ElementAccessible::currentValue() const {
    if (!m_window) {
        return {};
    }
    return sliderPosition(mode(), m_window->context().profiles.shared);
}

void ElementAccessible::setCurrentValue(const QVariant& value) {
    const int steps = sliderSteps(mode());
    if (!isValid() || steps == 0) {
        return;
    }
    // The slider takes its value from where it is pressed, as under the pointer.
    const int position = std::clamp(value.toInt(), 1, steps);
    const Area& a = area();
    click(sliderPointX(position, a.x, a.width, steps));
}

} // namespace

QAccessibleInterface* makeMainWindowAccessible(CZEL_GMouseDlg* window) {
    return new MainWindowAccessible(window);
}

} // namespace zel
