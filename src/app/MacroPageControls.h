#pragma once

#include "common/Tip.h"
#include "keys/CombinationInput.h"
#include "macros/MacroEditor.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecorder.h"
#include "ui/CListBoxXI.h"
#include "ui/keys/CDialogGetKey.h"

#include <QFont>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zel {

class CZEL_GMouseDlg;
class LanguagePack;
class MacVkAndText;
class MessageSink;
class RecordingKeyboard;
struct MenuContext;
struct SkinLayout;

/// What the macro page's controls are made from.
struct MacroPageInputs {
    CZEL_GMouseDlg& window;
    MacroLibrary& library;
    MacroGroupState& group; ///< the current group's macros, which the editor changes
    const MacVkAndText& keys;
    const LanguagePack& pack;
    const SkinLayout& layout; ///< the macro page's layout
    QFont font;               ///< the language's font of the window's texts
    std::string skinsDir;     ///< the list icons are in its "MacList" folder
    int language = 0;
    std::function<MenuContext*()> menus;
    /// The warning box, with a text before the warning's own.
    std::function<void(Tip, const std::string& prefix)> warn;
    MessageSink* messages = nullptr; ///< the plain message box
    /// What the key dialog of a step is made from.
    std::function<std::optional<KeyDialogContext>()> keyDialog;
    /// Milliseconds since midnight for the recorder (empty: the system clock).
    std::function<int()> clock;
    /// Opens the weapon preset dialog (modal).
    std::function<void()> weaponPresets;
};

/// The child controls of the macro page: the macro list (10001), the step list (10002), the
/// lighting list (10007) and the repeat-count box (10004) at the page's layout rectangles.
/// The macro list shows the library's rows; its presses select rows through the library,
/// its right presses open the list menus, and the menus' commands and the committed
/// renames (posted to the window) come back through `menuCommand` and `rowEdited`. The
/// step list shows the selected macro's steps and the lighting list the selected lighting
/// step's entries; the insert, step and lighting menus, the key dialog, the typed rows, the
/// repeat-count box and the run-mode elements change them through the macro editor.
/// The record element records the keyboard into the selected macro (`MacroRecorder`):
/// while it runs the page has the keyboard, the step list follows the recorded steps, the
/// editor changes nothing and the repeat-count box takes no input.
///
/// The controls live while the page is shown; the library shows through this object only
/// in that time.
class MacroPageControls final : public MacroPageView {
public:
    static constexpr int kMacroListId = 10001;
    static constexpr int kStepListId = 10002;
    static constexpr int kRepeatBoxId = 10004;
    static constexpr int kLightingListId = 10007;

    explicit MacroPageControls(MacroPageInputs inputs);
    ~MacroPageControls() override;

    /// Fills the lists and selects the first group when nothing is selected yet.
    void prepare();

    /// A row of the macro list's menus (kind 11 on the list, 12 on a macro row), of the step
    /// menu (13) or an item of the insert menu (14).
    void menuCommand(int kind, int row);
    /// A press on element `element` of the macro page: Insert, the run modes and the weapon
    /// presets.
    void pagePressed(int element);
    /// The run-mode element the page shows pressed (-1: none).
    int runModeElement() const;
    /// Whether a macro is being recorded.
    bool recording() const { return m_recorder->recording(); }
    MacroRecorder& recorder() { return *m_recorder; }
    /// The key dialog's OK: the selected step takes its key.
    void keyCaptured();
    /// A choice of the lighting mode menu (`mode`) or level menu (`level`) for the selected
    /// lighting row.
    void lightingChosen(bool mode, int value);
    /// A committed in-place edit of list `list` (1 macros, 2 steps, 3 lighting).
    void rowEdited(int row, int list, const std::string& text);
    /// Before a press on the window: open edits end and keep their text, and an empty
    /// repeat-count box gets "1" and takes no input.
    void commitEdits();
    /// Writes the selected macro to its group file (not while recording, not in a sealed
    /// group): what was typed into its rows reaches the file before Apply reads the macros,
    /// and when the page goes or the program ends.
    void saveOpenMacro();

    CListBoxXI* macroList() const { return m_macroList; }
    CListBoxXI* stepList() const { return m_stepList; }
    CListBoxXI* lightingList() const { return m_lightingList; }
    QLineEdit* repeatBox() const { return m_repeatBox; }

    // MacroPageView
    void closePopupMenu() override;
    void showSteps(int macro) override;
    void clearLightingList() override;

    MacroEditor& editor() { return *m_editor; }

private:
    class EditorOutput;
    class RecorderOutput;
    /// The record element: starts or stops recording into the selected macro.
    void toggleRecording();
    /// Takes the keyboard for the recorder, or gives it back.
    void holdKeyboard(bool hold);
    /// The recorded macro changed: its steps, the repeat-count box and the record element.
    void showRecording();
    /// The editor works on the macro of the selected macro row (none for a group row).
    void syncEditor();
    void refreshSteps();
    void fillLightingList(int select);
    void stepRowChanged(int row);
    void rightPressLightingRow(int row, QPoint global);
    void repeatEdited(const QString& text);
    void showEditorRepeatBox();
    void modifySelected();
    void editStepRow();
    void openInsertMenu();
    void fillMacroList();
    void showRepeatBox();
    void pressRow(int row);
    void rightPressMacroRow(int row, QPoint global);
    void rightPressStepRow(int row, QPoint global);
    void openMenu(int kind, QPoint global);
    void renameSelected();

    MacroPageInputs m_in;
    std::unique_ptr<EditorOutput> m_output;
    std::unique_ptr<MacroEditor> m_editor;
    std::unique_ptr<RecorderOutput> m_recorderOutput;
    std::unique_ptr<MacroRecorder> m_recorder;
    QPointer<RecordingKeyboard> m_keyboard;
    CapturedKey m_captured;
    QPointer<CListBoxXI> m_macroList;
    QPointer<CListBoxXI> m_stepList;
    QPointer<CListBoxXI> m_lightingList;
    QPointer<QLineEdit> m_repeatBox;
};

} // namespace zel
