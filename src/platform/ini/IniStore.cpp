#include "platform/ini/IniStore.h"

#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniDocument.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <sys/stat.h>

namespace zel::ini {

namespace {

// Files larger than this are not settings files; they read as empty rather than
// filling memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

/// Names and values written into a line must not contain line ends, or one write
/// could add keys of its own.
std::string oneLine(std::string_view text) {
    std::string out(trimBlanks(text));
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

IniLine parseLine(std::string_view raw) {
    IniLine line;
    line.raw = std::string(raw);
    const std::string_view trimmed = trimBlanks(raw);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return line;
    }
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
        return line;
    }
    const std::string_view name = trimBlanks(trimmed.substr(0, eq));
    if (name.empty()) {
        return line;
    }
    line.isKey = true;
    line.keyLower = lowerAscii(name);
    line.value = std::string(trimBlanks(trimmed.substr(eq + 1)));
    return line;
}

void indexSection(IniSection& section) {
    section.keyIndex.clear();
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        if (section.lines[i].isKey) {
            section.keyIndex.emplace(section.lines[i].keyLower, i);
        }
    }
}

struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.dev = st.st_dev;
    stamp.ino = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

} // namespace

// ---------------------------------------------------------------- IniDocument

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.bom = true;
        text.remove_prefix(3);
    }
    doc.sections.emplace_back(); // lines before the first header
    std::size_t pos = 0;
    bool firstLineEnd = true;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            if (firstLineEnd) {
                doc.crlf = true;
            }
        }
        if (end < text.size()) {
            firstLineEnd = false;
        }
        const std::string_view trimmed = trimBlanks(raw);
        if (!trimmed.empty() && trimmed.front() == '[') {
            // A header without its closing bracket names the rest of the line.
            std::string_view name = trimmed.substr(1);
            const auto close = name.find(']');
            if (close != std::string_view::npos) {
                name = name.substr(0, close);
            }
            IniSection section;
            section.hasHeader = true;
            section.headerRaw = std::string(raw);
            section.nameLower = lowerAscii(trimBlanks(name));
            doc.sectionIndex.emplace(section.nameLower, doc.sections.size());
            doc.sections.push_back(std::move(section));
        } else {
            doc.sections.back().lines.push_back(parseLine(raw));
        }
        pos = next;
    }
    for (auto& section : doc.sections) {
        indexSection(section);
    }
    return doc;
}

std::string IniDocument::serialise() const {
    const char* eol = crlf ? "\r\n" : "\n";
    std::string out;
    if (bom) {
        out += "\xEF\xBB\xBF";
    }
    for (const auto& section : sections) {
        if (section.hasHeader) {
            out += section.headerRaw;
            out += eol;
        }
        for (const auto& line : section.lines) {
            out += line.raw;
            out += eol;
        }
    }
    return out;
}

const IniSection* IniDocument::findSection(std::string_view name) const {
    const auto it = sectionIndex.find(lowerAscii(trimBlanks(name)));
    return it == sectionIndex.end() ? nullptr : &sections[it->second];
}

const IniLine* IniDocument::findKey(std::string_view section, std::string_view key) const {
    const IniSection* s = findSection(section);
    if (s == nullptr) {
        return nullptr;
    }
    const auto it = s->keyIndex.find(lowerAscii(trimBlanks(key)));
    return it == s->keyIndex.end() ? nullptr : &s->lines[it->second];
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName = oneLine(section);
    const std::string keyName = oneLine(key);
    if (keyName.empty() || keyName.find('=') != std::string::npos) {
        return;
    }
    const std::string newRaw = keyName + "=" + oneLine(value);
    const std::string sectionLower = lowerAscii(sectionName);
    auto sit = sectionIndex.find(sectionLower);
    if (sit == sectionIndex.end()) {
        IniSection fresh;
        fresh.hasHeader = true;
        fresh.headerRaw = "[" + sectionName + "]";
        fresh.nameLower = sectionLower;
        sit = sectionIndex.emplace(sectionLower, sections.size()).first;
        sections.push_back(std::move(fresh));
    }
    IniSection& s = sections[sit->second];
    IniLine line = parseLine(newRaw);
    const auto kit = s.keyIndex.find(line.keyLower);
    if (kit != s.keyIndex.end()) {
        s.lines[kit->second] = std::move(line);
        return;
    }
    // After the last non-blank line, so blank separators stay before the next header.
    std::size_t at = s.lines.size();
    while (at > 0 && trimBlanks(s.lines[at - 1].raw).empty()) {
        --at;
    }
    const std::string keyLower = line.keyLower;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    if (at + 1 == s.lines.size()) {
        s.keyIndex.emplace(keyLower, at);
    } else {
        indexSection(s);
    }
}

void IniDocument::removeKey(std::string_view section, std::string_view key) {
    const auto sit = sectionIndex.find(lowerAscii(trimBlanks(section)));
    if (sit == sectionIndex.end()) {
        return;
    }
    IniSection& s = sections[sit->second];
    const auto kit = s.keyIndex.find(lowerAscii(trimBlanks(key)));
    if (kit == s.keyIndex.end()) {
        return;
    }
    s.lines.erase(s.lines.begin() + static_cast<std::ptrdiff_t>(kit->second));
    indexSection(s);
}

