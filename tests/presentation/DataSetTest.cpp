// Loads every shipped language pack and layout file and checks them against what the
// windows need: entry counts, every element with a role placed inside its window and
// not shadowed in hit-test order, and every picture the layouts need at its size.
#include "presentation/LanguagePack.h"
#include "presentation/LayoutElements.h"
#include "presentation/PictureCache.h"
#include "presentation/SkinLayout.h"

#include "GuiApp.h"
#include "TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace zel {
namespace {

const std::vector<std::string> kLanguageFolders = {"/0_INI_CN", "/1_INI_EN", "/4_INI_DE"};

std::string skinsDir() {
    return test::builtAppDir() + "/skins";
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) {
        v.push_back(i);
    }
    return v;
}

std::vector<int> join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> v;
    for (const auto& p : parts) {
        v.insert(v.end(), p.begin(), p.end());
    }
    return v;
}

// The shipped model has eight buttons (KeyNum 8).
constexpr int kKeyNum = 8;

struct WindowRoles {
    SkinFile file;
    QSize size;
    int lastHit;            ///< hit-test range 0..lastHit
    std::vector<int> roles; ///< elements that act or show something
};

std::vector<WindowRoles> windows() {
    return {
        {SkinFile::Main,
         {1000, 700},
         74,
         join({range(0, 4),
               range(6, 17),
               {19},
               range(20, 19 + kKeyNum),
               {31, 32},
               range(35, 34 + kKeyNum),
               {46, 47, 48, 49}})},
        {SkinFile::Advance,
         {1000, 700},
         137,
         join({{1, 2, 18, 19, 31, 32},
               range(34, 41),
               range(47, 52),
               range(60, 66),
               range(70, 75),
               range(77, 82)})},
        {SkinFile::Mac, {1000, 700}, 19, join({range(4, 8), range(10, 16)})},
        {SkinFile::Color,
         {1000, 700},
         70,
         join({range(0, 14),
               {17, 19, 35, 40, 41, 45},
               range(47, 50),
               range(51, 50 + kKeyNum),
               range(61, 60 + kKeyNum),
               range(71, 75),
               {78}})},
        {SkinFile::Warning, {400, 200}, 1, range(0, 4)},
        {SkinFile::KeySet, {360, 200}, 3, range(0, 3)},
        {SkinFile::ShortCut, {480, 330}, 13, range(0, 9)},
        {SkinFile::Gun, {560, 400}, 13, join({range(0, 6), range(8, 12)})},
        {SkinFile::Sound, {520, 320}, 11, join({{2, 3, 4, 9, 10}, range(13, 48)})},
    };
}

bool overlaps(const Area& a, const Area& b) {
    return !a.empty() && !b.empty() && a.x < b.x + b.width && b.x < a.x + a.width &&
           a.y < b.y + b.height && b.y < a.y + a.height;
}

bool inside(const Area& a, const QSize& size) {
    return a.x >= 0 && a.y >= 0 && a.x + a.width <= size.width() && a.y + a.height <= size.height();
}

Area fromCorner(const CornerRect& c) {
    return {c.left, c.top, c.right - c.left, c.bottom - c.top, ""};
}

class DataSet : public ::testing::TestWithParam<std::string> {};

TEST_P(DataSet, LanguagePackHasEveryText) {
    ini::IniStore store;
    LanguagePack pack;
    test::RecordingMessageSink messages;
    ASSERT_TRUE(pack.load(store, skinsDir() + GetParam(), &messages));
    EXPECT_TRUE(messages.messages.empty());
    // Every warning the program can show has a text, so no warning box comes up empty.
    for (const Tip tip : kAllTips) {
        EXPECT_FALSE(pack.tipText(tip).empty())
            << "TipText " << tipNumber(tip) << " (" << tipName(tip) << ")";
    }
    for (int n : join({range(1, 8), range(10, 22), {32, 34, 35, 36, 37, 39, 40}})) {
        EXPECT_FALSE(pack.text(TextTable::DevMac, n).empty()) << "UniqueName_DevMac " << n;
    }
    for (int n : range(1, 15)) {
        EXPECT_FALSE(pack.text(TextTable::Led, n).empty()) << "UniqueName_LED " << n;
    }
    for (int n : {1, 6, 7, 8, 9, 11, 12, 13, 14, 17, 20, 21}) {
        EXPECT_FALSE(pack.text(TextTable::Other, n).empty()) << "UniqueName_Other " << n;
    }
    for (int n : range(1, 11)) {
        EXPECT_FALSE(pack.text(TextTable::MouseKey, n).empty()) << "UniqueName_MouseKey " << n;
    }
    EXPECT_FALSE(pack.text(TextTable::ShortCut, 1).empty());
    EXPECT_FALSE(pack.text(TextTable::ShortCut, 2).empty());
    // No font flag: the program uses its embedded faces.
    EXPECT_TRUE(pack.fontFlag().empty());
}

