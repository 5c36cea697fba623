// Renders every window and page of the data set to PNG in three looks: at rest, with
// one element hovered and with one element pressed, with the labels of the chosen
// language drawn as the windows draw them.
// Usage: zel_skinrender <AppDir> <output folder> [language index]
#include "common/GuardedMain.h"
#include "platform/ini/IniStore.h"
#include "presentation/FontBook.h"
#include "presentation/LanguagePack.h"
#include "presentation/LanguageSwitch.h"
#include "presentation/LayoutElements.h"
#include "ui/SkinSurface.h"
#include "ui/WarningDlg.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>

#include <cstdio>

namespace {

using namespace zel;
namespace elements = zel::layout;

/// The profile and profile-tool captions are centred over their tile and the space below.
constexpr int kProfileCaptionExtra = 100;
constexpr int kToolCaptionExtra = 75;
/// The sound-lighting caption runs on to the right below its button.
constexpr int kSoundCaptionIndent = 5;
constexpr int kSoundCaptionGap = 2;

struct Target {
    const char* name;
    SkinFile file;
    const char* prefix;
    int lastHit;
    int hover; ///< the element shown hovered and pressed
};

bool save(const QImage& img, const QString& path) {
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage composePage(const SkinSurface& page, const SkinSurface* frame, int hot, bool pressed,
                   const QFont& font) {
    QImage img = page.pictures().normal.convertToFormat(QImage::Format_RGB32);
    if (hot != SkinSurface::kNone) {
        composeArea(img, pressed ? page.pictures().down : page.pictures().over,
                    page.layout().area(hot));
    }
    auto labels = [&](const SkinLayout& layout, int first, int last) {
        const bool mainLayout = frame != nullptr && &layout == &frame->layout();
        for (int i = first; i <= last && i < static_cast<int>(layout.areas.size()); ++i) {
            Area a = layout.area(i);
            const QString text = QString::fromStdString(a.label);
            // The main layout's own text placements: profiles and the profile tools below
            // their icons, the sound-lighting caption under its button.
            namespace main = elements::skin_main;
            if (mainLayout && i == main::kHelp) {
                continue; // its text names the guide it opens, not a caption
            }
            if (mainLayout && i >= main::kProfileFirst && i <= main::kReset) {
                const int extra = i < main::kProfileFirst + main::kProfileCount
                                      ? kProfileCaptionExtra
                                      : kToolCaptionExtra;
                a.y += (extra) / 2;
            } else if (mainLayout && i == main::kSoundLighting && !a.empty() && !text.isEmpty()) {
                QPainter p(&img);
                p.setFont(font);
                p.setPen(Qt::white);
                p.drawText(QPoint(a.x + kSoundCaptionIndent,
                                  a.y + a.height + kSoundCaptionGap + QFontMetrics(font).ascent()),
                           text);
                continue;
            }
            SkinSurface::drawCentred(img, a, text, font, Qt::white);
        }
    };
    if (frame != nullptr) {
        labels(frame->layout(), 0, elements::skin_main::kFrameLast);
    }
    const bool framePage = frame != nullptr && &page == frame;
    labels(page.layout(), framePage ? elements::skin_main::kFrameLast + 1 : 0,
           static_cast<int>(page.layout().areas.size()) - 1);
    return img;
}

int run(const std::string& appDir, const QString& out, int language) {
    ini::IniStore store;
    const std::string skins = appDir + "/skins";
    const std::string langDir = languageDir(skins, language);
    LanguagePack pack;
    pack.load(store, langDir, nullptr);
    FontBook fonts;
    fonts.buildFonts(1.0, pack, language, skins, nullptr);
    const QFont font = fonts.selectFont(2, language);
    QDir().mkpath(out);

    const Target targets[] = {
        {"main", SkinFile::Main, "main", elements::skin_main::kLastHit,
         elements::skin_main::kButtonLabelFirst},
        {"advanced", SkinFile::Advance, "advanced", elements::skin_advance::kLastHit,
         elements::skin_advance::kDpiRowFirst},
        {"mac", SkinFile::Mac, "mac", elements::skin_mac::kLastHit, elements::skin_mac::kRecord},
        {"led", SkinFile::Color, "led", elements::skin_color::kLastHit,
         elements::skin_color::kEffect},
        {"keyset", SkinFile::KeySet, "keyset", elements::skin_keyset::kLastHit,
         elements::skin_keyset::kOk},
        {"combinationKey", SkinFile::ShortCut, "combinationKey", elements::skin_shortcut::kLastHit,
         elements::skin_shortcut::kModifierFirst},
        {"gun", SkinFile::Gun, "gun", elements::skin_gun::kLastHit, elements::skin_gun::kSave},
        {"sound", SkinFile::Sound, "sound", elements::skin_sound::kLastHit,
         elements::skin_sound::kModeFirst},
    };
    SkinSurface frame;
    {
        SkinLayout main;
        loadSkin(store, langDir, SkinFile::Main, main, {});
        frame.setLayout(main, elements::skin_main::kLastHit);
    }
    bool ok = true;
    for (const Target& t : targets) {
        SkinSurface page;
        page.setPictures(PictureSet::load(skins, std::string("/") + t.prefix));
        SkinLayout layout;
        loadSkin(store, langDir, t.file, layout, {});
        page.setLayout(layout, t.lastHit);
        const bool mainWindow = t.file == SkinFile::Main || t.file == SkinFile::Advance ||
                                t.file == SkinFile::Mac || t.file == SkinFile::Color;
        const SkinSurface* f = mainWindow ? &frame : nullptr;
        if (t.file == SkinFile::Main) {
            f = &page;
        }
        const QString base = out + "/" + t.name;
        ok &= save(composePage(page, f, SkinSurface::kNone, false, font), base + "_normal.png");
        ok &= save(composePage(page, f, t.hover, false, font), base + "_hover.png");
        ok &= save(composePage(page, f, t.hover, true, font), base + "_pressed.png");
    }
    // The lighting page with every control covered, and its alternate mode.
    {
        SkinLayout led;
        loadSkin(store, langDir, SkinFile::Color, led, {});
        QImage img(QString::fromStdString(skins + "/led_normal.jpg"));
        img = img.convertToFormat(QImage::Format_RGB32);
        const QImage null(QString::fromStdString(skins + "/led_null.jpg"));
        namespace colour = elements::skin_color;
        for (int e :
             {colour::kCoverBrightness, colour::kCoverColours, colour::kCoverDirection,
              colour::kDirectionFirst + colour::kDirectionCount - 1, colour::kCoverReaction}) {
            composeArea(img, null, led.area(e));
        }
        ok &= save(img, out + "/led_effect0_covers.png");
        QImage alt(QString::fromStdString(skins + "/led_normal.jpg"));
        alt = alt.convertToFormat(QImage::Format_RGB32);
        namespace colour = elements::skin_color;
        composeArea(alt, QImage(QString::fromStdString(skins + "/led_down.jpg")),
                    led.area(colour::kAltModeTab));
        composeArea(alt, QImage(QString::fromStdString(skins + "/new_down.jpg")),
                    led.area(colour::kAltModePanel));
        for (int e : {colour::kTitle, colour::kHint, colour::kAltModeTextFirst,
                      colour::kAltModeTextFirst + 1, colour::kAltModeTextFirst + 2,
                      colour::kAltModeTextFirst + 3, colour::kAltModeTextFirst + 4}) {
            SkinSurface::drawCentred(alt, led.area(e), QString::fromStdString(led.area(e).label),
                                     font, Qt::white);
        }
        ok &= save(alt, out + "/led_altmode.png");
    }
    // The warning box: at rest, hovering its first and its second button.
    {
        WarningSkin skin;
        skin.skinsDir = skins;
        skin.font = font;
        loadSkin(store, langDir, SkinFile::Warning, skin.layout, {});
        WarningDlg box(skin, WarningRequest{pack.tipText(Tip::KeepLeftClick), 2, 0, {}});
        box.show();
        ok &= save(box.compose(), out + "/warning_normal.png");
        const Area& okButton = box.rect(elements::lb_warning::kOk);
        const Area& closeButton = box.rect(elements::lb_warning::kClose);
        QMouseEvent move(QEvent::MouseMove, QPointF(okButton.x + 5, okButton.y + 5), QPointF(),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &move);
        ok &= save(box.compose(), out + "/warning_hover.png");
        QMouseEvent move2(QEvent::MouseMove, QPointF(closeButton.x + 5, closeButton.y + 5),
                          QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &move2);
        ok &= save(box.compose(), out + "/warning_hover2.png");
    }
    // Menus with their rows, and the per-language pictures.
    for (const char* m : {"menu1", "menu2", "led_menu", "menu", "MacMenu/Insert", "MacMenu/MacG"}) {
        for (const char* look : {"normal", "over", "down"}) {
            QImage img(QString::fromStdString(skins + "/" + m + "_" + look + ".jpg"));
            ok &=
                save(img, out + "/" + QString::fromUtf8(m).replace('/', '_') + "_" + look + ".png");
        }
    }
    ok &= save(QImage(QString::fromStdString(langDir + "/ver_over.jpg")), out + "/ver_over.png");
    ok &= save(QImage(QString::fromStdString(langDir + "/zhi.png")), out + "/zhi.png");
    ok &= save(QImage(QString::fromStdString(skins + "/Gun/1.jpg")), out + "/gun_picture_1.png");
    return ok ? 0 : 1;
}

int runProgram(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: zel_skinrender <AppDir> <output folder> [language]\n");
        return 2;
    }
    return run(argv[1], QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 1);
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel_skinrender", [&] { return runProgram(argc, argv); });
}
