#include "ui/GuideWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace zel {

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 720;

/// The skins' colours: window background, panels, separators, accent, secondary text.
const char* const kStyle = "QWidget#GuideWindow { background: #161616; }"
                           "QTextBrowser { background: #161616; color: #FFFFFF; border: none;"
                           " selection-background-color: #07BCFF; selection-color: #000000; }"
                           "QScrollBar:vertical { background: #1E1E1E; width: 10px; margin: 0; }"
                           "QScrollBar::handle:vertical { background: #2C2C2C; min-height: 30px;"
                           " border-radius: 5px; }"
                           "QScrollBar::handle:vertical:hover { background: #07BCFF; }"
                           "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }";

/// The guide's text, whose pictures are scaled down smoothly: the pages are pictures of the
/// whole window, shown smaller, and a plain scaling would leave their words unreadable.
class GuideText final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        QVariant loaded = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource) {
            return loaded;
        }
        QImage picture;
        if (loaded.canConvert<QImage>()) {
            picture = loaded.value<QImage>();
        } else if (loaded.canConvert<QByteArray>()) {
            picture.loadFromData(loaded.toByteArray());
        }
        const qreal ratio = devicePixelRatioF();
        const int width = qRound(kPictureWidth * ratio);
        if (picture.isNull() || picture.width() <= width) {
            return loaded;
        }
        QImage scaled = picture.scaledToWidth(width, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        return scaled;
    }

    /// The pictures as wide as the guide's <img> elements say, or narrower when the window
    /// is: a narrow guide beside the main window then needs no sideways scrolling.
    void fitPictures() {
        const int width =
            std::max(kPictureMinWidth, std::min(kPictureWidth, viewport()->width() - kPageMargins));
        QTextDocument* text = document();
        for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.charFormat().isImageFormat()) {
                    continue;
                }
                QTextImageFormat picture = fragment.charFormat().toImageFormat();
                if (qRound(picture.width()) == width) {
                    continue;
                }
                picture.setWidth(width);
                QTextCursor cursor(text);
                cursor.setPosition(fragment.position());
                cursor.setPosition(fragment.position() + fragment.length(),
                                   QTextCursor::KeepAnchor);
                cursor.setCharFormat(picture);
            }
        }
    }

    /// As wide as the guide's <img> elements say.
    static constexpr int kPictureWidth = 800;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        QTextBrowser::doSetSource(name, type);
        fitPictures();
    }

    void resizeEvent(QResizeEvent* event) override {
        QTextBrowser::resizeEvent(event);
        fitPictures();
    }

private:
    /// The page's own margins (body and document) beside a picture.
    static constexpr int kPageMargins = 60;
    static constexpr int kPictureMinWidth = 200;
};

bool isFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

bool isWebAddress(const std::string& document) {
    const QUrl url(QString::fromStdString(document));
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

std::optional<std::string> findGuide(const std::string& document, const std::string& languageDir,
                                     const std::string& fallbackDir) {
    if (document.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path named(document);
    if (named.is_absolute()) {
        return isFile(named) ? std::optional(document) : std::nullopt;
    }
    for (const std::string& folder : {languageDir, fallbackDir}) {
        if (folder.empty()) {
            continue;
        }
        const std::filesystem::path candidate = std::filesystem::path(folder) / named;
        if (isFile(candidate)) {
            return candidate.lexically_normal().string();
        }
    }
    return std::nullopt;
}

GuideWindow::GuideWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new GuideText(this)) {
    setObjectName(QStringLiteral("GuideWindow"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromLatin1(kStyle));
    m_browser->setObjectName(QStringLiteral("GuideText"));
    // Links are followed here: the guide's own pages inside, web addresses outside.
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(kWidth, kHeight);
    connect(m_browser, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& link) { follow(link); });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("ZEL GMouse") : title);
    });
}

void GuideWindow::showGuide(const std::string& file) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(file));
    if (m_browser->source() == url) {
        // The same page again (the help element pressed twice) starts at its top.
        m_browser->reload();
        m_browser->verticalScrollBar()->setValue(0);
    } else {
        m_browser->setSource(url);
    }
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

std::string GuideWindow::shownFile() const {
    return m_browser->source().toLocalFile().toStdString();
}

void GuideWindow::follow(const QUrl& link) {
    if (isWebAddress(link.toString().toStdString())) {
        QDesktopServices::openUrl(link);
        return;
    }
    const QUrl target = m_browser->source().resolved(link);
    if (target.isLocalFile() && target.adjusted(QUrl::RemoveFragment) ==
                                    m_browser->source().adjusted(QUrl::RemoveFragment)) {
        m_browser->scrollToAnchor(target.fragment());
        return;
    }
    // Another page of the guide; a link to something that is not there leaves the page.
    if (target.isLocalFile() && QFileInfo::exists(target.toLocalFile())) {
        m_browser->setSource(target);
    }
}

} // namespace zel
