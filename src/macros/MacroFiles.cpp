#include "macros/MacroFiles.h"

#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zel {

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool validRecord(int i) {
    return i >= 0 && i < kBufferRecords;
}

} // namespace

MacroFiles::MacroFiles(ini::IniStore& store, const MacVkAndText& keys, WarningSink& warnings,
                       int language)
    : m_store(store), m_keys(keys), m_warnings(warnings), m_language(language) {}

bool MacroFiles::WriteGroupFile(const std::string& path, const MacroGroupState& group) const {
    const MacroBuffer& buffer = group.groupMacros;
    const int count = std::clamp<int>(buffer.count, 0, kMaxMacrosPerGroup);
    auto batch = m_store.batch(path);
    batch.write(kMacroInitSection, kDatVerKey, std::to_string(kCurrentDatVersion));
    if (group.groupSealed) {
        batch.write(kMacroInitSection, kMacMd5Key, kSealMarker);
    }
    batch.write(kMacroSection, kMacroNumKey, std::to_string(buffer.count));
    const MacroKeyForm form = keyForm();
    for (int i = 0; i < count; ++i) {
        batch.write(kMacroSection, std::to_string(i),
                    encodeMacroValue(buffer.records[static_cast<std::size_t>(i)], form));
    }
    return batch.commit();
}

bool MacroFiles::WriteMacro(const std::string& path, const MacroGroupState& group, int i) const {
    if (!validRecord(i)) {
        return false;
    }
    auto batch = m_store.batch(path);
    batch.write(kMacroInitSection, kDatVerKey, std::to_string(kCurrentDatVersion));
    batch.write(kMacroSection, kMacroNumKey, std::to_string(group.groupMacros.count));
    batch.write(
        kMacroSection, std::to_string(i),
        encodeMacroValue(group.groupMacros.records[static_cast<std::size_t>(i)], keyForm()));
    return batch.commit();
}

bool MacroFiles::WriteMacroValue(const std::string& path, int i, const MacroRecord& record) const {
    if (i < 0) {
        return false;
    }
    return m_store.write(path, kMacroSection, std::to_string(i),
                         encodeMacroValue(record, keyForm()));
}

bool MacroFiles::WriteVersionedMacroValue(const std::string& path, int i,
                                          const MacroRecord& record) const {
    if (i < 0) {
        return false;
    }
    auto batch = m_store.batch(path);
    batch.write(kMacroInitSection, kDatVerKey, std::to_string(kCurrentDatVersion));
    batch.write(kMacroSection, std::to_string(i), encodeMacroValue(record, keyForm()));
    return batch.commit();
}

bool MacroFiles::WriteSingleMacroFile(const std::string& path, const MacroGroupState& group,
                                      int i) const {
    if (!validRecord(i)) {
        return false;
    }
    return m_store.write(
        path, kMacroSection, kSingleMacroKey,
        encodeMacroValue(group.groupMacros.records[static_cast<std::size_t>(i)], keyForm()));
}

void MacroFiles::readBuffer(const std::string& path, MacroBuffer& buffer, std::size_t bound,
                            int& datVersion, bool& sealed) const {
    if (!fileExists(path)) {
        m_warnings.warn(Tip::FileMissing);
    }
    datVersion = m_store.readInt(path, kMacroInitSection, kDatVerKey, 3);
    const int headerItems = datVersion == kCurrentDatVersion ? kHeaderItemsV3 : kHeaderItemsOld;
    // More than 12 macros cannot be held: the first 12 are read.
    const int count =
        std::clamp(m_store.readInt(path, kMacroSection, kMacroNumKey, 3), 0, kMaxMacrosPerGroup);
    sealed = m_store.read(path, kMacroInitSection, kMacMd5Key, 19) == kSealMarker;

    buffer = MacroBuffer{};
    buffer.count = static_cast<std::int16_t>(count);
    const MacroValueLayout layout{headerItems, true};
    const MacroKeyForm form = keyForm();
    for (int i = 0; i < count; ++i) {
        const std::string value = m_store.read(path, kMacroSection, std::to_string(i), bound);
        buffer.records[static_cast<std::size_t>(i)] = decodeMacroValue(value, layout, form);
    }
}

void MacroFiles::ReadGroupFile(const std::string& path, MacroGroupState& group) const {
    readBuffer(path, group.groupMacros, kGroupValueBound, group.datVersion, group.groupSealed);
}

MacroRecord MacroFiles::ReadMacroFromGroup(const MacroGroupFiles& groups, int group, int i,
                                           int datVersion) const {
    const std::optional<std::string> path = groups.groupFilePath(group);
    if (!path || i < 0 || i >= kMaxMacrosPerGroup) {
        return MacroRecord{};
    }
    // Keys left over from an earlier, longer group are not macros of the group.
    if (i >= m_store.readInt(*path, kMacroSection, kMacroNumKey, 3)) {
        return MacroRecord{};
    }
    const std::string value =
        m_store.read(*path, kMacroSection, std::to_string(i), kGroupValueBound);
    return decodeMacroValue(value, MacroValueLayout{kHeaderItemsV3, datVersion == 3}, keyForm());
}

MacroRecord MacroFiles::ReadSingleMacroFile(const std::string& path, int datVersion) const {
    const std::string value = m_store.read(path, kMacroSection, kSingleMacroKey, kGroupValueBound);
    return decodeMacroValue(value, MacroValueLayout{kHeaderItemsV3, datVersion == 3}, keyForm());
}

void MacroFiles::ReadConstMacros(const std::string& path, ConstMacros& macros) const {
    int version = 0;
    bool sealed = false;
    readBuffer(path, macros, kConstValueBound, version, sealed);
}

std::vector<std::string> MacroFiles::ReadMacroNames(const std::string& path) const {
    std::vector<std::string> names;
    const int count = m_store.readInt(path, kMacroSection, kMacroNumKey, 3);
    if (count < 1 || count > kMaxMacrosPerGroup) {
        return names;
    }
    for (int i = 0; i < count; ++i) {
        names.push_back(decodeMacroName(
            m_store.read(path, kMacroSection, std::to_string(i), kNameBytes * kItemDigits)));
    }
    return names;
}

void ClearRecord(MacroBuffer& buffer, int i) {
    if (!validRecord(i)) {
        return;
    }
    MacroRecord& r = buffer.records[static_cast<std::size_t>(i)];
    MacroRecord cleared;
    cleared.extra76 = r.extra76;
    cleared.extra77 = r.extra77;
    cleared.reserved = r.reserved;
    r = cleared;
}

void MoveRecord(MacroBuffer& buffer, int from, int to) {
    if (!validRecord(from) || !validRecord(to)) {
        return;
    }
    buffer.records[static_cast<std::size_t>(to)] = buffer.records[static_cast<std::size_t>(from)];
}

} // namespace zel
