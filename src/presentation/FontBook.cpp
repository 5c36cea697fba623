#include "presentation/FontBook.h"

#include "platform/ini/IniText.h"

#include <QFontDatabase>
#include <QStringList>

#include <cmath>
#include <fontconfig/fontconfig.h>

namespace zel {

namespace {

const QString kYaHei = QStringLiteral("微软雅黑");
const QString kYaHeiSecond = QStringLiteral("微软雅黑#2");
const QString kArial = QStringLiteral("Arial");
const QString kRoboto = QStringLiteral("Roboto");
const QString kCairo = QStringLiteral("Cairo");

void waitFor(const std::shared_future<void>& configuration) {
    if (configuration.valid()) {
        configuration.wait();
    }
}

bool near(double a, double b) {
    return std::fabs(a - b) < 1e-9;
}

} // namespace

int baseFontSize(double s) {
    if (near(s, 1.0)) {
        return 87;
    }
    if (near(s, 1.25)) {
        return 63;
    }
    if (near(s, 1.5)) {
        return 53;
    }
    if (near(s, 1.75) || near(s, 2.0)) {
        return 43;
    }
    if (s > 2.0 && s < 3.0) {
        return 30;
    }
    if (near(s, 3.0)) {
        return 20;
    }
    return 10;
}

double displayScale(double logicalDpiX, double devicePixelRatio) {
    return logicalDpiX / 96.0 * devicePixelRatio;
}

std::array<int, 5> fontSizes(FontSetKind kind, int base) {
    switch (kind) {
    case FontSetKind::PackFace:
        return {base + 5, base + 10, base + 30, base + 40, base + 50};
    case FontSetKind::SystemFace:
        return {base + 5, base + 5, base + 30, base + 40, base + 50};
    case FontSetKind::Embedded:
        return {base + 5, base + 5, base + 10, base + 40, base + 50};
    }
    return {};
}

void installFontSubstitutions() {
    QFont::insertSubstitutions(kYaHei, QStringList{QStringLiteral("Microsoft YaHei"),
                                                   QStringLiteral("WenQuanYi Micro Hei")});
    QFont::insertSubstitutions(kArial, QStringList{QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(kCairo, QStringList{QStringLiteral("Noto Kufi Arabic")});
}

std::shared_future<void> beginSystemFontConfiguration() {
    return std::async(std::launch::async, [] { static_cast<void>(FcInit()); }).share();
}

FontBook::FontBook(EmbeddedFontSources sources) : m_sources(std::move(sources)) {}

FontBook::FontSet FontBook::makeSet(const QString& family, FontSetKind kind, int base) {
    FontSet set;
    const auto sizes = fontSizes(kind, base);
    for (std::size_t i = 0; i < set.size(); ++i) {
        QFont f(family);
        f.setPointSizeF(sizes[i] / 10.0);
        set[i] = f;
    }
    return set;
}

void FontBook::buildFonts(double scale, const LanguagePack& pack, int language,
                          const std::string& skinsDir, WarningSink* warnings) {
    beginBuildFonts(scale, pack, language, skinsDir, warnings);
    finishBuildFonts();
}

void FontBook::beginBuildFonts(double scale, const LanguagePack& pack, int language,
                               const std::string& skinsDir, WarningSink* warnings) {
    finishBuildFonts();
    installFontSubstitutions();
    m_base = baseFontSize(scale);
    m_warnings = warnings;
    // Reading the system's font list and installing faces takes longer than anything
    // else before the first text is drawn; it runs beside the rest of start-up. Every
    // call of QFontDatabase is thread-safe.
    const std::string& flag = pack.fontFlag();
    if (ini::leadingInt(flag) != 0) {
        // A missing pack font file is not reported; the face is requested all the same.
        prepareDatabase({QString::fromStdString(skinsDir + pack.fontFile())}, false);
        m_main = makeSet(QString::fromStdString(pack.fontName()), FontSetKind::PackFace, m_base);
        return;
    }
    if (flag.empty() && !m_embedded) {
        prepareDatabase({m_sources.roboto, m_sources.cairo}, true);
        m_embeddedSets[kRoboto] = makeSet(kRoboto, FontSetKind::Embedded, m_base);
        m_embeddedSets[kCairo] = makeSet(kCairo, FontSetKind::Embedded, m_base);
        m_embeddedSets[kArial] = makeSet(kArial, FontSetKind::Embedded, m_base);
        m_embeddedSets[kYaHei] = makeSet(kYaHei, FontSetKind::Embedded, m_base);
        m_embeddedSets[kYaHeiSecond] = makeSet(kYaHei, FontSetKind::Embedded, m_base);
        m_embedded = true;
        return;
    }
    prepareDatabase({}, false);
    const QString face = (language == 0 || language == 12) ? kYaHei : kArial;
    m_main = makeSet(face, FontSetKind::SystemFace, m_base);
}

void FontBook::prepareDatabase(QStringList faces, bool reportFailures) {
    m_ready = std::async(std::launch::async, [faces = std::move(faces), reportFailures,
                                              configuration = m_systemConfiguration] {
        waitFor(configuration);
        int failures = 0;
        for (const QString& face : faces) {
            if (QFontDatabase::addApplicationFont(face) < 0 && reportFailures) {
                ++failures;
            }
        }
        static_cast<void>(QFontDatabase::families());
        return failures;
    });
}

void FontBook::finishBuildFonts() {
    if (!m_ready.valid()) {
        return;
    }
    const int failures = m_ready.get();
    for (int i = 0; i < failures && m_warnings != nullptr; ++i) {
        m_warnings->warn(Tip::OperationFailed);
    }
}

QFont FontBook::selectFont(int role, int language) const {
    if (role < 1 || role > 5) {
        role = 2;
    }
    const auto index = static_cast<std::size_t>(role - 1);
    if (m_embedded) {
        QString set = kArial;
        if (language == 1) {
            set = kRoboto;
        } else if (language == 0 || language == 19) {
            set = kYaHei;
        } else if (language == 13) {
            set = kCairo;
        } else if (language == 12) {
            set = kYaHeiSecond;
        }
        const auto it = m_embeddedSets.find(set);
        if (it != m_embeddedSets.end()) {
            return it->second[index];
        }
    }
    if (m_main) {
        return (*m_main)[index];
    }
    // No set built yet: a font of the system face at the system-face size.
    return makeSet(language == 0 || language == 12 ? kYaHei : kArial, FontSetKind::SystemFace,
                   m_base)[index];
}

} // namespace zel