void IniDocument::removeSection(std::string_view section) {
    const auto sit = sectionIndex.find(lowerAscii(trimBlanks(section)));
    if (sit == sectionIndex.end()) {
        return;
    }
    sections.erase(sections.begin() + static_cast<std::ptrdiff_t>(sit->second));
    sectionIndex.clear();
    for (std::size_t i = 1; i < sections.size(); ++i) {
        sectionIndex.emplace(sections[i].nameLower, i);
    }
}

// ---------------------------------------------------------------- IniStore

struct IniStore::Cache {
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const IniDocument> doc;
    };
    mutable std::mutex mutex;
    std::map<std::string, Entry> entries;
    std::atomic<std::uint64_t> parses{0};
};

IniStore::IniStore() : m_cache(std::make_unique<Cache>()) {}
IniStore::~IniStore() = default;

namespace {

/// An empty document that marks a file which is there but could not be read.
std::shared_ptr<const IniDocument> unreadableDocument(const std::string& problem) {
    auto doc = std::make_shared<IniDocument>(IniDocument::parse(""));
    doc->unreadable = true;
    doc->problem = problem;
    return doc;
}

/// Why a path that is no readable regular file cannot be read; "" when nothing is there.
std::string whyNotAFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? std::string() : std::strerror(errno);
    }
    return S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

/// UTF-16 text (with its byte-order mark, or without one when every other byte of an
/// ASCII-looking text is zero) as UTF-8; any other bytes as they are; nullopt for text
/// marked as UTF-16 that is not.
std::optional<std::string> asUtf8(const std::string& raw) {
    const auto byte = [&raw](std::size_t i) { return static_cast<unsigned char>(raw[i]); };
    bool littleEndian = true;
    std::size_t start = 0;
    if (raw.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        start = 2;
    } else if (raw.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        littleEndian = false;
        start = 2;
    } else if (raw.find('\0') == std::string::npos) {
        return raw;
    } else {
        // No mark: UTF-16 only when the zeros stand at every odd (or every even) place.
        std::size_t oddZeros = 0;
        std::size_t evenZeros = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (byte(i) == 0) {
                ++(i % 2 == 0 ? evenZeros : oddZeros);
            }
        }
        const std::size_t half = raw.size() / 2;
        if (raw.size() % 2 == 0 && oddZeros * 10 >= half * 9 && evenZeros == 0) {
            littleEndian = true;
        } else if (raw.size() % 2 == 0 && evenZeros * 10 >= half * 9 && oddZeros == 0) {
            littleEndian = false;
        } else {
            return raw; // bytes with zeros in them, read as they are
        }
    }
    if ((raw.size() - start) % 2 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = start; i + 1 < raw.size(); i += 2) {
        const auto unit = [&](std::size_t at) {
            return static_cast<char32_t>(littleEndian ? byte(at) | (byte(at + 1) << 8)
                                                      : (byte(at) << 8) | byte(at + 1));
        };
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= raw.size()) {
                return std::nullopt;
            }
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c == 0) {
            return std::nullopt;
        }
        appendUtf8(out, c);
    }
    return out;
}

const std::shared_ptr<const IniDocument>& emptyDocument() {
    static const auto kEmpty = std::make_shared<const IniDocument>(IniDocument::parse(""));
    return kEmpty;
}
} // namespace

std::string IniSnapshot::read(std::string_view section, std::string_view key,
                              std::size_t bound) const {
    const IniLine* line = m_doc->findKey(section, key);
    return line == nullptr ? std::string() : cutToCharacters(line->value, bound);
}

bool IniSnapshot::exists() const {
    return m_doc != emptyDocument() && !m_doc->unreadable;
}

bool IniSnapshot::unreadable() const {
    return m_doc->unreadable;
}

IniStore::FileCheck IniStore::check(const std::string& path) const {
    const auto doc = load(path);
    if (doc->unreadable) {
        return FileCheck{FileState::Unreadable, doc->problem};
    }
    return FileCheck{doc == emptyDocument() ? FileState::Absent : FileState::Whole, {}};
}

IniSnapshot IniStore::snapshot(const std::string& path) const {
    return IniSnapshot(load(path));
}

