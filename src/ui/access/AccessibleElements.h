#pragma once

#include "ui/PointerState.h"

#include <vector>

namespace zel {

struct SharedSettings;

/// The layouts of the main window's elements.
enum class ElementLayout { Main, Advanced, Macro, Lighting };

/// What an element is to assistive technology.
enum class ElementRole {
    Button, ///< a click does something once (or opens a popup or dialog)
    Toggle, ///< a click turns it on or off, or selects it among its row
    Slider, ///< a click or drag sets a value
    Tab,    ///< a click shows a page
};

/// Where an element's accessible name comes from.
enum class ElementName {
    Label,        ///< the element's own layout text
    Caption,      ///< the layout text of `caption`, which names it on the page
    CaptionIndex, ///< `caption`'s text followed by the element's number in its row (from 1)
    Fixed,        ///< `fixed` (an icon the window draws no text for)
    FixedIndex,   ///< `fixed` followed by the element's number in its row (from 1)
    Function,     ///< the function label of the mouse button the element stands for
    Language,     ///< the name of the language shown
    Record,       ///< the record element's text (start or stop)
    Effect,       ///< the lighting effect shown
    Reaction,     ///< the reaction type of the element's button, or its own text
};

/// One element of the main window that assistive technology sees.
struct AccessibleElement {
    ElementLayout layout = ElementLayout::Main;
    int element = kNoElement;
    ElementRole role = ElementRole::Button;
    ElementName name = ElementName::Label;
    int caption = kNoElement; ///< for Caption and CaptionIndex, in the same layout
    const char* fixed = "";   ///< for Fixed and FixedIndex
    int index = 0;            ///< the element's place in its row, from 0

    friend bool operator==(const AccessibleElement&, const AccessibleElement&) = default;
};

/// The elements of the main window, in reading order, while `page` shows with a mouse of
/// `keyCount` buttons: the frame's (title controls, tabs, profiles, Apply) and then the
/// page's. Texts, pictures and the mouse picture's zones have no role and are left out;
/// the lighting page in its DPI indicator mode (`lightingAltMode`) shows only its tabs.
std::vector<AccessibleElement> accessibleElements(PageId page, int keyCount, bool lightingAltMode);

/// The number of positions of the slider a drag `mode` moves (0 for none).
int sliderSteps(DragMode mode);

/// The drag mode of slider `element` of `layout` (None when it is not a slider).
DragMode sliderMode(ElementLayout layout, int element);

/// The position (1 .. steps) the stored value of slider `mode` puts the slider at.
int sliderPosition(DragMode mode, const SharedSettings& shared);

/// The x, from the slider's left edge `x0` over `width`, where a press gives slider
/// position `position` (1 .. steps), or the nearest position the slider's width can give.
int sliderPointX(int position, int x0, int width, int steps);

} // namespace zel