TEST_P(DataSet, LayoutsPlaceEveryElementWithARole) {
    ini::IniStore store;
    const std::string dir = skinsDir() + GetParam();
    SkinLayout mainLayout;
    for (const WindowRoles& w : windows()) {
        const SkinFileInfo& info = skinFileInfo(w.file);
        SCOPED_TRACE(info.fileName);
        test::RecordingWarningSink warnings;
        test::RecordingMessageSink messages;
        SkinLayout layout;
        ASSERT_EQ(loadSkin(store, dir, w.file, layout, {&warnings, &messages}, "x"),
                  LoadStatus::Ok);
        EXPECT_TRUE(warnings.warnings.empty());
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(static_cast<int>(layout.areas.size()), info.entries);
        const std::set<int> roles(w.roles.begin(), w.roles.end());
        for (int i : w.roles) {
            const Area& a = layout.area(i);
            EXPECT_FALSE(a.empty()) << "element " << i;
            EXPECT_TRUE(inside(a, w.size)) << "element " << i;
            if (i > w.lastHit) {
                continue;
            }
            for (int j = 0; j < i; ++j) {
                EXPECT_FALSE(overlaps(layout.area(j), a)) << "element " << i << " under " << j;
            }
        }
        if (w.file == SkinFile::Main) {
            mainLayout = layout;
            EXPECT_EQ(layout.functionName(0), "x");
            for (int code : join({range(1, 17), range(19, 33), {41}})) {
                EXPECT_FALSE(layout.functionName(code).empty()) << "function " << code;
            }
            EXPECT_FALSE(layout.functionName(30000).empty());
            EXPECT_EQ(layout.specialFunctions.size(), 7u); // 12..17 and 30000
            // Elements 50 .. KeyNum + 48 act as empty elements on the main page.
            for (int i = 50; i <= kKeyNum + 48; ++i) {
                EXPECT_TRUE(layout.area(i).empty()) << "element " << i;
            }
        } else if (w.lastHit >= 19 && w.size == QSize(1000, 700)) {
            // The frame elements 0..19 are hit-tested on every page beside the page's own.
            for (int i : w.roles) {
                for (int f = 0; f <= 19; ++f) {
                    EXPECT_FALSE(overlaps(mainLayout.area(f), layout.area(i)))
                        << "element " << i << " under frame element " << f;
                }
            }
        }
        if (w.file == SkinFile::Mac) {
            std::vector<Area> controls = {fromCorner(layout.edits[0])};
            for (const auto& c : layout.macroDisplays) {
                controls.push_back(fromCorner(c));
            }
            for (const Area& c : controls) {
                EXPECT_FALSE(c.empty());
                EXPECT_TRUE(inside(c, w.size));
                for (int i = 0; i < info.entries; ++i) {
                    EXPECT_FALSE(overlaps(c, layout.area(i))) << "control over element " << i;
                }
            }
        }
        if (w.file == SkinFile::Gun) {
            for (const auto& c : layout.edits) {
                EXPECT_FALSE(fromCorner(c).empty());
                EXPECT_TRUE(inside(fromCorner(c), w.size));
            }
        }
    }
}

TEST_P(DataSet, EveryLanguageSharesTheGeometryOfThePictures) {
    ini::IniStore store;
    for (const WindowRoles& w : windows()) {
        SkinLayout here;
        SkinLayout english;
        loadSkin(store, skinsDir() + GetParam(), w.file, here, {});
        loadSkin(store, skinsDir() + "/1_INI_EN", w.file, english, {});
        for (std::size_t i = 0; i < here.areas.size(); ++i) {
            const Area& a = here.areas[i];
            const Area& b = english.areas[i];
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height)
                << skinFileInfo(w.file).fileName << " element " << i;
        }
    }
}

TEST_P(DataSet, LanguagePictures) {
    test::ensureGuiApp();
    const std::string dir = skinsDir() + GetParam();
    // As wide as the language element the language list opens below.
    EXPECT_EQ(QImage(QString::fromStdString(dir + "/ver_normal.jpg")).size(), QSize(100, 30));
    EXPECT_EQ(QImage(QString::fromStdString(dir + "/ver_over.jpg")).size(), QSize(100, 30));
    const QImage zhi(QString::fromStdString(dir + "/zhi.png"));
    EXPECT_FALSE(zhi.isNull());
    EXPECT_TRUE(zhi.hasAlphaChannel());
}