std::shared_ptr<const IniDocument> IniStore::load(const std::string& path) const {
    const auto& kEmpty = emptyDocument();
    std::lock_guard lock(m_cache->mutex);
    const auto stamp = stampOf(path);
    if (!stamp) {
        m_cache->entries.erase(path);
        const std::string problem = whyNotAFile(path);
        return problem.empty() ? kEmpty : unreadableDocument(problem);
    }
    const auto it = m_cache->entries.find(path);
    if (it != m_cache->entries.end() && it->second.stamp == *stamp) {
        return it->second.doc;
    }
    if (stamp->size > kMaxFileSize) {
        return unreadableDocument("it is larger than 64 MiB");
    }
    errno = 0;
    const auto raw = readWholeFile(path, static_cast<std::size_t>(kMaxFileSize));
    if (!raw) {
        return unreadableDocument(errno != 0 ? std::strerror(errno) : "it could not be read");
    }
    const auto text = asUtf8(*raw);
    if (!text) {
        return unreadableDocument("it is marked as UTF-16 text but is not");
    }
    auto doc = std::make_shared<const IniDocument>(IniDocument::parse(*text));
    m_cache->parses.fetch_add(1, std::memory_order_relaxed);
    if (m_cache->entries.size() >= 256) {
        m_cache->entries.clear();
    }
    // Re-stat: a file changed while it was read must not be cached under the old stamp.
    if (stampOf(path) == stamp) {
        m_cache->entries[path] = Cache::Entry{*stamp, doc};
    }
    return doc;
}

bool IniStore::store(const std::string& path, const IniDocument& doc) {
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
            return false; // a read-only file stays as it is
        }
        mode = st.st_mode & 07777;
    }
    if (!replaceFile(path, doc.serialise(), mode, m_replaceObserver)) {
        return false;
    }
    std::lock_guard lock(m_cache->mutex);
    if (const auto stamp = stampOf(path)) {
        m_cache->entries[path] = Cache::Entry{*stamp, std::make_shared<const IniDocument>(doc)};
    } else {
        m_cache->entries.erase(path);
    }
    return true;
}

std::string IniStore::read(const std::string& path, std::string_view section, std::string_view key,
                           std::size_t bound) const {
    const auto doc = load(path);
    const IniLine* line = doc->findKey(section, key);
    return line == nullptr ? std::string() : cutToCharacters(line->value, bound);
}

std::vector<std::string> IniStore::keys(const std::string& path, std::string_view section) const {
    const auto doc = load(path);
    std::vector<std::string> out;
    const IniSection* s = doc->findSection(section);
    if (s == nullptr) {
        return out;
    }
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        const auto& line = s->lines[i];
        if (line.isKey && s->keyIndex.at(line.keyLower) == i) {
            const std::string_view t = trimBlanks(line.raw);
            out.emplace_back(trimBlanks(t.substr(0, t.find('='))));
        }
    }
    return out;
}

bool IniStore::hasSection(const std::string& path, std::string_view section) const {
    return load(path)->findSection(section) != nullptr;
}

bool IniStore::write(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) {
    Batch b = batch(path);
    b.write(section, key, value);
    return b.commit();
}

bool IniStore::removeKey(const std::string& path, std::string_view section, std::string_view key) {
    Batch b = batch(path);
    b.removeKey(section, key);
    return b.commit();
}

bool IniStore::removeSection(const std::string& path, std::string_view section) {
    Batch b = batch(path);
    b.removeSection(section);
    return b.commit();
}

IniStore::Batch IniStore::batch(const std::string& path) {
    return Batch(*this, path);
}

void IniStore::clearCache() {
    std::lock_guard lock(m_cache->mutex);
    m_cache->entries.clear();
}

std::uint64_t IniStore::parseCount() const {
    return m_cache->parses.load();
}

// ---------------------------------------------------------------- Batch

IniStore::Batch::Batch(IniStore& store, std::string path)
    : m_store(&store), m_path(std::move(path)), m_lock(store.m_writeMutex) {}

IniStore::Batch::Batch(Batch&& other) noexcept
    : m_store(other.m_store), m_path(std::move(other.m_path)), m_lock(std::move(other.m_lock)),
      m_doc(std::move(other.m_doc)), m_changed(other.m_changed) {}

IniStore::Batch::~Batch() = default;

void IniStore::Batch::write(std::string_view section, std::string_view key,
                            std::string_view value) {
    if (!m_doc) {
        m_doc = std::make_unique<IniDocument>(*m_store->load(m_path));
    }
    m_doc->set(section, key, value);
    m_changed = true;
}

void IniStore::Batch::removeKey(std::string_view section, std::string_view key) {
    if (!m_doc) {
        m_doc = std::make_unique<IniDocument>(*m_store->load(m_path));
    }
    if (m_doc->findKey(section, key) != nullptr) {
        m_doc->removeKey(section, key);
        m_changed = true;
    }
}

void IniStore::Batch::removeSection(std::string_view section) {
    if (!m_doc) {
        m_doc = std::make_unique<IniDocument>(*m_store->load(m_path));
    }
    if (m_doc->findSection(section) != nullptr) {
        m_doc->removeSection(section);
        m_changed = true;
    }
}

bool IniStore::Batch::commit() {
    if (!m_lock.owns_lock()) {
        return false;
    }
    bool ok = true;
    if (m_changed && m_doc) {
        // What could not be read is never written over with less.
        ok = !m_doc->unreadable && m_store->store(m_path, *m_doc);
    }
    m_doc.reset();
    m_changed = false;
    m_lock.unlock();
    return ok;
}

} // namespace zel::ini
