#pragma once

#include <QPalette>

class QApplication;

namespace zel {

/// The palette of the windows Qt draws for the program (file dialogs, the colour dialog,
/// message boxes, context menus): the skins' dark greys, white text and their one accent.
QPalette darkPalette();

/// The Fusion style (which follows a palette fully) with the dark palette, for the whole
/// program. The skinned windows draw their own pictures and are not changed by it.
void applyDarkLook(QApplication& app);

} // namespace zel
