#pragma once

#include "common/WarningSink.h"
#include "presentation/LanguagePack.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <array>
#include <future>
#include <map>
#include <optional>
#include <string>

namespace zel {

/// Base font size B (tenths of a point) for a display scale (logical pixels per inch
/// divided by 96): 1.0 → 87, 1.25 → 63, 1.5 → 53, 1.75 and 2.0 → 43, 2.0 < s < 3.0 → 30,
/// 3.0 → 20, any other scale → 10.
int baseFontSize(double scale);

/// The Windows-equivalent scale of a screen: Qt keeps logical DPI at 96 and moves desktop
/// scaling into the device pixel ratio, so both enter.
double displayScale(double logicalDpiX, double devicePixelRatio);

/// Which size row a font set uses.
enum class FontSetKind { PackFace, SystemFace, Embedded };

/// Sizes of roles 1..5 (index 0..4) in tenths of a point for base size `base`.
std::array<int, 5> fontSizes(FontSetKind kind, int base);

/// Where the two embedded faces come from (Qt resources compiled into the program).
struct EmbeddedFontSources {
    QString roboto = QStringLiteral(":/zel/fonts/Roboto-Regular.ttf");
    QString cairo = QStringLiteral(":/zel/fonts/NotoKufiArabic-Regular.ttf");
};

/// Maps the Windows face names the packs and drawing use ("微软雅黑", "Arial", "Cairo")
/// to the faces this system carries. Safe to call repeatedly.
void installFontSubstitutions();

/// The five font roles of drawing, built per screen scale and language pack.
/// Starts reading the system's font configuration on a thread of its own. It is the
/// longest single step before the first text can be drawn and needs nothing of Qt, so
/// the program starts it first thing; `FontBook` waits for it before it reads the font
/// database.
std::shared_future<void> beginSystemFontConfiguration();

class FontBook {
public:
    explicit FontBook(EmbeddedFontSources sources = {});

    /// Builds the fonts: B from `scale`; a non-zero `fontFlag` installs the pack's font file
    /// (`skinsDir` + `font`) and makes the main set of face `fontName`; an absent flag
    /// builds the embedded sets once (embedded mode); otherwise the main set is made of a
    /// system face ("微软雅黑" for languages 0 and 12, "Arial" for the others). An embedded
    /// face that cannot be installed warns Tip::OperationFailed; its set is still made.
    void buildFonts(double scale, const LanguagePack& pack, int language,
                    const std::string& skinsDir, WarningSink* warnings);
    /// As `buildFonts`, but the font database is read and the faces are installed on
    /// another thread while the caller goes on; the fonts can be selected at once, and
    /// `finishBuildFonts` (before the first text is drawn) waits and gives the warnings.
    void beginBuildFonts(double scale, const LanguagePack& pack, int language,
                         const std::string& skinsDir, WarningSink* warnings);
    void finishBuildFonts();
    /// The system font configuration being read (see `beginSystemFontConfiguration`).
    void setSystemFontConfiguration(std::shared_future<void> configuration) {
        m_systemConfiguration = std::move(configuration);
    }

    /// The font of role 1..5 for drawing in `language` (role outside 1..5: role 2).
    QFont selectFont(int role, int language) const;

    /// Drops the main set (before a rebuild after a language change by menu).
    void dropMainSet() { m_main.reset(); }

    bool embeddedMode() const { return m_embedded; }
    bool hasMainSet() const { return m_main.has_value(); }
    int baseSize() const { return m_base; }
    /// The family and sizes of the main set, when there is one (tests, diagnostics).
    std::optional<std::array<QFont, 5>> mainSet() const { return m_main; }

private:
    using FontSet = std::array<QFont, 5>;
    static FontSet makeSet(const QString& family, FontSetKind kind, int base);
    /// Installs `faces` and reads the font database on another thread, after the system
    /// configuration; the faces that fail count as warnings when `reportFailures`.
    void prepareDatabase(QStringList faces, bool reportFailures);

    EmbeddedFontSources m_sources;
    std::future<int> m_ready; ///< the faces that could not be installed
    std::shared_future<void> m_systemConfiguration;
    WarningSink* m_warnings = nullptr;
    bool m_embedded = false;
    int m_base = 87;
    std::optional<FontSet> m_main;
    std::map<QString, FontSet>
        m_embeddedSets; ///< "Roboto", "Cairo", "Arial", "微软雅黑", "微软雅黑#2"
};

} // namespace zel
