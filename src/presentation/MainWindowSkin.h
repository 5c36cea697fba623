#pragma once

#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"
#include "presentation/SkinPictures.h"

#include <QImage>
#include <QRegion>

#include <array>
#include <future>
#include <memory>
#include <string>

namespace zel {

/// The layouts and pictures of the four pages of the main window and the window's mask.
/// Pictures decode on other threads, which read through the picture cache; the cache is
/// replaced, and the skin destroyed, only after `waitForDecoding`.
struct MainWindowSkin {
    MainWindowSkin() = default;
    MainWindowSkin(const MainWindowSkin&) = delete;
    MainWindowSkin& operator=(const MainWindowSkin&) = delete;
    ~MainWindowSkin();

    SkinLayout main;
    SkinLayout advanced;
    SkinLayout macro;
    SkinLayout lighting;
    QImage mask;          ///< SkinsDir + "/main_mask.jpg"
    QRegion maskRegion;   ///< the window's shape, made from `mask`
    QImage macroLightTag; ///< the language folder's "zhi.png"
    QImage thumb;         ///< SkinsDir + "/moveRect.png"
    /// The lighting page's covers, read with its pictures: "/led_null.jpg" over the
    /// controls an effect does not use, "/new_down.jpg" for the DPI indicator mode's panel.
    QImage lightingUnused;
    QImage lightingAltMode;
    /// The advanced page's unavailable look, read with its pictures: "/advanced_off.jpg",
    /// over the choices the program does not offer.
    QImage advancedUnavailable;
    /// The picture set read (1, or 2 for the "@2x" pictures of screens scaled above 100 %);
    /// set before the pictures are loaded. The mask and the shape stay in layout units.
    int pictureScale = 1;

    /// Keeps decoded full-window pictures in `folder` between runs (empty: not kept).
    void setPictureCacheFolder(const std::string& folder);

    /// Loads the main page's pictures and the small ones of `skinsDir` and `languageDir`;
    /// the other pages' pictures are read when they are first needed. The layouts are
    /// loaded by the caller.
    void loadPictures(const std::string& skinsDir, const std::string& languageDir);
    /// As `loadPictures`, but the main page's pictures are decoded on other threads while
    /// the caller goes on; `finishLoading` waits for them.
    void beginLoadPictures(const std::string& skinsDir, const std::string& languageDir);
    void finishLoading();
    /// Starts decoding the main page's four pictures, each on its own thread, as early as
    /// the skins folder is known; `beginLoadPictures` then does not start them again. The
    /// mask's thread also makes the window's shape.
    void beginMainPage(const std::string& skinsDir);
    /// Starts decoding the other three pages' pictures on other threads (once the window
    /// is on screen), so that turning to a page seldom waits.
    void beginOtherPages();
    /// The pictures of a page (by PageId: main, advanced, mac, led), read on first use.
    const PictureSet& page(int index);

    /// Waits for every decoding thread; what they decoded is still taken by `finishLoading`
    /// and `page`.
    void waitForDecoding() const;

private:
    struct MaskAndShape {
        QImage mask;
        QRegion shape;
    };
    QImage readFull(const std::string& path, int scale);

    std::string m_skinsDir;
    /// The decoding threads read through the cache: it is replaced or destroyed only
    /// after `waitForDecoding`.
    std::unique_ptr<PictureCache> m_cache = std::make_unique<PictureCache>(std::string());
    std::array<PictureSet, 4> m_pages;
    std::array<bool, 4> m_loaded{};
    std::array<std::future<QImage>, 3> m_mainPage; ///< normal, over, down
    std::future<MaskAndShape> m_mainMask;
    std::array<std::future<PictureSet>, 4> m_otherPages; ///< by page; 0 unused
};

} // namespace zel
