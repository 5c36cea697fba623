#pragma once

#include "presentation/LayoutReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

/// One numbered element of a layout: x ≤ px < x + width, y ≤ py < y + height.
struct Area {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string label;

    bool contains(int px, int py) const {
        return px >= x && py >= y && static_cast<std::int64_t>(px) < std::int64_t{x} + width &&
               static_cast<std::int64_t>(py) < std::int64_t{y} + height;
    }
    bool empty() const { return width <= 0 || height <= 0; }
};

/// A rectangle in corner form (left, top, right, bottom).
struct CornerRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

/// An entry of the special-function submenu: the key text ("0", "12".."17",
/// "30000".."30004"), its name and its row position.
struct SpecialFunction {
    std::string key;
    std::string name;
    int position = 0;
};

/// The nine layout files.
enum class SkinFile { Main, Advance, Mac, Color, Warning, KeySet, ShortCut, Gun, Sound };

inline constexpr int kSkinFileCount = 9;

/// Which entry reader a file is read with.
enum class ReaderVariant { MainWindow, Dialog };

struct SkinFileInfo {
    const char* fileName; ///< with its leading "/", appended to LanguageDir
    int entries;          ///< BUTTONPOS entries 0 .. entries − 1
    ReaderVariant variant;
};

const SkinFileInfo& skinFileInfo(SkinFile file);

/// The numbered elements of one layout file, with the extra sections of the main and
/// macro-page files and of the weapon dialog.
struct SkinLayout {
    std::vector<Area> areas;
    /// skin_main.ini FUN_STRING "0".."47" (field 0), name 0 replaced by UniqueName_Other 1.
    std::array<std::string, 48> functionNames{};
    /// skin_main.ini FUN_STRING "30000".."30004" (bound 14).
    std::array<std::string, 5> extraFunctionNames{};
    /// The special-function submenu, in position order.
    std::vector<SpecialFunction> specialFunctions;
    /// skin_mac.ini and skin_gun.ini EDIT 0..2; skin_mac.ini MACRODISPLAY 1..3 (as 0..2).
    std::array<CornerRect, 3> edits{};
    std::array<CornerRect, 3> macroDisplays{};

    /// Element `index`, or an empty area when there is none.
    const Area& area(int index) const;
    /// The function text of an AssignCode below 48 or 30000..30004; "" otherwise.
    std::string functionName(int code) const;
};

enum class LoadStatus { Ok, FileMissing };

/// Fills `layout` from `languageDir` + the file's name. Main-window files warn Tip::FileMissing
/// once for a missing file (the caller then runs the main window's close procedure);
/// dialog files show "找不到配置文件" once (the caller ends the dialog) and "加载ini错误！"
/// for each entry with more than six commas. `otherName1` (UniqueName_Other 1) replaces
/// function name 0 of the main file. The layout is rebuilt from empty in every case.
LoadStatus loadSkin(const ini::IniStore& store, const std::string& languageDir, SkinFile file,
                    SkinLayout& layout, const ReaderSinks& sinks,
                    const std::string& otherName1 = {});

/// The range a layout rectangle is kept in when read: x and y in −32768..32767, width and
/// height in 0..32767. Every sum the pages and picture composition form from a rectangle
/// (right edge, a caption below it, a thumb beside a fill) then stays far inside `int`.
inline constexpr std::int32_t kLayoutCoordinateMin = -32768;
inline constexpr std::int32_t kLayoutCoordinateMax = 32767;
inline constexpr std::int32_t kLayoutExtentMax = 32767;

/// Area entry fields 1..4 as the rectangle, field 5 as the label. Values outside the
/// layout range are clamped into it; values inside it are taken as written.
Area areaFromFields(const EntryFields& fields);

/// The first element 0..last (in index order) that holds the point; 255 when none does.
int hitTest(const SkinLayout& layout, int px, int py, int last);

} // namespace zel
