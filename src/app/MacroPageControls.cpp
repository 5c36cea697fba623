#include "app/MacroPageControls.h"

#include "app/RecordingKeyboard.h"
#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"
#include "ui/CListBoxXI.h"
#include "ui/CZEL_GMouseDlg.h"
#include "ui/menus/CMenuDlg.h"

#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>

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
constexpr int kDelayIndent = 30;
constexpr int kMacroIcons = 3;
constexpr int kStepIcons = 6;

// Rows of the step list's menu (kind 13).
constexpr int kModifyStep = 1;
constexpr int kDeleteStepRow = 2;

// Run modes of the page's elements 6, 7 and 8.
constexpr std::array<int, 3> kRunModeOfElement{2, 1, 0};
// Lighting modes that have no level.
constexpr std::uint8_t kLedModeNoLevelA = 6;
constexpr std::uint8_t kLedModeNoLevelB = 7;
// Rows of an entry of the lighting list: mode, level, time, and the time once more.
constexpr int kLightingRowsPerEntry = 4;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QRect rectOf(const CornerRect& c) {
    return QRect(QPoint(c.left, c.top), QPoint(c.right - 1, c.bottom - 1));
}

/// The list icons from the picture set of `scale`.
std::vector<QImage> readIcons(const std::string& skinsDir, const char* prefix, int count,
                              int scale) {
    std::vector<QImage> icons;
    for (int i = 0; i < count; ++i) {
        icons.push_back(
            readPicture(qs(skinsDir + "/MacList/" + prefix + std::to_string(i) + ".png"), scale));
    }
    return icons;
}

} // namespace

/// The editor's reports: the window's warning box, the plain message box and the group file.
class MacroPageControls::EditorOutput final : public MacroEditorOutput {
public:
    explicit EditorOutput(MacroPageInputs& in) : m_in(in) {}
    void warn(Tip tip, std::string_view prefix) override {
        if (m_in.warn) {
            m_in.warn(tip, std::string(prefix));
        }
    }
    void plainMessage(const std::string& text) override {
        if (m_in.messages != nullptr) {
            m_in.messages->message(text);
        }
    }
    void saveMacro(int macro) override { static_cast<void>(m_in.library.saveMacro(macro)); }

private:
    MacroPageInputs& m_in;
};

/// The recorder's reports: the warning box, the keyboard, the group file and the page.
class MacroPageControls::RecorderOutput final : public MacroRecorderOutput {
public:
    explicit RecorderOutput(MacroPageControls& page) : m_page(page) {}
    void warn(Tip tip) override {
        if (m_page.m_in.warn) {
            m_page.m_in.warn(tip, {});
        }
    }
    void holdKeyboard(bool hold) override { m_page.holdKeyboard(hold); }
    void saveMacro(int macro) override { static_cast<void>(m_page.m_in.library.saveMacro(macro)); }
    void showMacro() override { m_page.showRecording(); }

private:
    MacroPageControls& m_page;
};

