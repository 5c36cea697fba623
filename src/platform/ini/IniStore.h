#pragma once

#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::ini {

struct IniDocument;

/// One parsed state of a file, read without looking at the disk again: for loaders that
/// read hundreds of keys of one file in a row. Reads follow the rules of `IniStore::read`.
class IniSnapshot {
public:
    explicit IniSnapshot(std::shared_ptr<const IniDocument> doc) : m_doc(std::move(doc)) {}
    std::string read(std::string_view section, std::string_view key, std::size_t bound) const;
    std::int32_t readInt(std::string_view section, std::string_view key, std::size_t bound) const {
        return leadingInt(read(section, key, bound));
    }
    /// False when the file did not exist (or could not be read) when the snapshot was taken.
    bool exists() const;
    /// True when the file was there but could not be read whole.
    bool unreadable() const;

private:
    std::shared_ptr<const IniDocument> m_doc;
};

/// The settings-file engine every settings, language, layout and macro file is read
/// and written through, one key at a time:
///  - a read has a length bound and returns the value cut to it; a missing file,
///    section or key reads as the empty text;
///  - section and key names compare without regard to ASCII letter case, blanks around
///    names and values are ignored, the first of duplicate keys or sections counts;
///  - a write replaces a present key in place, appends a missing key after the last
///    entry of its section, appends a missing section at the end of the file and creates
///    a missing file; comments and unknown lines survive;
///  - every write replaces the whole file atomically (temporary file in the same folder,
///    flushed to disk, then renamed), so a crash or a full disk never leaves a truncated
///    file; a file without write permission is not written (the write reports false and
///    the file stays as it is);
///  - writers are serialised, and a parsed file is kept in memory until the file on disk
///    changes, so repeated reads of an unchanged file parse it once.
/// UTF-8 text; LF and CRLF line ends read alike, and a file keeps its own line ends and
/// byte-order mark when it is written. UTF-16 text (with or without its byte-order mark)
/// is read as the same text and written back as UTF-8.
///
/// A file that is there but cannot be read whole (no permission, an input/output error,
/// not a regular file, a link loop, larger than 64 MiB, bytes that are no text) reads as
/// empty, and no write replaces it: the write reports false and the file stays as it is,
/// so that what could not be read is never written over with less.
class IniStore {
public:
    IniStore();
    ~IniStore();
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;

    /// The value of `key` in `section` of the file at `path`, cut to `bound` characters.
    std::string read(const std::string& path, std::string_view section, std::string_view key,
                     std::size_t bound) const;

    /// `leadingInt` of the value read with `bound`.
    std::int32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                         std::size_t bound) const {
        return leadingInt(read(path, section, key, bound));
    }

    /// The file as it is now, parsed once (or taken from memory when unchanged).
    IniSnapshot snapshot(const std::string& path) const;

    /// Whether the file is absent, read whole, or there but unreadable, and why not.
    enum class FileState { Absent, Whole, Unreadable };
    struct FileCheck {
        FileState state = FileState::Absent;
        std::string problem; ///< for `Unreadable`
    };
    FileCheck check(const std::string& path) const;

    /// The names of the keys of `section`, in file order (first of duplicates only).
    std::vector<std::string> keys(const std::string& path, std::string_view section) const;

    /// True when the file exists and has a section of that name.
    bool hasSection(const std::string& path, std::string_view section) const;

    /// One key written (see the class comment). False when the file could not be replaced.
    bool write(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value);

    /// Removes a key; a missing key or file is not an error.
    bool removeKey(const std::string& path, std::string_view section, std::string_view key);

    /// Removes a whole section with its keys.
    bool removeSection(const std::string& path, std::string_view section);

    /// Several writes to one file that reach the disk as one atomic replace, with the same
    /// result as the same writes done one by one. Holds the store's writer lock from its
    /// creation until `commit` or destruction, so another thread's writes wait; do not call
    /// the store's own write functions from the same thread while a batch is open.
    class Batch {
    public:
        Batch(Batch&&) noexcept;
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        Batch& operator=(Batch&&) = delete;

        void write(std::string_view section, std::string_view key, std::string_view value);
        void removeKey(std::string_view section, std::string_view key);
        void removeSection(std::string_view section);
        /// Writes the file once. Without a commit nothing reaches the disk.
        bool commit();

    private:
        friend class IniStore;
        Batch(IniStore& store, std::string path);
        IniStore* m_store;
        std::string m_path;
        std::unique_lock<std::mutex> m_lock;
        std::unique_ptr<IniDocument> m_doc;
        bool m_changed = false;
    };

    Batch batch(const std::string& path);

    /// Drops every parsed file kept in memory (tests; after files were changed behind the
    /// store's back within the same clock tick).
    void clearCache();

    /// How many times a file was parsed since the store was made (tests, benchmarks).
    std::uint64_t parseCount() const;

    /// Sees every file replace of this store pass its stages (tests: a save stopped and
    /// killed between writing, syncing and renaming). Set before the store is shared.
    void setReplaceObserver(ReplaceObserver observer) { m_replaceObserver = std::move(observer); }

private:
    struct Cache;
    std::shared_ptr<const IniDocument> load(const std::string& path) const;
    bool store(const std::string& path, const IniDocument& doc);

    std::unique_ptr<Cache> m_cache;
    std::mutex m_writeMutex;
    ReplaceObserver m_replaceObserver;
};

} // namespace zel::ini
