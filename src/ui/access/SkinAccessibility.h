#pragma once

namespace zel {

/// Makes the elements of the skinned windows visible to assistive technology (the
/// accessibility bus): the main window's elements as buttons, toggles, sliders and tabs
/// with the texts the window draws, their states and an action that clicks them; the
/// popups' rows as menu items. Installing it twice installs it once.
void installSkinAccessibility();

} // namespace zel