// The help element names the language's user guide; every link of the guide leads to a
// place in it or to a file beside it, and its pictures are the pages at the window's size.
TEST_P(DataSet, TheHelpElementOpensAGuideWhoseLinksResolve) {
    test::ensureGuiApp();
    ini::IniStore store;
    const std::string dir = skinsDir() + GetParam();
    SkinLayout mainLayout;
    ASSERT_EQ(loadSkin(store, dir, SkinFile::Main, mainLayout, {}, "x"), LoadStatus::Ok);
    const std::string document = mainLayout.area(layout::skin_main::kHelp).label;
    ASSERT_FALSE(document.empty());
    const std::filesystem::path guide = std::filesystem::path(dir) / document;
    ASSERT_TRUE(std::filesystem::is_regular_file(guide)) << guide;
    const std::string html = test::readFile(guide);
    EXPECT_NE(html.find("<title>"), std::string::npos);

    const std::regex reference(R"re((href|src)="([^"]*)")re");
    int pictures = 0;
    int places = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), reference);
         it != std::sregex_iterator(); ++it) {
        const std::string target = (*it)[2].str();
        SCOPED_TRACE(target);
        ASSERT_FALSE(target.empty());
        if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) {
            continue;
        }
        if (target[0] == '#') {
            EXPECT_NE(html.find("name=\"" + target.substr(1) + "\""), std::string::npos);
            ++places;
            continue;
        }
        const std::filesystem::path file = guide.parent_path() / target.substr(0, target.find('#'));
        EXPECT_TRUE(std::filesystem::is_regular_file(file));
        if ((*it)[1].str() == "src") {
            EXPECT_EQ(QImage(QString::fromStdString(file.string())).size(), QSize(1000, 700));
            ++pictures;
        }
    }
    EXPECT_EQ(pictures, 4); // one of each page
    EXPECT_GE(places, 10);
}

INSTANTIATE_TEST_SUITE_P(Languages, DataSet, ::testing::ValuesIn(kLanguageFolders));

// The checks above run for every language the data set ships, so a pack added later
// cannot miss a warning text unnoticed.
TEST(DataSetFolders, EveryShippedLanguageIsChecked) {
    std::set<std::string> shipped;
    for (const auto& entry : std::filesystem::directory_iterator(skinsDir())) {
        if (entry.is_directory() &&
            entry.path().filename().string().find("_INI_") != std::string::npos) {
            shipped.insert("/" + entry.path().filename().string());
        }
    }
    EXPECT_EQ(shipped, std::set<std::string>(kLanguageFolders.begin(), kLanguageFolders.end()));
}

QSize sizeOf(const std::string& relative) {
    return QImage(QString::fromStdString(skinsDir() + relative)).size();
}

TEST(DataSetPictures, EveryWindowHasItsPicturesAtItsSize) {
    test::ensureGuiApp();
    const std::map<std::string, QSize> sets = {
        {"/main", {1000, 700}},          {"/advanced", {1000, 700}}, {"/mac", {1000, 700}},
        {"/led", {1000, 700}},           {"/warning", {400, 200}},   {"/keyset", {360, 200}},
        {"/combinationKey", {480, 330}}, {"/gun", {560, 400}},       {"/sound", {520, 320}}};
    for (const auto& [prefix, size] : sets) {
        for (const char* suffix : {"_normal.jpg", "_over.jpg", "_down.jpg"}) {
            EXPECT_EQ(sizeOf(prefix + suffix), size) << prefix << suffix;
        }
        if (prefix == "/main" || (prefix != "/advanced" && prefix != "/mac" && prefix != "/led")) {
            EXPECT_EQ(sizeOf(prefix + "_mask.jpg"), size) << prefix;
        }
    }
    EXPECT_EQ(sizeOf("/led_null.jpg"), QSize(1000, 700));
    EXPECT_EQ(sizeOf("/advanced_off.jpg"), QSize(1000, 700));
    EXPECT_EQ(sizeOf("/new_down.jpg"), QSize(1000, 700));
    EXPECT_FALSE(sizeOf("/moveRect.png").isEmpty());

    for (const char* prefix : {"/menu", "/menu1", "/menu2", "/Profile", "/led_menu", "/more",
                               "/Macro_menu", "/MacMenu/Insert", "/MacMenu/Insert2th",
                               "/MacMenu/Insert3th", "/MacMenu/MacG", "/MacMenu/MacR"}) {
        const QSize mask = sizeOf(std::string(prefix) + "_mask.jpg");
        EXPECT_FALSE(mask.isEmpty()) << prefix;
        for (const char* suffix : {"_normal.jpg", "_over.jpg", "_down.jpg"}) {
            EXPECT_EQ(sizeOf(std::string(prefix) + suffix), mask) << prefix << suffix;
        }
    }
    const QSize mask2 = sizeOf("/MacMenu/MacR_mask2.jpg");
    EXPECT_FALSE(mask2.isEmpty());
    for (const char* name :
         {"/MacMenu/MacR_normal2.jpg", "/MacMenu/MacR_over2.jpg", "/MacMenu/MacR_down2.jpg"}) {
        EXPECT_EQ(sizeOf(name), mask2) << name;
    }
    // First-level popups take rowHeight = mask height / 15: 30-pixel rows, the lighting
    // effect list 14 rows within its 405-pixel opening.
    EXPECT_EQ(sizeOf("/menu1_mask.jpg").height() / 15, 30);
    EXPECT_GE(14 * (sizeOf("/led_menu_mask.jpg").height() / 15), 400);

    ini::IniStore store;
    SkinLayout gun;
    loadSkin(store, skinsDir() + "/1_INI_EN", SkinFile::Gun, gun, {});
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(sizeOf("/Gun/" + std::to_string(i) + ".jpg"),
                  QSize(gun.area(4).width, gun.area(4).height))
            << i;
    }
}