MacroPageControls::MacroPageControls(MacroPageInputs inputs) : m_in(std::move(inputs)) {
    m_output = std::make_unique<EditorOutput>(m_in);
    m_recorderOutput = std::make_unique<RecorderOutput>(*this);
    m_recorder = std::make_unique<MacroRecorder>(
        m_in.group, [this](std::uint8_t vk) { return m_in.keys.vkToDeviceCode(m_in.language, vk); },
        m_in.clock ? m_in.clock : std::function<int()>(msSinceMidnight), *m_recorderOutput);
    MacroEditorTexts texts{
        [this](int entry) { return m_in.pack.text(TextTable::Other, entry); },
        [this](int entry) { return m_in.pack.text(TextTable::Led, entry); },
        [this](std::uint8_t code) { return m_in.keys.deviceCodeName(m_in.language, code); }};
    m_editor = std::make_unique<MacroEditor>(m_in.group, std::move(texts), *m_output);
    m_editor->setRecording([this] { return m_recorder->recording(); });
    QWidget& window = m_in.window;
    // Screen readers name the lists and the repeat box by the captions drawn over them.
    const auto caption = [this](int element) {
        return QString::fromStdString(m_in.layout.area(element).label);
    };
    const auto makeList = [&](int number, int id, const CornerRect& where) {
        auto* list = new CListBoxXI(number, &window, &window);
        list->setObjectName(QString::number(id));
        list->setAccessibleName(caption(layout::skin_mac::kMacrosCaption + number - 1));
        list->setFont(m_in.font);
        list->setGeometry(rectOf(where));
        return list;
    };
    m_macroList = makeList(kMacroListNumber, kMacroListId, m_in.layout.macroDisplays[0]);
    const int iconScale = pictureScaleFor(m_macroList->devicePixelRatioF());
    m_macroList->setIcons(readIcons(m_in.skinsDir, "macro", kMacroIcons, iconScale));
    m_macroList->setIndent(kMacroRowKind, kMacroRowIndent);
    m_macroList->rowPressed = [this](int row) { pressRow(row); };
    m_macroList->rowRightPressed = [this](int row, QPoint at) { rightPressMacroRow(row, at); };

    const std::vector<QImage> stepIcons = readIcons(m_in.skinsDir, "step", kStepIcons, iconScale);
    m_stepList = makeList(kStepListNumber, kStepListId, m_in.layout.macroDisplays[1]);
    m_stepList->setIcons(stepIcons);
    m_stepList->setIndent(kDelayKind, kDelayIndent);
    m_stepList->rowRightPressed = [this](int row, QPoint at) { rightPressStepRow(row, at); };
    QObject::connect(m_stepList, &QListWidget::currentRowChanged, m_stepList,
                     [this](int row) { stepRowChanged(row); });
    m_stepList->rowPressed = [this](int row) {
        if (row >= 0 && m_stepList) {
            m_stepList->setCurrentRow(row);
            stepRowChanged(row);
        }
    };

    m_lightingList = makeList(kLightingListNumber, kLightingListId, m_in.layout.macroDisplays[2]);
    m_lightingList->setIcons(stepIcons);
    m_lightingList->rowRightPressed = [this](int row, QPoint at) {
        rightPressLightingRow(row, at);
    };
    // A double click on a time row types its value.
    m_lightingList->rowDoubleClicked = [this](int row) {
        if (row >= 0 && row % kLightingRowsPerEntry == 2 && m_lightingList) {
            m_lightingList->setCurrentRow(row);
            m_lightingList->beginEdit();
        }
    };

    m_repeatBox = new QLineEdit(&window);
    m_repeatBox->setObjectName(QString::number(kRepeatBoxId));
    m_repeatBox->setFont(m_in.font);
    m_repeatBox->setFrame(false);
    m_repeatBox->setAccessibleName(caption(layout::skin_mac::kRepeatCaption));
    m_repeatBox->setGeometry(rectOf(m_in.layout.edits[0]));
    m_repeatBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_repeatBox));
    QPalette colours = m_repeatBox->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    m_repeatBox->setPalette(colours);
    QObject::connect(m_repeatBox, &QLineEdit::textEdited, m_repeatBox,
                     [this](const QString& text) { repeatEdited(text); });

    for (QWidget* control :
         {static_cast<QWidget*>(m_macroList.data()), static_cast<QWidget*>(m_stepList.data()),
          static_cast<QWidget*>(m_lightingList.data()),
          static_cast<QWidget*>(m_repeatBox.data())}) {
        control->show();
    }
    m_in.library.setView(this);
    m_in.library.setRecorder(m_recorder.get());
}

MacroPageControls::~MacroPageControls() {
    // A recording still running when the page goes is dropped; the macro shown is kept.
    m_recorder->endWithoutSaving();
    saveOpenMacro();
    delete m_keyboard.data();
    m_in.library.setRecorder(nullptr);
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
    // The list's menus change the group under the recorder: a recording ends, unsaved, as
    // when a row is selected.
    m_recorder->endWithoutSaving();
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
    } else if (kind == static_cast<int>(PopupKind::MacroStepMenu)) {
        syncEditor();
        if (row == kModifyStep) {
            modifySelected();
        } else if (row == kDeleteStepRow && m_editor->deleteSelected()) {
            refreshSteps();
        }
        return;
    } else if (kind == static_cast<int>(PopupKind::InsertStep)) {
        syncEditor();
        if (m_editor->menuItem(row)) {
            refreshSteps();
        }
        return;
    } else {
        return;
    }
    fillMacroList();
}

void MacroPageControls::rowEdited(int row, int list, const std::string& text) {
    if (list == kStepListNumber) {
        syncEditor();
        // The row shows what the record holds afterwards, changed or not.
        static_cast<void>(m_editor->commitStepEdit(row, text));
        refreshSteps();
        return;
    }
    if (list == kLightingListNumber) {
        syncEditor();
        static_cast<void>(m_editor->commitLightingEdit(row, text));
        fillLightingList(row);
        return;
    }
    if (list != kMacroListNumber) {
        return;
    }
    static_cast<void>(m_in.library.renameRow(row, text));
    fillMacroList();
}

