// Every text the windows draw fits its element with a little room to spare, in each
// shipped language at device pixel ratios 1 and 2: the labels of every layout file and the
// texts the program puts into elements at run time (function names, effect and reaction
// names, widest values, the Apply outcomes). The main window hands over its texts through
// the same placement it draws them with, so what is measured is what is drawn.
#include "AppFixture.h"
#include "TextInk.h"

#include "presentation/LayoutElements.h"
#include "presentation/PictureCache.h"
#include "ui/SoundWave.h"
#include "ui/pages/ButtonsPage.h"
#include "ui/pages/LightingLogic.h"
#include "ui/pages/PagePainting.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace zel::test {
namespace {

constexpr std::array<qreal, 2> kRatios = {1.0, 2.0};
/// Room kept free inside each side of an element: a text touching its border fails.
constexpr qreal kMargin = 2.0;
/// How far the middle of a centred text may lie from the middle of its rectangle.
constexpr qreal kCentreTolerance = 1.5;
constexpr int kTextFontRole = 2;

/// A text ending in a space or a full-width colon or stop (the warning texts that a name
/// follows): the end has no ink, so the ink of a correctly centred text lies left of the
/// middle.
bool endsInBlank(const QString& text) {
    const char16_t last = text.isEmpty() ? u'x' : text.back().unicode();
    return last == u' ' || (last >= 0x3000 && last <= 0x303F) || (last >= 0xFF01 && last <= 0xFF1F);
}

/// One text as a window places it.
struct Placed {
    std::string file;
    int element = 0;
    Area area;
    QString text;
    TextPlacement placement;
};

/// Measures texts and keeps one line for each one that does not fit or is not centred.
class FitCheck {
public:
    FitCheck(int language, const QFont& font) : m_language(language), m_font(font) {}

    void check(const Placed& t) {
        if (t.text.isEmpty() || t.area.empty()) {
            return;
        }
        // The frame's texts come again with every state of a page: each is measured once.
        const auto key =
            std::make_tuple(t.area.x, t.area.y, t.area.width, t.area.height, t.text.toStdString(),
                            t.placement.dx, t.placement.extraHeight, t.placement.leftAligned,
                            t.placement.rightAligned, t.placement.inset);
        if (!m_seen.insert(key).second) {
            return;
        }
        const QRect rect = textRect(t.area, t.placement);
        const int flags = textFlags(t.placement);
        for (const qreal dpr : kRatios) {
            ++m_measured;
            const QRectF ink = inkOf(t.text, m_font, rect, flags, dpr);
            if (ink.isNull()) {
                continue;
            }
            // The element's own rectangle, less the margin; a shifted text keeps to it too.
            const QRectF room = QRectF(t.area.x, t.area.y, t.area.width, t.area.height)
                                    .adjusted(kMargin, kMargin, -kMargin, -kMargin);
            const qreal overLeft = room.left() - ink.left();
            const qreal overRight = ink.right() - room.right();
            const qreal overTop = room.top() - ink.top();
            const qreal overBottom = ink.bottom() - room.bottom();
            std::ostringstream where;
            where << t.file << " element " << t.element << " language " << m_language << " scale "
                  << dpr << " \"" << t.text.toStdString() << "\"";
            if (overLeft > 0 || overRight > 0 || overTop > 0 || overBottom > 0) {
                where << ": over the margin by left " << overLeft << ", right " << overRight
                      << ", top " << overTop << ", bottom " << overBottom;
                m_failures.push_back(where.str());
            } else if (!t.placement.leftAligned && !t.placement.rightAligned &&
                       !endsInBlank(t.text)) {
                const qreal off = ink.center().x() - QRectF(rect).center().x();
                if (std::abs(off) > kCentreTolerance) {
                    where << ": centred text off the middle by " << off;
                    m_failures.push_back(where.str());
                }
            }
        }
    }

