#include "app/MacroPageControls.h"

#include "keys/MacVkAndText.h"
#include "presentation/LanguagePack.h"
#include "presentation/SkinLayout.h"
#include "ui/CListBoxXI.h"
#include "ui/CZEL_GMouseDlg.h"
#include "ui/menus/CMenuDlg.h"

#include <QRegularExpressionValidator>
#include <QScreen>

#include <array>

namespace zel {

namespace {

// Rows of the macro list's menu on the list (kind 11).
constexpr int kNewGroup = 1;
constexpr int kNewMacro = 2;
constexpr int kDeleteGroup = 3;
constexpr int kResetGroups = 4;
constexpr int kRenameRow = 5;
constexpr int kImportGroup = 6;
constexpr int kExportGroup = 7;
constexpr int kExportGroupSealed = 8;
constexpr int kImportMacroFromList = 9;
// Rows of its menu on a macro row (kind 12).
constexpr int kRenameMacro = 1;
constexpr int kDeleteMacro = 2;
constexpr int kExportMacro = 3;
constexpr int kImportMacro = 4;

// The lists as the edit message names them.
constexpr int kMacroListNumber = 1;
constexpr int kStepListNumber = 2;
constexpr int kLightingListNumber = 3;

// Display kinds of the lists' rows and what they indent.
constexpr int kMacroRowKind = 2;
constexpr int kMacroRowIndent = 10;
constexpr int kDelayKind = 0;
constexpr int kPressKind = 1;
constexpr int kReleaseKind = 2;
constexpr int kMoveKind = 3;
constexpr int kLightingKind = 4;
constexpr int kCpiKind = 5;
constexpr int kDelayIndent = 30;
constexpr int kMacroIcons = 3;
constexpr int kStepIcons = 6;

// Texts of the "other" table the step rows use.
constexpr int kCpiReturnText = 11;
constexpr int kDelayUnitText = 12;
constexpr int kLightingStepText = 13;
constexpr int kLightingOtherText = 14;
constexpr int kPauseText = 17;

/// The CPI of each level index 1..15 of a "set CPI" step.
constexpr std::array<int, 15> kCpiOfIndex{200,  400,  600,  800,  1000, 1200, 1600, 1600,
                                          2000, 2000, 2400, 2400, 3200, 4000, 4800};
constexpr int kDefaultCpi = 800;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QRect rectOf(const CornerRect& c) {
    return QRect(QPoint(c.left, c.top), QPoint(c.right - 1, c.bottom - 1));
}

std::vector<QImage> readIcons(const std::string& skinsDir, const char* prefix, int count) {
    std::vector<QImage> icons;
    for (int i = 0; i < count; ++i) {
        icons.emplace_back(qs(skinsDir + "/MacList/" + prefix + std::to_string(i) + ".png"));
    }
    return icons;
}

} // namespace

MacroPageControls::MacroPageControls(MacroPageInputs inputs) : m_in(std::move(inputs)) {
    QWidget& window = m_in.window;
    const auto makeList = [&](int number, int id, const CornerRect& where) {
        auto* list = new CListBoxXI(number, &window, &window);
        list->setObjectName(QString::number(id));
        list->setFont(m_in.font);
        list->setGeometry(rectOf(where));
        return list;
    };
    m_macroList = makeList(kMacroListNumber, kMacroListId, m_in.layout.macroDisplays[0]);
    m_macroList->setIcons(readIcons(m_in.skinsDir, "macro", kMacroIcons));
    m_macroList->setIndent(kMacroRowKind, kMacroRowIndent);
    m_macroList->rowPressed = [this](int row) { pressRow(row); };
    m_macroList->rowRightPressed = [this](int row, QPoint at) { rightPressMacroRow(row, at); };

    const std::vector<QImage> stepIcons = readIcons(m_in.skinsDir, "step", kStepIcons);
    m_stepList = makeList(kStepListNumber, kStepListId, m_in.layout.macroDisplays[1]);
    m_stepList->setIcons(stepIcons);
    m_stepList->setIndent(kDelayKind, kDelayIndent);
    m_stepList->rowRightPressed = [this](int row, QPoint at) { rightPressStepRow(row, at); };

    m_lightingList = makeList(kLightingListNumber, kLightingListId, m_in.layout.macroDisplays[2]);
    m_lightingList->setIcons(stepIcons);

    m_repeatBox = new QLineEdit(&window);
    m_repeatBox->setObjectName(QString::number(kRepeatBoxId));
    m_repeatBox->setFont(m_in.font);
    m_repeatBox->setFrame(false);
    m_repeatBox->setGeometry(rectOf(m_in.layout.edits[0]));
    m_repeatBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_repeatBox));
    QPalette colours = m_repeatBox->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    m_repeatBox->setPalette(colours);
    QObject::connect(m_repeatBox, &QLineEdit::textEdited, m_repeatBox, [this](const QString& text) {
        m_in.library.repeatBox.text = text.toStdString();
    });

    for (QWidget* control :
         {static_cast<QWidget*>(m_macroList.data()), static_cast<QWidget*>(m_stepList.data()),
          static_cast<QWidget*>(m_lightingList.data()),
          static_cast<QWidget*>(m_repeatBox.data())}) {
        control->show();
    }
    m_in.library.setView(this);
}

