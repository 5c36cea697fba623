#include "presentation/PictureCache.h"

#include "common/UniqueFd.h"

#include <QFile>
#include <QImageReader>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

namespace {

QByteArray formatFromName(const QString& path) {
    if (path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive)) {
        return QByteArrayLiteral("jpeg");
    }
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        return QByteArrayLiteral("png");
    }
    if (path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) {
        return QByteArrayLiteral("bmp");
    }
    return {};
}

/// The fixed part of an entry; the source's path and then the pixel rows follow it.
struct EntryHeader {
    std::array<char, 8> magic;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerLine;
    std::uint32_t format;
    std::uint64_t sourceSize;
    std::int64_t sourceMtimeSec;
    std::int64_t sourceMtimeNsec;
    std::uint64_t sourceDevice;
    std::uint64_t sourceInode;
    std::uint32_t pathLength;
    std::uint32_t reserved;
};

constexpr std::array<char, 8> kMagic = {'Z', 'E', 'L', 'P', 'I', 'X', '2', '\n'};
constexpr std::uint32_t kMaxSide = 16384;
constexpr std::uint32_t kMaxPath = 4096;

/// The pixels start on a page of their own, so that they can be mapped as they lie.
constexpr std::uint64_t kPage = 4096;

std::uint64_t pixelOffset(std::uint32_t pathLength) {
    return (sizeof(EntryHeader) + pathLength + kPage - 1) / kPage * kPage;
}

/// A mapped entry, released with the last picture that shares its pixels.
struct Mapping {
    void* base;
    std::size_t length;
};

/// Formats whose pixels are the whole picture (no colour table to keep).
bool cacheableFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_Grayscale8:
        return true;
    default:
        return false;
    }
}

/// The same file, unchanged: size, modification time, device and inode.
bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameSource(const EntryHeader& h, const struct stat& st) {
    return h.sourceSize == static_cast<std::uint64_t>(st.st_size) &&
           h.sourceMtimeSec == static_cast<std::int64_t>(st.st_mtim.tv_sec) &&
           h.sourceMtimeNsec == static_cast<std::int64_t>(st.st_mtim.tv_nsec) &&
           h.sourceDevice == static_cast<std::uint64_t>(st.st_dev) &&
           h.sourceInode == static_cast<std::uint64_t>(st.st_ino);
}

/// Reads exactly `size` bytes at `offset`.
bool readAll(int fd, void* data, std::size_t size, off_t offset) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, at, size, offset);
        if (n <= 0) {
            return false;
        }
        at += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, at, size);
        if (n <= 0) {
            return false;
        }
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

/// Removes the temporary files of writers whose process has ended (killed while writing).
void removeAbandonedEntries(const std::string& folder) {
    // A folder that cannot be read or that vanishes while it is walked ends the sweep: the
    // files stay for a later start.
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::directory_entry& item = *it;
        const std::string name = item.path().filename().string();
        const auto mark = name.find(".tmp");
        if (mark == std::string::npos) {
            continue;
        }
        const auto dot = name.find('.', mark + 4);
        const std::string pidText =
            name.substr(mark + 4, dot == std::string::npos ? dot : dot - mark - 4);
        char* end = nullptr;
        const long pid = std::strtol(pidText.c_str(), &end, 10);
        if (pid > 0 && end != nullptr && *end == '\0' && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH) {
            std::error_code removed;
            std::filesystem::remove(item.path(), removed);
        }
    }
}

} // namespace

QImage readPicture(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    struct stat st {};
    if (::stat(local.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {};
    }
    if (const QByteArray format = formatFromName(path); !format.isEmpty()) {
        QImageReader reader(path, format);
        reader.setAutoDetectImageFormat(false);
        QImage image;
        if (reader.read(&image)) {
            return image;
        }
    }
    return QImage(path);
}

std::string defaultPictureCacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && *xdg == '/') {
        return std::string(xdg) + "/zel-gmouse/pictures";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return std::string(home) + "/.cache/zel-gmouse/pictures";
    }
    return {};
}

PictureCache::PictureCache(std::string folder) : m_folder(std::move(folder)) {}

PictureCache::~PictureCache() {
    flush();
}

void PictureCache::flush() {
    std::vector<std::thread> writers;
    {
        const std::lock_guard lock(m_writersLock);
        writers.swap(m_writers);
    }
    for (std::thread& w : writers) {
        w.join();
    }
}

std::string PictureCache::entryPath(const QString& path) const {
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t hash = fnv1a(QFile::encodeName(path).toStdString());
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i) {
        name[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
        hash >>= 4;
    }
    return m_folder + "/" + name + ".pix";
}