    int measured() const { return m_measured; }
    const std::vector<std::string>& failures() const { return m_failures; }

private:
    int m_language;
    QFont m_font;
    int m_measured = 0;
    std::vector<std::string> m_failures;
    std::set<std::tuple<int, int, int, int, std::string, int, int, bool, bool, int>> m_seen;
};

/// Collects the texts the main window draws now, by layout file and element.
std::vector<Placed> placedTexts(const CZEL_GMouseDlg& window, const MainWindowSkin& skin) {
    std::vector<Placed> texts;
    const std::array<std::pair<const SkinLayout*, const char*>, 4> files = {
        std::pair{&skin.main, "skin_main.ini"}, std::pair{&skin.advanced, "skin_advance.ini"},
        std::pair{&skin.macro, "skin_mac.ini"}, std::pair{&skin.lighting, "skin_color.ini"}};
    window.placeTexts(
        [&](const Area& area, const QString& text, const QColor&, TextPlacement placement) {
            // Name the element the text belongs to: the layout entry of the same place (the
            // sound caption lies below its button, so it is named by its text).
            Placed t{"?", -1, area, text, placement};
            for (const auto& [layout, name] : files) {
                for (std::size_t e = 0; e < layout->areas.size(); ++e) {
                    const Area& a = layout->areas[e];
                    if (!a.empty() && ((a.x == area.x && a.y == area.y) ||
                                       (!a.label.empty() && a.label == area.label))) {
                        t.file = name;
                        t.element = static_cast<int>(e);
                    }
                }
            }
            texts.push_back(t);
        });
    return texts;
}

} // namespace

class TextFitTest : public AppTest {};

TEST_F(TextFitTest, EveryTextOfTheMainWindowFitsItsElementInEachLanguageAndScale) {
    for (int language : {0, 1, 4}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        auto app = makeApp();
        ASSERT_TRUE(app->start());
        FitCheck fit(language, app->fonts().selectFont(kTextFontRole, language));
        CZEL_GMouseDlg* w = app->mainWindow();
        ProfileStore& store = app->profiles();
        SharedSettings& shared = store.shared;
        const int profile = app->core().state().currentProfile.load();
        ProfileSettings& current = store.profiles[static_cast<std::size_t>(profile)];
        const auto measure = [&] {
            for (const Placed& t : placedTexts(*w, app->skin())) {
                fit.check(t);
            }
        };
        const auto onPage = [&](PageId page) {
            w->pointer() = PointerState{};
            w->pointer().page = page;
        };

        // The buttons page with every function name on every button.
        onPage(PageId::MainPage);
        const SkinLayout& main = app->skin().main;
        for (int code = 0; code < 48; ++code) {
            if (!main.functionName(code).empty() && code != kCodeCombination) {
                current.buttonCode.fill(code);
                measure();
            }
        }
        current.buttonCode.fill(30000);
        measure();
        // The frame with each outcome of the last download on Apply.
        for (int outcome = 0; outcome < 8; ++outcome) {
            app->core().state().applyOutcome = outcome;
            measure();
        }
        app->core().state().applyOutcome = 0;

        // The advanced page with its widest values: the slider ends and the highest DPI.
        onPage(PageId::AdvancedPage);
        for (const auto& [speed, fire, step] : {std::tuple{11, 300, 16}, std::tuple{1, 8, 0}}) {
            shared.dpiSpeed = static_cast<std::uint8_t>(speed);
            shared.wheelSpeed = static_cast<std::uint8_t>(speed);
            shared.fireTime = fire;
            shared.dpiValueIndex.fill(static_cast<std::uint8_t>(step));
            measure();
        }

        onPage(PageId::MacroPage);
        measure();

        // The lighting page with each effect, and with each reaction on every button.
        onPage(PageId::LightingPage);
        const LanguagePack& pack = app->core().pack();
        for (int effect = 0; effect < static_cast<int>(pack.effectNames().size()); ++effect) {
            shared.ledType = effect;
            measure();
        }
        shared.ledType = kReactionEffect;
        for (int type = 0; type < static_cast<int>(pack.reactionNames().size()); ++type) {
            current.reactType.fill(type);
            measure();
        }
        shared.lightMode = 1;
        measure();
        shared.lightMode = 0;

        EXPECT_GT(fit.measured(), 200);
        EXPECT_EQ(fit.failures(), std::vector<std::string>{});
        app->shutDown();
    }
}

