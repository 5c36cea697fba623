#pragma once

#include "common/Tip.h"
#include "ui/PointerState.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zel {

struct SharedSettings;

/// What a press on a page asks of the window besides the stored change it made.
struct PressOutcome {
    enum class Kind {
        Nothing,
        WindowDrag,     ///< the press was on empty space: the window follows the pointer
        StartSlider,    ///< `slider` follows the pointer from the press on
        AssignmentMenu, ///< open the assignment popup of button `slot`
        Warning,        ///< show TipText `warning`
        EffectMenu,     ///< open the lighting effect popup
        ReactionMenu,   ///< open the reaction type popup of button `slot`
        ToggleReaction, ///< toggle the reaction of button `slot` of the current profile
        UserColour,     ///< choose user colour `slot` with the colour chooser
        DpiColour,      ///< choose the colour of DPI level `slot` with the colour chooser
    };
    Kind kind = Kind::Nothing;
    DragMode slider = DragMode::None;
    int slot = 0;
    Tip warning = Tip::OperationFailed;

    friend bool operator==(const PressOutcome&, const PressOutcome&) = default;
};

/// A press as a page sees it: the element of the main layout under the pointer (the
/// frame's, or the button page's own) and the element of the page's own layout.
struct PagePress {
    int frameElement = kNoElement;
    int pageElement = kNoElement;
};

/// The page a press on a tab turns to: another page's tab; nothing for the shown page's
/// own tab or any other element.
std::optional<PageId> tabPressed(PageId shown, int frameElement);

/// Whether an element of the main layout is one of the picture's own button zones on the
/// buttons page (they do nothing and show no hover).
bool isPictureZone(int element, int keyCount);

/// The button whose label or zone of the buttons page is `element`, or -1.
int hoveredButton(int element, int keyCount);

/// A press on the buttons page (everything here is in the main layout; the tabs are the
/// window's, see `tabPressed`). `codes` are the
/// current profile's AssignCodes: the assignment menu of a button opens only while
/// another button keeps the left click.
PressOutcome pressButtonsPage(int element, int keyCount, const std::array<std::int32_t, 12>& codes,
                              SharedSettings& shared);

/// A press on the advanced page (DPI levels, sliders, polling rate).
PressOutcome pressAdvancedPage(PagePress press, SharedSettings& shared);

/// A press on the macro page; the editor's own elements are not this window's.
PressOutcome pressMacroPage(PagePress press, SharedSettings& shared);

/// A press on the lighting page. On the effects page ("MODE_LIGHT" 0) a control that the
/// current effect does not use ignores the press; in the DPI indicator mode only the
/// effects tab answers. A button's reaction is the current profile's: the window toggles
/// it (ToggleReaction).
PressOutcome pressLightingPage(PagePress press, int keyCount, SharedSettings& shared);

/// The slider a drag mode moves: its page and its element in that page's layout.
struct SliderElement {
    PageId page = PageId::AdvancedPage;
    int element = kNoElement;
};
std::optional<SliderElement> sliderElement(DragMode mode);

/// Stores the value of slider `mode` for the pointer at `x` over a slider rectangle that
/// starts at `x0` and is `width` wide.
void applySlider(DragMode mode, int x, int x0, int width, SharedSettings& shared);

} // namespace zel