QString scaledPicturePath(const QString& path, int scale) {
    if (scale < 2) {
        return path;
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype end = dot > slash ? dot : path.size();
    return path.left(end) + QStringLiteral("@%1x").arg(scale) + path.mid(end);
}

namespace {

template <typename Read>
QImage readScaled(const QString& path, int scale, Read read) {
    if (scale >= 2) {
        QImage image = read(scaledPicturePath(path, 2));
        if (!image.isNull()) {
            image.setDevicePixelRatio(2);
            return image;
        }
    }
    return read(path);
}

} // namespace

QImage readPicture(const QString& path, int scale) {
    return readScaled(path, scale, [](const QString& p) { return readPicture(p); });
}

QImage PictureCache::read(const QString& path, int scale) {
    return readScaled(path, scale, [this](const QString& p) { return read(p); });
}

QImage PictureCache::read(const QString& path) {
    if (m_folder.empty()) {
        return readPicture(path);
    }
    const std::string source = QFile::encodeName(path).toStdString();
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {};
    }
    const std::string entry = entryPath(path);
    QImage image = readEntry(source, st, entry);
    if (!image.isNull()) {
        return image;
    }
    image = readPicture(path);
    if (!image.isNull() && cacheableFormat(image.format())) {
        struct stat after {};
        // The entry records the file as it was decoded; a file replaced meanwhile is not
        // recorded under the new file's identity.
        if (::stat(source.c_str(), &after) == 0 && sameFile(after, st)) {
            store(entry, source, st, image);
        }
    }
    return image;
}

QImage PictureCache::readEntry(const std::string& source, const struct stat& sourceStat,
                               const std::string& entry) const {
    UniqueFd fd(::open(entry.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return {};
    }
    struct stat entryStat {};
    EntryHeader h{};
    const bool headerOk =
        ::fstat(fd.get(), &entryStat) == 0 && readAll(fd.get(), &h, sizeof h, 0) &&
        h.magic == kMagic && sameSource(h, sourceStat) && h.width > 0 && h.width <= kMaxSide &&
        h.height > 0 && h.height <= kMaxSide && h.pathLength == source.size() &&
        h.pathLength <= kMaxPath && cacheableFormat(static_cast<QImage::Format>(h.format));
    if (!headerOk) {
        return {};
    }
    const auto depth = QImage::toPixelFormat(static_cast<QImage::Format>(h.format)).bitsPerPixel();
    const auto minLine = (static_cast<std::uint64_t>(h.width) * depth + 7) / 8;
    const auto rows = static_cast<std::uint64_t>(h.height) * h.bytesPerLine;
    const std::uint64_t offset = pixelOffset(h.pathLength);
    const bool shapeOk = h.bytesPerLine >= minLine && h.bytesPerLine % 4 == 0 &&
                         static_cast<std::uint64_t>(entryStat.st_size) == offset + rows;
    std::string recordedPath(h.pathLength, '\0');
    if (!shapeOk || !readAll(fd.get(), recordedPath.data(), h.pathLength, sizeof h) ||
        recordedPath != source) {
        return {};
    }
    // The pixels are used where they lie in the page cache: a shared read-only mapping,
    // filled at once, costs no copy and no fresh memory. Entries are only ever replaced by
    // renaming a new file over them, so a mapped entry never changes under the picture.
    const auto length = static_cast<std::size_t>(entryStat.st_size);
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_SHARED | MAP_POPULATE, fd.get(), 0);
    fd.reset(); // the mapping stays valid without the descriptor
    if (base == MAP_FAILED) {
        return {};
    }
    auto* mapping = new Mapping{base, length};
    return QImage(
        static_cast<const uchar*>(base) + offset, static_cast<int>(h.width),
        static_cast<int>(h.height), static_cast<qsizetype>(h.bytesPerLine),
        static_cast<QImage::Format>(h.format),
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            ::munmap(m->base, m->length);
            delete m;
        },
        mapping);
}

void PictureCache::store(const std::string& entry, const std::string& source, const struct stat& st,
                         const QImage& image) {
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        entry + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
    auto write = [folder = m_folder, source, entry, temporary, st, image] {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        removeAbandonedEntries(folder);
        EntryHeader h{};
        h.magic = kMagic;
        h.width = static_cast<std::uint32_t>(image.width());
        h.height = static_cast<std::uint32_t>(image.height());
        h.bytesPerLine = static_cast<std::uint32_t>(image.bytesPerLine());
        h.format = static_cast<std::uint32_t>(image.format());
        h.sourceSize = static_cast<std::uint64_t>(st.st_size);
        h.sourceMtimeSec = st.st_mtim.tv_sec;
        h.sourceMtimeNsec = st.st_mtim.tv_nsec;
        h.sourceDevice = st.st_dev;
        h.sourceInode = st.st_ino;
        h.pathLength = static_cast<std::uint32_t>(source.size());
        UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (!fd.valid()) {
            return;
        }
        const std::string padding(pixelOffset(h.pathLength) - sizeof h - source.size(), '\0');
        bool ok =
            writeAll(fd.get(), &h, sizeof h) && writeAll(fd.get(), source.data(), source.size()) &&
            writeAll(fd.get(), padding.data(), padding.size()) &&
            writeAll(fd.get(), image.constBits(), static_cast<std::size_t>(image.sizeInBytes())) &&
            ::fsync(fd.get()) == 0;
        ok = fd.close() && ok;
        if (!ok || ::rename(temporary.c_str(), entry.c_str()) != 0) {
            ::unlink(temporary.c_str());
        }
    };
    const std::lock_guard lock(m_writersLock);
    m_writers.emplace_back(std::move(write));
}

} // namespace zel
