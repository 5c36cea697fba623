#pragma once

#include "common/Tip.h"

#include <QEvent>

#include <functional>
#include <string>

namespace zel {

class ColourChooser;
class FontBook;
class LanguagePack;
class ProfileStore;
struct AppState;
struct DeviceDescription;
struct FolderTree;
struct MenuContext;

/// What the main window needs from the rest of the program. Every hook may be empty; an
/// empty hook makes its element do nothing.
struct MainWindowHooks {
    std::function<void()> apply;                          ///< SaveWorker and the full download
    std::function<void()> importProfiles;                 ///< the frame's import tile
    std::function<void()> exportProfiles;                 ///< the frame's export tile
    std::function<void()> resetProfiles;                  ///< the frame's reset tile
    std::function<void()> shutDown;                       ///< the shut-down sequence (close)
    std::function<void(Tip)> warn;                        ///< the warning box
    std::function<void(const std::string&)> openDocument; ///< the help element's text
    std::function<void(int)> chooseLanguage;              ///< a language from the language popup
    std::function<bool()> recording;                      ///< a macro is being recorded
    std::function<std::string(int code)> macroName;       ///< name of a macro AssignCode
    std::function<std::string(int index)> presetName;     ///< weapon preset `index`
    std::function<int()> presetCount;
    std::function<MenuContext*()> menus;           ///< what the popups draw from and change
    std::function<void(int slot)> openCombination; ///< the combination dialog of a button
    std::function<void()> recordsChanged;          ///< a button got a new function
    std::function<void()> rebuildFonts;            ///< the shared fonts were dropped
    std::function<void(int page)> pageChanged;     ///< the page shown now
    std::function<void()> openSoundWindow;         ///< the sound lighting element
    std::function<void(QEvent*)> otherMessage;     ///< messages this window does not answer itself
    /// A press on the macro page's element: Insert and the run modes are the editor's.
    std::function<void(int element)> macroPagePressed;
    /// The run-mode element the macro page shows pressed, or -1.
    std::function<int()> macroRunModeElement;
    ColourChooser* colourChooser = nullptr; ///< user and DPI level colours
};

/// Everything the main window draws from and edits; owned by the program.
struct MainWindowContext {
    AppState& state;
    ProfileStore& profiles;
    const DeviceDescription& description;
    const LanguagePack& pack;
    const FontBook& fonts;
    const FolderTree& folders;
};

} // namespace zel