void MacroPageControls::saveOpenMacro() {
    if (m_recorder->recording() || m_in.group.groupSealed || !m_in.library.macroRowSelected()) {
        return;
    }
    static_cast<void>(m_in.library.saveMacro(m_in.library.currentMacro()));
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

void MacroPageControls::syncEditor() {
    m_editor->setMacro(m_in.library.macroRowSelected() ? m_in.library.currentMacro() : -1);
}

void MacroPageControls::showSteps(int macro) {
    m_editor->setMacro(macro);
    refreshSteps();
}

void MacroPageControls::refreshSteps() {
    if (!m_stepList) {
        return;
    }
    const int remembered = m_editor->selectedRow();
    {
        const QSignalBlocker quiet(m_stepList);
        m_stepList->clear();
        std::vector<EditorRow> rows = m_editor->stepRows();
        // While recording, the last step's delay is not measured yet and the selection
        // follows the newest step.
        const bool recording = m_recorder->recording();
        if (recording && !rows.empty()) {
            rows.pop_back();
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            m_stepList->addRow(qs(rows[i].text), static_cast<int>(rows[i].kind),
                               static_cast<int>(i / 2));
        }
        if (!rows.empty()) {
            const int last = static_cast<int>(rows.size()) - 1;
            const int row = recording                               ? last
                            : remembered >= 0 && remembered <= last ? remembered
                                                                    : 0;
            m_stepList->setCurrentRow(row);
            m_editor->setSelectedRow(row);
        }
    }
    // The lighting list follows the selected step (empty unless it is a lighting step).
    fillLightingList(-1);
}

void MacroPageControls::stepRowChanged(int row) {
    if (row < 0) {
        return;
    }
    m_editor->setSelectedRow(row);
    fillLightingList(-1);
}

void MacroPageControls::fillLightingList(int select) {
    if (!m_lightingList) {
        return;
    }
    m_lightingList->clear();
    const std::vector<EditorRow> rows = m_editor->lightingRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        m_lightingList->addRow(qs(rows[i].text), static_cast<int>(rows[i].kind),
                               static_cast<int>(i));
    }
    if (select >= 0 && select < static_cast<int>(rows.size())) {
        m_lightingList->setCurrentRow(select);
    }
}

void MacroPageControls::rightPressLightingRow(int row, QPoint global) {
    if (row < 0 || !m_lightingList) {
        return;
    }
    m_lightingList->setCurrentRow(row);
    const MacroRecord* record = nullptr;
    syncEditor();
    if (m_editor->macro() >= 0) {
        record = &m_in.group.groupMacros.records[static_cast<std::size_t>(m_editor->macro())];
    }
    if (record == nullptr) {
        return;
    }
    const int step = m_editor->selectedStep();
    const std::uint8_t mode =
        record
            ->ledSlots[std::min<std::size_t>(record->params[static_cast<std::size_t>(step)].param1,
                                             kLedSlotCount - 1)]
            .bytes[4];
    if (row % kLightingRowsPerEntry == 0) {
        openMenu(static_cast<int>(PopupKind::MacroLedMode), global);
    } else if (row % kLightingRowsPerEntry == 1 && mode != kLedModeNoLevelA &&
               mode != kLedModeNoLevelB) {
        openMenu(static_cast<int>(PopupKind::MacroLedColour), global);
    }
}

void MacroPageControls::lightingChosen(bool mode, int value) {
    if (!m_lightingList) {
        return;
    }
    const int row = m_lightingList->currentRow();
    syncEditor();
    // The mode menu answers on a mode row, the level menu on a level row.
    if (row < 0 || (row % kLightingRowsPerEntry == 0) != mode || value < 0 || value > 255) {
        return;
    }
    static_cast<void>(m_editor->setLightingByte(row, static_cast<std::uint8_t>(value)));
    fillLightingList(row);
}

void MacroPageControls::showEditorRepeatBox() {
    const MacroEditor::RepeatBox box = m_editor->repeatBox();
    m_in.library.repeatBox = MacroLibrary::RepeatBox{box.text, box.enabled};
    showRepeatBox();
}

void MacroPageControls::repeatEdited(const QString& text) {
    syncEditor();
    const std::string value = m_editor->repeatTextChanged(text.toStdString());
    m_in.library.repeatBox.text = value;
    if (m_repeatBox && m_repeatBox->text() != qs(value)) {
        m_repeatBox->setText(qs(value));
        m_repeatBox->setCursorPosition(static_cast<int>(m_repeatBox->text().size()));
    }
}

void MacroPageControls::toggleRecording() {
    const MacroLibrary& library = m_in.library;
    RecordTarget target;
    target.listEmpty = library.rows().empty();
    target.groupRowSelected = !library.macroRowSelected();
    if (!target.groupRowSelected) {
        target.macro = library.currentMacro();
        target.name = library.rows()[static_cast<std::size_t>(library.selectedRow())].text;
    }
    syncEditor();
    m_recorder->toggle(target);
}

