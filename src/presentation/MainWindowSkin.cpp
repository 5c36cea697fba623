#include "presentation/MainWindowSkin.h"

#include <algorithm>

namespace zel {

namespace {

constexpr std::array<const char*, 4> kPagePrefixes = {"/main", "/advanced", "/mac", "/led"};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

MainWindowSkin::~MainWindowSkin() {
    waitForDecoding();
}

void MainWindowSkin::waitForDecoding() const {
    const auto wait = [](const auto& future) {
        if (future.valid()) {
            future.wait();
        }
    };
    for (const auto& f : m_mainPage) {
        wait(f);
    }
    wait(m_mainMask);
    for (const auto& f : m_otherPages) {
        wait(f);
    }
}

void MainWindowSkin::setPictureCacheFolder(const std::string& folder) {
    // Pictures being decoded read through the cache being replaced; what they decoded is
    // kept.
    waitForDecoding();
    m_cache = std::make_unique<PictureCache>(folder);
}

QImage MainWindowSkin::readFull(const std::string& path, int scale) {
    return m_cache->read(qs(path), scale);
}

void MainWindowSkin::loadPictures(const std::string& skinsDir, const std::string& languageDir) {
    beginLoadPictures(skinsDir, languageDir);
    finishLoading();
}

void MainWindowSkin::beginMainPage(const std::string& skinsDir) {
    if (m_mainMask.valid() && skinsDir == m_skinsDir) {
        return;
    }
    // Pictures of an earlier skins folder are not wanted.
    waitForDecoding();
    for (auto& f : m_otherPages) {
        f = {};
    }
    m_skinsDir = skinsDir;
    m_loaded = {};
    // The main page's four full-window pictures are the bulk of start-up's reading; they
    // decode side by side.
    static constexpr std::array<const char*, 3> kSuffixes = {"_normal.jpg", "_over.jpg",
                                                             "_down.jpg"};
    for (std::size_t i = 0; i < kSuffixes.size(); ++i) {
        m_mainPage[i] = std::async(std::launch::async,
                                   [this, path = skinsDir + "/main" + kSuffixes[i],
                                    scale = pictureScale] { return readFull(path, scale); });
    }
    m_mainMask = std::async(std::launch::async, [this, path = skinsDir + "/main_mask.jpg"] {
        MaskAndShape result;
        result.mask = readFull(path, 1);
        result.shape = shapeFromMask(result.mask);
        return result;
    });
}

void MainWindowSkin::beginLoadPictures(const std::string& skinsDir,
                                       const std::string& languageDir) {
    beginMainPage(skinsDir);
    macroLightTag = readPicture(qs(languageDir + "/zhi.png"), pictureScale);
    thumb = readPicture(qs(skinsDir + "/moveRect.png"), pictureScale);
}

void MainWindowSkin::finishLoading() {
    if (m_mainMask.valid()) {
        PictureSet set;
        set.normal = m_mainPage[0].get();
        set.over = m_mainPage[1].get();
        set.down = m_mainPage[2].get();
        MaskAndShape maskAndShape = m_mainMask.get();
        set.mask = maskAndShape.mask;
        m_pages[0] = std::move(set);
        m_loaded[0] = true;
        // The main page's mask is the window's mask.
        mask = m_pages[0].mask;
        maskRegion = maskAndShape.shape;
    }
}

void MainWindowSkin::beginOtherPages() {
    for (std::size_t i = 1; i < kPagePrefixes.size(); ++i) {
        if (m_loaded[i] || m_otherPages[i].valid()) {
            continue;
        }
        m_otherPages[i] =
            std::async(std::launch::async,
                       [folder = m_skinsDir, prefix = kPagePrefixes[i], scale = pictureScale] {
                           return PictureSet::load(folder, prefix, scale);
                       });
    }
}

const PictureSet& MainWindowSkin::page(int index) {
    const auto i = static_cast<std::size_t>(std::clamp(index, 0, 3));
    if (i == 0) {
        finishLoading();
    }
    if (!m_loaded[i]) {
        m_pages[i] = m_otherPages[i].valid()
                         ? m_otherPages[i].get()
                         : PictureSet::load(m_skinsDir, kPagePrefixes[i], pictureScale);
        m_loaded[i] = true;
        if (i == 1) {
            advancedUnavailable = readFull(m_skinsDir + "/advanced_off.jpg", pictureScale);
        }
        if (i == kPagePrefixes.size() - 1) {
            lightingUnused = readFull(m_skinsDir + "/led_null.jpg", pictureScale);
            lightingAltMode = readFull(m_skinsDir + "/new_down.jpg", pictureScale);
        }
    }
    return m_pages[i];
}

} // namespace zel
