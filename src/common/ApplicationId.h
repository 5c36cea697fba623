#pragma once

namespace zel {

/// The program's application id: the file name of its desktop entry and its metainfo,
/// the name of its icon, and the desktop file name it gives the window system (the
/// Wayland app id). data/CMakeLists.txt names the installed files after the same id.
inline constexpr const char* kApplicationId = "com.zel.GMouse";

} // namespace zel