void MacroPageControls::holdKeyboard(bool hold) {
    if (hold) {
        if (!m_keyboard) {
            m_keyboard =
                new RecordingKeyboard(&m_in.window, [this](KeyMessage message, std::uint8_t vk) {
                    static_cast<void>(m_recorder->keyMessage(message, vk));
                });
        }
        return;
    }
    if (m_keyboard) {
        // The 111th key event stops the recording from inside the keyboard's own handler.
        m_keyboard->stop();
        m_keyboard->deleteLater();
        m_keyboard = nullptr;
    }
}

void MacroPageControls::showRecording() {
    syncEditor();
    refreshSteps();
    if (m_recorder->recording()) {
        m_in.library.repeatBox = MacroLibrary::RepeatBox{"1", false};
        showRepeatBox();
    } else {
        showEditorRepeatBox();
    }
    // The record element shows whether a recording runs.
    m_in.window.update();
}

void MacroPageControls::pagePressed(int element) {
    namespace elements = layout::skin_mac;
    if (element == elements::kRecord) {
        toggleRecording();
        return;
    }
    if (element == elements::kInsert) {
        openInsertMenu();
        return;
    }
    if (element == elements::kWeaponPresets) {
        if (m_in.weaponPresets) {
            m_in.weaponPresets();
        }
        return;
    }
    if (element < elements::kRepeatModeFirst ||
        element >= elements::kRepeatModeFirst + elements::kRepeatModeCount) {
        return;
    }
    syncEditor();
    if (m_editor->setRunMode(
            kRunModeOfElement[static_cast<std::size_t>(element - elements::kRepeatModeFirst)])) {
        showEditorRepeatBox();
    }
}

int MacroPageControls::runModeElement() const {
    const MacroLibrary& library = m_in.library;
    const MacroBuffer& buffer = m_in.group.groupMacros;
    const int macro = library.currentMacro();
    if (m_in.group.groupSealed || !library.macroRowSelected() || macro < 0 ||
        macro >= buffer.count) {
        return -1;
    }
    const int mode = buffer.records[static_cast<std::size_t>(macro)].runMode & 3;
    for (std::size_t i = 0; i < kRunModeOfElement.size(); ++i) {
        if (kRunModeOfElement[i] == mode) {
            return layout::skin_mac::kRepeatModeFirst + static_cast<int>(i);
        }
    }
    return -1;
}

void MacroPageControls::openInsertMenu() {
    const MacroLibrary& library = m_in.library;
    if (library.rows().empty()) {
        m_in.warn(Tip::NoMacroList, {});
        return;
    }
    if (!library.macroRowSelected()) {
        m_in.warn(Tip::SelectRowFirst, {});
        return;
    }
    MenuContext* menus = m_in.menus ? m_in.menus() : nullptr;
    if (menus == nullptr) {
        return;
    }
    m_in.window.closePopup();
    auto* popup = new CMenuDlg(PopupKind::InsertStep, *menus, &m_in.window);
    const Area& insert = m_in.layout.area(layout::skin_mac::kInsert);
    const QPoint below = m_in.window.mapToGlobal(QPoint(insert.x, insert.y + insert.height));
    m_in.window.showPopup(popup, QRect(below, QSize(popup->width(), popup->height())));
}

void MacroPageControls::editStepRow() {
    if (!m_stepList) {
        return;
    }
    m_stepList->setCurrentRow(m_editor->selectedRow());
    m_stepList->setFocus(Qt::OtherFocusReason);
    m_stepList->beginEdit();
}

void MacroPageControls::modifySelected() {
    switch (m_editor->modify()) {
    case MacroEditor::Modify::Nothing:
        return;
    case MacroEditor::Modify::EditRow:
        editStepRow();
        return;
    case MacroEditor::Modify::CaptureKey:
        break;
    }
    const std::optional<KeyDialogContext> context =
        m_in.keyDialog ? m_in.keyDialog() : std::nullopt;
    if (!context) {
        return;
    }
    m_captured.code = m_editor->selectedCode();
    m_captured.name = m_in.keys.deviceCodeName(m_in.language, m_captured.code);
    CDialogGetKey dialog(*context, m_captured, keyDialogPosition(m_in.window), &m_in.window);
    dialog.exec();
}

void MacroPageControls::keyCaptured() {
    syncEditor();
    if (m_editor->setKey(m_captured.code)) {
        refreshSteps();
    }
    m_captured = CapturedKey{};
}

} // namespace zel
