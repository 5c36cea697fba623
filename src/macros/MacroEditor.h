#pragma once

#include "common/Tip.h"
#include "macros/MacroRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

/// Display kinds of the step list's rows; the kind selects the row's icon.
enum class StepRowKind : int { Other = 0, Press = 1, Release = 2, Move = 3, Lighting = 4, Cpi = 5 };

/// One row of the step list or of the lighting detail list.
struct EditorRow {
    std::string text;
    StepRowKind kind = StepRowKind::Other;

    friend bool operator==(const EditorRow&, const EditorRow&) = default;
};

/// The texts the editor builds rows from: entries of the language's "other" and lighting
/// tables, and the name of a key or mouse-button code.
struct MacroEditorTexts {
    std::function<std::string(int entry)> other;
    std::function<std::string(int entry)> lighting;
    std::function<std::string(std::uint8_t code)> keyName;
};

/// Where the editor reports: warnings (some with a short prefix), the plain message box, and
/// the writing of a macro to its group file.
class MacroEditorOutput {
public:
    virtual ~MacroEditorOutput() = default;
    virtual void warn(Tip tip, std::string_view prefix) = 0;
    virtual void plainMessage(const std::string& text) = 0;
    virtual void saveMacro(int macro) = 0;
};

// Items of the macro edit menu (the page's Insert button and its sub-menus).
inline constexpr int kInsertLeftPressBefore = 241;
inline constexpr int kInsertCpiReturnAfter = 258;
inline constexpr int kInsertLighting = 145;
inline constexpr int kInsertPause = 146;
inline constexpr int kDeleteStep = 147;

/// The plain message shown for a CPI that is not one of the editor's levels.
inline constexpr const char* kCpiChoicesMessage =
    "CPI(:200/400/600/800/1000/1200/1600/2000/2400/3200/4000/4800)";

/// The macro editor: the rows of the current macro's step list and lighting list, and every
/// command that changes the macro's steps, lighting slots, repeat count and run mode. It
/// works on the current group's records; which macro is current, whether a recording runs,
/// the texts and the reports are handed in.
class MacroEditor {
public:
    /// What a "modify" of the selected row asks the page to do.
    enum class Modify { Nothing, EditRow, CaptureKey };

    /// The repeat-count box: its text and whether it takes input.
    struct RepeatBox {
        std::string text = "1";
        bool enabled = false;
    };

    MacroEditor(MacroGroupState& group, MacroEditorTexts texts, MacroEditorOutput& output);

    /// The macro the editor works on (-1: no macro row is selected).
    void setMacro(int macro);
    int macro() const { return m_macro; }
    void setRecording(std::function<bool()> recording) { m_recording = std::move(recording); }

    /// The remembered step-list row (-1: none).
    int selectedRow() const { return m_selectedRow; }
    void setSelectedRow(int row) { m_selectedRow = row; }
    /// The selected row halved: step 0 when nothing is selected.
    int selectedStep() const { return m_selectedRow / 2; }

    /// The step list of the current macro: for step s the row of its step (2s) and of its
    /// delay (2s + 1). A sealed group shows no steps.
    std::vector<EditorRow> stepRows() const;
    /// The repeat-count box as the current macro's run mode gives it.
    RepeatBox repeatBox() const;

    /// An item of the macro edit menu: inserts (241..258, 145, 146) or deletes (147).
    /// Returns false for an item that is none of them.
    bool menuItem(int item);
    /// Inserts a step at position `at`, with every limit.
    bool insertStep(int at, std::uint8_t code, std::uint8_t action);
    /// Deletes the selected step; the selection moves up two rows.
    bool deleteSelected();

    /// What a "modify" of the selected row does.
    Modify modify() const;
    /// Whether the selected row is a step whose parameters can be typed (code above 128).
    bool canChangeParameters() const;
    /// Whether the selected row is a delay that can be typed.
    bool canModifyDelay() const;
    /// The key the capture dialog returned: the selected step (a step row) takes the code.
    bool setKey(std::uint8_t code);
    /// The code of the selected step row (0 when it is a delay row or out of range).
    std::uint8_t selectedCode() const;

    /// A typed step-list row: a delay, a CPI level or a move. Returns whether the record
    /// changed; the list is to be shown again either way.
    bool commitStepEdit(int row, const std::string& text);

    /// The lighting detail list of the selected step; empty unless it is a lighting step.
    /// Showing normalises the slot as the list shows it (an unnamed mode becomes 7, a level
    /// of 0 becomes 1).
    std::vector<EditorRow> lightingRows();
    /// A typed time or level of lighting row `row`; writes the macro when it changed.
    bool commitLightingEdit(int row, const std::string& text);
    /// A choice of the lighting mode or level menu for lighting row `row`: slot byte row + 4.
    bool setLightingByte(int row, std::uint8_t value);

    /// A change of the repeat-count box's text: the value limited to 1..1000, which the box
    /// shows again; with a macro selected it becomes the macro's count and is written.
    std::string repeatTextChanged(const std::string& text);

    /// The run-mode buttons: 1 and 2 select the device's other run modes, 0 repeats.
    bool setRunMode(int mode);

private:
    MacroRecord* current();
    const MacroRecord* current() const;
    bool recording() const { return m_recording && m_recording(); }
    void warn(Tip tip, std::string_view prefix = {});
    EditorRow stepRow(const MacroRecord& r, int s) const;
    std::string delayText(int delay) const;
    LedSlot* selectedSlot();

    MacroGroupState& m_group;
    MacroEditorTexts m_texts;
    MacroEditorOutput& m_output;
    std::function<bool()> m_recording;
    int m_macro = -1;
    int m_selectedRow = -1;
};

/// Whether `text` is non-empty and holds only the digits 0..9.
bool allDigits(std::string_view text);

} // namespace zel
