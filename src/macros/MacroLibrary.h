#pragma once

#include "common/Tip.h"
#include "macros/MacroFiles.h"
#include "macros/MacroRecord.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zel {

class DevMacNames;
class FileChooser;
class WarningSink;
namespace ini {
class IniStore;
}

/// The folders of the macro library (each ending in "/"): the current language's macro
/// folder, its factory copy, and the config folder with the program's own macro files.
struct MacroFolders {
    std::string macroDir;
    std::string macroResetDir;
    std::string configDir;
};

/// The recorder, as far as the macro list needs it: selecting a row ends a recording without
/// saving it.
class MacroRecordingControl {
public:
    virtual ~MacroRecordingControl() = default;
    virtual bool recording() const = 0;
    virtual void endWithoutSaving() = 0;
};

/// What the macro page shows beside the list; the page implements it, tests record it.
class MacroPageView {
public:
    virtual ~MacroPageView() = default;
    virtual void closePopupMenu() {}
    /// The step list shows macro `macro` of the current group (from its first row), or is
    /// emptied when `macro` is -1.
    virtual void showSteps(int macro) { static_cast<void>(macro); }
    virtual void clearLightingList() {}
};

/// One row of the macro list.
struct MacroListRow {
    bool isGroup = false;
    int group = 0;
    int macro = -1; ///< -1 for a group row
    int icon = 0;   ///< 0 collapsed group, 1 expanded group, 2 macro
    std::string text;

    friend bool operator==(const MacroListRow&, const MacroListRow&) = default;
};

// Names in the group index file.
inline constexpr const char* kGroupIndexFile = "macroGrp.ini";
inline constexpr const char* kGroupNumSection = "MACRO_GROUP_NUM";
inline constexpr const char* kGroupNumKey = "macGrpNum";
inline constexpr const char* kGroupNameSection = "MACRO_GROUP_NAME";
inline constexpr int kMaxGroups = 12;
inline constexpr std::size_t kMaxGroupNameChars = 59;

// Texts of the language pack's UniqueName_DevMac table used as default names.
inline constexpr int kDefaultGroupNameEntry = 36;
inline constexpr int kDefaultMacroNameEntry = 37;

/// The macro library of the current language: the group index, the names of every group's
/// macros, the current group in `GroupMacros`, the rows of the macro list and every command
/// of the list's menus. File access goes through the macro file codec; refusals go to the
/// warning sink; file choices to the chooser.
class MacroLibrary final : public MacroGroupFiles {
public:
    using Sleep = std::function<void(int milliseconds)>;

    MacroLibrary(ini::IniStore& store, MacroFiles& files, MacroGroupState& current,
                 WarningSink& warnings, FileChooser& chooser, const DevMacNames& texts,
                 MacroFolders folders, Sleep sleep = {});

    void setRecorder(MacroRecordingControl* recorder) { m_recorder = recorder; }
    void setView(MacroPageView* view) { m_view = view; }
    /// Another language: another macro folder. Call `start` afterwards.
    void setFolders(MacroFolders folders) { m_folders = std::move(folders); }
    const MacroFolders& folders() const { return m_folders; }

    /// Start-up: loads the index, reads group 0 when there is one, refreshes the names and
    /// builds the list with every group collapsed.
    void start();

    /// A library that only reads (the tools): `loadIndex` drops groups in memory only.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // ---- group index ----
    /// Loads "macroGrp.ini"; a group whose file is missing (nothing at its path) is
    /// dropped and the index written again. A missing index warns Tip::FileMissing and
    /// gives no groups.
    void loadIndex();
    /// macGrpNum, the names 0..count-1 and empty names up to 11, as one replace.
    bool writeIndex() const;
    int groupCount() const { return static_cast<int>(m_groupNames.size()); }
    const std::vector<std::string>& groupNames() const { return m_groupNames; }
    std::optional<std::string> groupFilePath(int group) const override;
    /// Re-reads the macro names of every group.
    void refreshNames();
    const std::vector<std::string>& macroNames(int group) const;
    int macroCount(int group) const;
    bool expanded(int group) const;

    // ---- current group and macro ----
    int currentGroup() const { return m_currentGroup; }
    int currentMacro() const { return m_currentMacro; }
    /// Reads the current group's file into GroupMacros (an empty buffer without groups).
    void readCurrentGroup();

    // ---- the list ----
    void rebuildList();
    const std::vector<MacroListRow>& rows() const { return m_rows; }
    int selectedRow() const { return m_selectedRow; }
    /// Selecting a row, with every effect on the current group and macro.
    void selectRow(int row);
    /// Whether the selected row of the list is a macro row.
    bool macroRowSelected() const;
    /// Writes macro `macro` of the loaded group to its group file.
    bool saveMacro(int macro);

    /// The repeat-count box of the page: its text and whether it takes input.
    struct RepeatBox {
        std::string text = "1";
        bool enabled = false;
    };
    RepeatBox repeatBox;

    // ---- commands of the list's menus ----
    void newGroup();
    void newMacro();
    void deleteGroup();
    void deleteMacro();
    void resetAllGroups();
    /// Commits the in-place edit of row `row` with `text`; returns the text the row shows.
    std::string renameRow(int row, const std::string& text);
    void importGroup();
    void exportGroup();
    void exportGroupSealed();
    void exportMacro();
    void importMacro();

private:
    bool m_readOnly = false;
    /// Saves the current group where the user chooses; `sealed` marks it sealed first.
    void exportCurrentGroup(bool sealed);
    std::string indexPath() const { return m_folders.macroDir + kGroupIndexFile; }
    std::string groupPath(const std::string& name) const;
    void warn(Tip tip) const;
    void pause(int ms) const;
    MacroBuffer& buffer() { return m_current.groupMacros; }
    int selectedGroup() const;
    void showCurrentMacroOrEmpty(int macro);
    void clearAllRecords();
    void ensureLoaded(int group);
    bool isOwnFile(const std::string& path) const;
    std::vector<std::string> macroNamesExcept(int skip) const;

    ini::IniStore& m_store;
    MacroFiles& m_files;
    MacroGroupState& m_current;
    WarningSink& m_warnings;
    FileChooser& m_chooser;
    const DevMacNames& m_texts;
    MacroFolders m_folders;
    Sleep m_sleep;
    MacroRecordingControl* m_recorder = nullptr;
    MacroPageView* m_view = nullptr;

    std::vector<std::string> m_groupNames;
    std::array<std::vector<std::string>, kMaxGroups> m_macroNames{};
    std::array<bool, kMaxGroups> m_expanded{};
    int m_currentGroup = 0;
    int m_currentMacro = 0;
    /// The group GroupMacros was last read from (-1: none).
    int m_loadedGroup = -1;
    std::vector<MacroListRow> m_rows;
    int m_selectedRow = -1;
};

} // namespace zel