TEST(DataSetPictures, EveryPictureHasATwinAtTwiceItsSize) {
    test::ensureGuiApp();
    int pictures = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(skinsDir());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        const auto& entry = *it;
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        // The user guide's pictures are pages for reading, not skin pictures.
        if (entry.is_directory() && name == "guide") {
            it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file() || (ext != ".jpg" && ext != ".png") ||
            name.find("@2x") != std::string::npos) {
            continue;
        }
        ++pictures;
        const std::string path = entry.path().string();
        const QString twin = scaledPicturePath(QString::fromStdString(path), 2);
        const QImage plain(QString::fromStdString(path));
        const QImage doubled(twin);
        ASSERT_FALSE(doubled.isNull()) << twin.toStdString();
        EXPECT_EQ(doubled.size(), plain.size() * 2) << twin.toStdString();
    }
    EXPECT_GT(pictures, 100);
}

bool outsideMask(QRgb c) {
    return qRed(c) > 100 && qGreen(c) > 100 && qBlue(c) > 100;
}

// The 2x masks are what a shaped window's edge is drawn against at 200 %: each one keeps
// the 1x shape (differing only on the 1x edge pixels) and has its picture's outline to
// the pixel (the picture's outside colour outside, the window's rim right inside).
TEST(DataSetPictures, MasksAtTwiceTheSizeFitTheirPicturesToThePixel) {
    test::ensureGuiApp();
    for (const char* prefix :
         {"/main", "/warning", "/keyset", "/combinationKey", "/gun", "/sound"}) {
        SCOPED_TRACE(prefix);
        const QImage mask1 = QImage(QString::fromStdString(skinsDir() + prefix + "_mask.jpg"))
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage mask2 = QImage(QString::fromStdString(skinsDir() + prefix + "_mask@2x.jpg"))
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage picture =
            QImage(QString::fromStdString(skinsDir() + prefix + "_normal@2x.jpg"))
                .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(mask2.size(), mask1.size() * 2);
        ASSERT_EQ(picture.size(), mask2.size());
        const auto inside1 = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < mask1.width() && y < mask1.height() &&
                   !outsideMask(mask1.pixel(x, y));
        };
        const auto inside2 = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < mask2.width() && y < mask2.height() &&
                   !outsideMask(mask2.pixel(x, y));
        };
        int offEdge = 0;
        int outsidePainted = 0;
        int rimBlank = 0;
        int rimPixels = 0;
        for (int y = 0; y < mask2.height(); ++y) {
            for (int x = 0; x < mask2.width(); ++x) {
                const bool in = inside2(x, y);
                const int px = x / 2;
                const int py = y / 2;
                const bool in1 = inside1(px, py);
                const bool on1Edge = inside1(px - 1, py) != in1 || inside1(px + 1, py) != in1 ||
                                     inside1(px, py - 1) != in1 || inside1(px, py + 1) != in1;
                offEdge += in != in1 && !on1Edge ? 1 : 0;
                const QRgb c = picture.pixel(x, y);
                const int brightest = std::max({qRed(c), qGreen(c), qBlue(c)});
                if (!in) {
                    // Outside is (10, 10, 10); JPEG noise stays well below the window's 22.
                    outsidePainted += brightest > 20 ? 1 : 0;
                } else if (!inside2(x - 1, y) || !inside2(x + 1, y) || !inside2(x, y - 1) ||
                           !inside2(x, y + 1)) {
                    // The window's rim: its outline is drawn right on the mask's edge.
                    ++rimPixels;
                    rimBlank += brightest < 17 ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(offEdge, 0);
        EXPECT_EQ(outsidePainted, 0);
        EXPECT_EQ(rimBlank, 0);
        EXPECT_GT(rimPixels, mask2.width() + mask2.height());
    }
}

} // namespace
} // namespace zel
