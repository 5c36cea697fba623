#pragma once

#include <QWidget>

#include <optional>
#include <string>

class QTextBrowser;
class QUrl;

namespace zel {

/// The file the help element's text names for a language: an absolute path as it is, a
/// relative one inside the language folder, or, when that language has no such file,
/// inside the fallback folder (the English one). Nothing when neither exists.
std::optional<std::string> findGuide(const std::string& document, const std::string& languageDir,
                                     const std::string& fallbackDir);

/// The help element's text is a web address (opened by the desktop's browser).
bool isWebAddress(const std::string& document);

/// The user guide: a plain window (not modal) with the guide's HTML in the skins' dark
/// look. Links to the guide's own pages open in it; web addresses go to the desktop's
/// browser. The program keeps one and shows it again for every press of the help element.
class GuideWindow final : public QWidget {
public:
    explicit GuideWindow(QWidget* parent = nullptr);

    /// Shows `file` (an HTML file) and brings the window to the front.
    void showGuide(const std::string& file);
    /// The file shown (after following links), empty before the first one.
    std::string shownFile() const;
    QTextBrowser* browser() const { return m_browser; }

private:
    void follow(const QUrl& link);

    QTextBrowser* m_browser;
};

} // namespace zel