// The labels of the dialogs (drawn centred in their elements), the warning texts in the
// warning box and the captions of the sound window's pattern choices (centred below them).
TEST_F(TextFitTest, EveryLabelOfTheDialogsFitsItsElementInEachLanguageAndScale) {
    const std::map<SkinFile, const char*> dialogs = {{SkinFile::Warning, "LBWarning.ini"},
                                                     {SkinFile::KeySet, "skin_keyset.ini"},
                                                     {SkinFile::ShortCut, "skin_shortcut.ini"},
                                                     {SkinFile::Gun, "skin_gun.ini"},
                                                     {SkinFile::Sound, "skin_sound.ini"}};
    for (const auto& [language, folder] :
         {std::pair{0, "/0_INI_CN"}, std::pair{1, "/1_INI_EN"}, std::pair{4, "/4_INI_DE"}}) {
        ini::IniStore ini;
        ini.write(appDir.appDir() + "/skins/config/config.ini", "Init", "VER_SEL",
                  std::to_string(language));
        auto app = makeApp();
        ASSERT_TRUE(app->start());
        const QFont font = app->fonts().selectFont(kTextFontRole, language);
        FitCheck fit(language, font);
        for (const auto& [file, name] : dialogs) {
            SkinLayout layout;
            ini::IniStore store;
            ASSERT_EQ(loadSkin(store, appDir.appDir() + "/skins" + folder, file, layout, {}),
                      LoadStatus::Ok);
            for (std::size_t e = 0; e < layout.areas.size(); ++e) {
                const Area& a = layout.areas[e];
                const bool modeCaption = file == SkinFile::Sound &&
                                         static_cast<int>(e) >= kSoundModeBar &&
                                         static_cast<int>(e) <= kSoundModeTempo;
                const Area room =
                    modeCaption ? SoundWave::captionArea(a, QFontMetrics(font).height()) : a;
                fit.check(
                    Placed{name, static_cast<int>(e), room, QString::fromStdString(a.label), {}});
            }
            // The warning box shows each warning text on one line in its message element.
            if (file == SkinFile::Warning) {
                const Area& message = layout.area(layout::lb_warning::kMessage);
                for (int entry = 1; entry < kTextEntries; ++entry) {
                    fit.check(Placed{
                        name,
                        layout::lb_warning::kMessage,
                        message,
                        QString::fromStdString(app->core().pack().text(TextTable::TipText, entry)),
                        {}});
                }
            }
        }
        EXPECT_GT(fit.measured(), 40);
        EXPECT_EQ(fit.failures(), std::vector<std::string>{});
        app->shutDown();
    }
}

// The sound-lighting button's caption lies below the button, centred on it.
TEST(TextPlacement, SoundCaptionIsCentredBelowItsButton) {
    const Area button{784, 540, 40, 40, "x"};
    const Area caption = ButtonsPage::soundCaptionArea(button);
    EXPECT_EQ(caption.x * 2 + caption.width, button.x * 2 + button.width);
    EXPECT_GT(caption.y, button.y + button.height - 1);
    EXPECT_GE(caption.width, button.width);
    // A right-aligned text keeps its inset from the right edge.
    const QRect r = textRect(Area{100, 10, 64, 26, ""}, {0, 0, false, true, 6});
    EXPECT_EQ(r.right() + 1, 100 + 64 - 6);
    EXPECT_EQ(textFlags({0, 0, false, true, 6}) & Qt::AlignRight, Qt::AlignRight);
}

} // namespace zel::test
