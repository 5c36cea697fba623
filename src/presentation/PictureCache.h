#pragma once

#include <QImage>
#include <QString>

#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace zel {

/// Reads a picture file. The format comes from the file name's ending (".jpg", ".jpeg",
/// ".png", ".bmp"), so reading loads only the one image plugin it needs instead of
/// probing every installed one; a file whose content does not match its ending is read
/// by its content. A missing or unreadable file gives a null picture.
QImage readPicture(const QString& path);

/// The file of `path` in the picture set of `scale`: "folder/name@2x.jpg" for 2, `path`
/// itself for 1.
QString scaledPicturePath(const QString& path, int scale);

/// Reads `path` from the picture set of `scale` (1 or 2): the 2x file with a device pixel
/// ratio of 2 when it exists and reads, else the 1x file (ratio 1), which the painter then
/// scales. Either way the picture covers the same layout units.
QImage readPicture(const QString& path, int scale);

/// The folder for decoded pictures: $XDG_CACHE_HOME/zel-gmouse/pictures, or
/// ~/.cache/zel-gmouse/pictures (empty when neither is known).
std::string defaultPictureCacheFolder();

/// Decoded skin pictures kept in the user's cache folder, so that later starts map pixels
/// instead of decoding JPEG. An entry is used only when the picture file's path, size,
/// modification time, device and inode all match those recorded in it and the entry
/// itself is whole; anything else decodes the file and replaces the entry. Entries are
/// written on a thread of their own (temporary file, fsync, rename), so a reader never
/// sees half an entry and the decode's caller does not wait for the disk. A folder that
/// cannot be written only costs speed. `read` may be called from several threads.
class PictureCache {
public:
    /// `folder` empty: nothing is cached, `read` is `readPicture`.
    explicit PictureCache(std::string folder);
    ~PictureCache(); ///< waits for entries still being written
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    QImage read(const QString& path);
    /// As `readPicture(path, scale)`, through the cache.
    QImage read(const QString& path, int scale);

    /// Waits until every entry started so far is written (tests, shut-down).
    void flush();

    /// The entry file that caches `path` (tests).
    std::string entryPath(const QString& path) const;

private:
    /// The picture of `entry` when it was made from `source` as `sourceStat` finds it now.
    QImage readEntry(const std::string& source, const struct stat& sourceStat,
                     const std::string& entry) const;
    void store(const std::string& entry, const std::string& source, const struct stat& st,
               const QImage& image);

    std::string m_folder;
    std::mutex m_writersLock;
    std::vector<std::thread> m_writers;
};

} // namespace zel