MacroPageControls::~MacroPageControls() {
    m_in.library.setView(nullptr);
    delete m_macroList.data();
    delete m_stepList.data();
    delete m_lightingList.data();
    delete m_repeatBox.data();
}

void MacroPageControls::prepare() {
    MacroLibrary& library = m_in.library;
    if (library.selectedRow() < 0 && !library.rows().empty()) {
        library.selectRow(0);
    } else if (library.selectedRow() >= 0 &&
               !library.rows()[static_cast<std::size_t>(library.selectedRow())].isGroup) {
        showSteps(library.currentMacro());
    }
    fillMacroList();
}

void MacroPageControls::fillMacroList() {
    if (!m_macroList) {
        return;
    }
    m_macroList->clear();
    for (const MacroListRow& row : m_in.library.rows()) {
        m_macroList->addRow(qs(row.text), row.icon, row.isGroup ? row.group : row.macro);
    }
    m_macroList->setCurrentRow(m_in.library.selectedRow());
    showRepeatBox();
}

void MacroPageControls::showRepeatBox() {
    if (m_repeatBox) {
        m_repeatBox->setText(qs(m_in.library.repeatBox.text));
        m_repeatBox->setEnabled(m_in.library.repeatBox.enabled);
    }
}

void MacroPageControls::pressRow(int row) {
    if (row < 0) {
        return;
    }
    m_in.library.selectRow(row);
    fillMacroList();
}

void MacroPageControls::rightPressMacroRow(int row, QPoint global) {
    MacroLibrary& library = m_in.library;
    // A menu acts on the selected row: a right press on another row selects it first.
    if (row >= 0 && row != library.selectedRow()) {
        pressRow(row);
    }
    const bool onMacro = row >= 0 && row < static_cast<int>(library.rows().size()) &&
                         !library.rows()[static_cast<std::size_t>(row)].isGroup;
    openMenu(static_cast<int>(onMacro ? PopupKind::MacroRowMenu : PopupKind::MacroGroupMenu),
             global);
}

void MacroPageControls::rightPressStepRow(int row, QPoint global) {
    if (row < 0 || !m_stepList) {
        return;
    }
    m_stepList->setCurrentRow(row);
    // Delay rows, and step rows other than pauses and lighting steps, have a menu.
    const MacroBuffer& buffer = m_in.group.groupMacros;
    const int macro = m_in.library.currentMacro();
    if (row % 2 == 0 && macro >= 0 && macro < buffer.count) {
        const std::uint8_t code =
            buffer.records[static_cast<std::size_t>(macro)].code[static_cast<std::size_t>(row / 2)];
        if (code == kCodePause || code == kCodeLed) {
            return;
        }
    }
    openMenu(static_cast<int>(PopupKind::MacroStepMenu), global);
}

void MacroPageControls::openMenu(int kind, QPoint global) {
    MenuContext* menus = m_in.menus ? m_in.menus() : nullptr;
    if (menus == nullptr) {
        return;
    }
    m_in.window.closePopup();
    auto* popup = new CMenuDlg(static_cast<PopupKind>(kind), *menus, &m_in.window);
    // At the pointer, turned up or left where it would leave the screen.
    QRect where(global, popup->size());
    if (const QScreen* screen = m_in.window.screen()) {
        const QRect work = screen->availableGeometry();
        if (where.bottom() > work.bottom()) {
            where.moveBottom(global.y());
        }
        if (where.right() > work.right()) {
            where.moveRight(global.x());
        }
    }
    m_in.window.showPopup(popup, where);
}

void MacroPageControls::closePopupMenu() {
    m_in.window.closePopup();
}

void MacroPageControls::renameSelected() {
    MacroLibrary& library = m_in.library;
    if (library.selectedRow() < 0 || !m_macroList) {
        // Nothing to rename: the library tells the user.
        static_cast<void>(library.renameRow(-1, std::string()));
        return;
    }
    m_macroList->setCurrentRow(library.selectedRow());
    m_macroList->setFocus(Qt::OtherFocusReason);
    m_macroList->beginEdit();
}

