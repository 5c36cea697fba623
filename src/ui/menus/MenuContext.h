#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zel {

class LanguagePack;
struct ProfileSettings;
struct SharedSettings;
struct SkinLayout;

/// The variants of the first-level popup: which pictures, rows and texts it shows and what
/// choosing a row does.
enum class PopupKind : int {
    Assignment = 1,      ///< the functions of a mouse button
    LedEffect = 4,       ///< the lighting effects
    LedReaction = 5,     ///< the reaction type of a button
    MacroLedMode = 6,    ///< a macro lighting step's mode
    MacroLedColour = 7,  ///< a macro lighting step's colour (the seven user colours)
    WeaponPreset = 9,    ///< the weapon presets
    Language = 10,       ///< the languages
    MacroGroupMenu = 11, ///< the macro list's menu on a group
    MacroRowMenu = 12,   ///< the macro list's menu on a macro
    MacroStepMenu = 13,  ///< the step list's menu
    InsertStep = 14,     ///< the macro editor's insert menu
};

/// The macro groups and macros the assignment chain offers. Groups count from 1, the
/// macros of a group from 0.
class MacroMenuSource {
public:
    virtual ~MacroMenuSource() = default;
    virtual int groupCount() const = 0;
    virtual std::string groupName(int group) const = 0;
    virtual int macroCount(int group) const = 0;
    virtual std::string macroName(int group, int index) const = 0;
};

/// What the popups draw from and change. The opener owns it; it outlives every popup it
/// opens. Every function may be empty; an empty one does nothing.
struct MenuContext {
    std::string skinsDir;                   ///< pictures; the macro page's are in "MacMenu"
    const LanguagePack* pack = nullptr;     ///< row texts
    const SkinLayout* mainLayout = nullptr; ///< function texts and the named functions
    QFont font;                             ///< the texts' font (font class 2)
    const MacroMenuSource* macros = nullptr;

    /// The assignment chain: stores `code` for the button whose menu is open, in the
    /// current profile, with its lighting mark cleared and the left click kept.
    std::function<void(std::int32_t code)> assign;
    /// A sub-popup's choice: the owner destroys the first-level popup on its next paint.
    std::function<void()> closeFirstLevelOnPaint;

    /// The lighting popups change these (the current profile's and the shared settings).
    SharedSettings* shared = nullptr;
    ProfileSettings* profile = nullptr;
    int reactionButton = 0;      ///< the button whose reaction type the reaction popup sets
    std::vector<int> effectList; ///< the effect codes, in row order
    std::array<QColor, 7> userColours{};
    std::vector<std::string> presetNames; ///< the weapon presets, in row order
    /// The weapon preset shown (from 0). Choosing a preset row makes that preset current
    /// here and tells the owner the one shown before (0x83F3), which it then stores.
    int currentPreset = 0;

    /// The language popup: `SkinsDir` + the folder of a language, for its row pictures.
    std::function<std::string(int language)> languageFolder;
    /// Whether every language has fonts of its own; when not, choosing a language drops the
    /// five shared fonts (`dropSharedFonts`) and tells the owner.
    bool perLanguageFonts = true;
    std::function<void()> dropSharedFonts;

    /// A plain message box (the macro page's menus tell a missing picture with it).
    std::function<void(const QString& text)> showNotice;
};

} // namespace zel
