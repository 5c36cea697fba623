#pragma once

#include "presentation/MainWindowSkin.h"
#include "ui/PointerState.h"
#include "ui/pages/PageDispatch.h"
#include "ui/pages/TextPlacement.h"

#include <QFont>
#include <QImage>

namespace zel {

class LanguagePack;
struct MainWindowHooks;
struct ProfileSettings;
struct SharedSettings;

/// What a page draws from, gathered by the window for one composition.
struct PageView {
    const MainWindowSkin& skin;
    const PictureSet& pictures; ///< the shown page's pictures
    const PointerState& pointer;
    const SharedSettings& shared;
    const ProfileSettings& profile; ///< the current profile
    const LanguagePack& pack;
    const MainWindowHooks& hooks;
    const QFont& font;
    int keyCount = 0;
    int language = 0;
    bool recording = false;
};

/// One page of the main window: its layout, which of its elements shows the hover look,
/// what a press on it stores (through the functions of PageDispatch.h), and its own
/// states and texts over the page picture. The frame around it is the window's.
class MainWindowPage {
public:
    virtual ~MainWindowPage() = default;

    /// The page's own layout (the buttons page's is the main layout).
    virtual const SkinLayout& layout(const MainWindowSkin& skin) const = 0;
    /// The page's element under the pointer.
    virtual int hotElement(const PointerState& pointer) const = 0;
    /// The element that shows the hover or pressed look (kNoElement: none).
    virtual int hoverElement(const PointerState& pointer, int /*keyCount*/) const {
        return hotElement(pointer);
    }
    /// Whether a pressed element keeps the hover look instead of the pressed one.
    virtual bool keepsOverLook(int /*element*/) const { return false; }
    /// A press that is not on another page's tab: the stored change, and what the window
    /// does besides.
    virtual PressOutcome press(const PointerState& pointer, int keyCount,
                               const ProfileSettings& profile, SharedSettings& shared) const = 0;
    /// The page's states: selections, toggles, slider fills.
    virtual void paintStates(QImage& image, const PageView& view) const = 0;
    /// The page's texts, each handed to `out` with its element and placement.
    virtual void placeTexts(const PageView& view, const TextSink& out) const = 0;
};

} // namespace zel