void MacroPageControls::menuCommand(int kind, int row) {
    MacroLibrary& library = m_in.library;
    const bool hasRows = !library.rows().empty();
    if (kind == static_cast<int>(PopupKind::MacroGroupMenu)) {
        switch (row) {
        case kNewGroup:
            library.newGroup();
            break;
        case kNewMacro:
            library.newMacro();
            break;
        case kDeleteGroup:
            if (hasRows) {
                library.deleteGroup();
            }
            break;
        case kResetGroups:
            library.resetAllGroups();
            break;
        case kRenameRow:
            if (hasRows) {
                renameSelected();
            }
            return;
        case kImportGroup:
            library.importGroup();
            break;
        case kExportGroup:
            if (hasRows) {
                library.exportGroup();
            }
            break;
        case kExportGroupSealed:
            library.exportGroupSealed();
            break;
        case kImportMacroFromList:
            library.importMacro();
            break;
        default:
            return;
        }
    } else if (kind == static_cast<int>(PopupKind::MacroRowMenu)) {
        switch (row) {
        case kRenameMacro:
            renameSelected();
            return;
        case kDeleteMacro:
            library.deleteMacro();
            break;
        case kExportMacro:
            library.exportMacro();
            break;
        case kImportMacro:
            library.importMacro();
            break;
        default:
            return;
        }
    } else {
        return;
    }
    fillMacroList();
}

void MacroPageControls::rowEdited(int row, int list, const std::string& text) {
    if (list != kMacroListNumber) {
        return; // the step and lighting rows are the macro editor's
    }
    static_cast<void>(m_in.library.renameRow(row, text));
    fillMacroList();
}

void MacroPageControls::commitEdits() {
    for (CListBoxXI* list : {m_macroList.data(), m_stepList.data(), m_lightingList.data()}) {
        if (list != nullptr) {
            list->endEdit(true);
        }
    }
    if (m_repeatBox && m_repeatBox->text().isEmpty()) {
        m_repeatBox->setText(QStringLiteral("1"));
        m_repeatBox->setEnabled(false);
        m_in.library.repeatBox = MacroLibrary::RepeatBox{"1", false};
    }
}

void MacroPageControls::clearLightingList() {
    if (m_lightingList) {
        m_lightingList->clear();
    }
}

QString MacroPageControls::stepText(const MacroRecord& record, int step, int& kind) const {
    const auto s = static_cast<std::size_t>(step);
    const std::uint8_t code = record.code[s];
    const std::uint8_t action = record.action[s];
    const int p1 = record.params[s].param1;
    const int p2 = record.params[s].param2;
    const auto other = [this](int entry) { return qs(m_in.pack.text(TextTable::Other, entry)); };
    switch (code) {
    case kCodePause:
        kind = kDelayKind;
        return other(kPauseText);
    case kCodeMove: {
        kind = kMoveKind;
        static constexpr std::array<const char*, 4> kMoves{"[X-]:%1,[Y-]:%2", "[X-]:%1,[Y+]:%2",
                                                           "[X+]:%1,[Y-]:%2", "[X+]:%1,[Y+]:%2"};
        if (action >= kActionMoveLeftUp && action <= kActionMoveRightDown) {
            return QString::fromLatin1(kMoves[static_cast<std::size_t>(action - kActionMoveLeftUp)])
                .arg(p1)
                .arg(p2);
        }
        return QStringLiteral("[X]:eeror,[Y]:eeror");
    }
    case kCodeCpi:
        kind = kCpiKind;
        if (action == kActionSetCpi) {
            const int cpi =
                p1 >= 1 && p1 <= 15 ? kCpiOfIndex[static_cast<std::size_t>(p1 - 1)] : kDefaultCpi;
            return QStringLiteral("[DPI]:%1 ").arg(cpi);
        }
        return action == kActionReturnCpi ? other(kCpiReturnText) : QStringLiteral("[DPI]:Error");
    case kCodeLed:
        kind = kLightingKind;
        return action >= 13 && action <= 15 ? other(kLightingStepText) + QString::number(p1 + 1)
                                            : other(kLightingStepText) + other(kLightingOtherText);
    default:
        kind = action == kActionRelease ? kReleaseKind : kPressKind;
        return qs(m_in.keys.deviceCodeName(m_in.language, code));
    }
}

void MacroPageControls::showSteps(int macro) {
    if (!m_stepList) {
        return;
    }
    m_stepList->clear();
    const MacroBuffer& buffer = m_in.group.groupMacros;
    if (m_in.group.groupSealed || macro < 0 || macro >= buffer.count) {
        return;
    }
    const MacroRecord& record = buffer.records[static_cast<std::size_t>(macro)];
    const QString unit = qs(m_in.pack.text(TextTable::Other, kDelayUnitText));
    const int steps = std::min<int>(record.stepCount, kMaxSteps);
    for (int s = 0; s < steps; ++s) {
        int kind = kDelayKind;
        const QString text = stepText(record, s, kind);
        m_stepList->addRow(text, kind, s);
        m_stepList->addRow(QString::number(record.delay[static_cast<std::size_t>(s)]) + unit,
                           kDelayKind, s);
    }
    if (steps > 0) {
        m_stepList->setCurrentRow(0);
    }
}

} // namespace zel
