#include "macros/MacroLibrary.h"

#include "common/FileChooser.h"
#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "macros/UniqueName.h"
#include "platform/ini/IniStore.h"
#include "platform/ini/IniText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kGroupFilter = "All Files(*.dat)|*.dat||";
constexpr const char* kSingleFilter = "All Files(*.sdat)|*.sdat||";
constexpr std::size_t kMacroNameChars = static_cast<std::size_t>(kMaxNameChars);

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

/// True only when nothing is at `path`: a file that is there but cannot be looked at now
/// (a folder without permission, a link loop) is not missing.
bool missing(const std::string& path) {
    std::error_code ec;
    return fs::status(path, ec).type() == fs::file_type::not_found;
}

std::string withoutLeadingSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// A file name without a trailing ".dat" (any letter case).
std::string groupNameOfFile(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (name.size() >= 4 &&
        ini::equalsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".dat")) {
        name.resize(name.size() - 4);
    }
    return name;
}

fs::path canonicalOf(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path).lexically_normal() : p;
}

// The folder path without its trailing separator, so that ".new" can be appended.
fs::path folderOf(const std::string& dir) {
    std::string s = dir;
    while (s.size() > 1 && s.back() == '/') {
        s.pop_back();
    }
    return fs::path(s);
}

} // namespace

MacroLibrary::MacroLibrary(ini::IniStore& store, MacroFiles& files, MacroGroupState& current,
                           WarningSink& warnings, FileChooser& chooser, const DevMacNames& texts,
                           MacroFolders folders, Sleep sleep)
    : m_store(store), m_files(files), m_current(current), m_warnings(warnings), m_chooser(chooser),
      m_texts(texts), m_folders(std::move(folders)), m_sleep(std::move(sleep)) {}

void MacroLibrary::warn(Tip tip) const {
    m_warnings.warn(tip);
}

void MacroLibrary::pause(int ms) const {
    if (m_sleep) {
        m_sleep(ms);
    }
}

std::string MacroLibrary::groupPath(const std::string& name) const {
    return m_folders.macroDir + name + ".dat";
}

std::optional<std::string> MacroLibrary::groupFilePath(int group) const {
    if (group < 0 || group >= groupCount()) {
        return std::nullopt;
    }
    return groupPath(m_groupNames[static_cast<std::size_t>(group)]);
}

void MacroLibrary::start() {
    m_expanded.fill(false);
    m_currentGroup = 0;
    m_currentMacro = 0;
    m_selectedRow = -1;
    loadIndex();
    readCurrentGroup();
    refreshNames();
    rebuildList();
}

// ---- group index ----

void MacroLibrary::loadIndex() {
    m_groupNames.clear();
    const std::string path = indexPath();
    if (!exists(path)) {
        warn(Tip::FileMissing);
        return;
    }
    const int count =
        std::clamp(m_store.readInt(path, kGroupNumSection, kGroupNumKey, 8), 0, kMaxGroups);
    for (int i = 0; i < count; ++i) {
        m_groupNames.push_back(
            m_store.read(path, kGroupNameSection, std::to_string(i), kMaxGroupNameChars));
    }
    // A group whose file is gone is dropped; so is a name that could not be a file of the
    // macro folder. A file that is there but cannot be read now keeps its group.
    bool dropped = false;
    for (std::size_t i = 0; i < m_groupNames.size();) {
        if (!isSafeGroupName(m_groupNames[i]) || missing(groupPath(m_groupNames[i]))) {
            m_groupNames.erase(m_groupNames.begin() + static_cast<std::ptrdiff_t>(i));
            dropped = true;
        } else {
            ++i;
        }
    }
    if (dropped && !m_readOnly) {
        static_cast<void>(writeIndex()); // the next load drops the same groups again
    }
}

bool MacroLibrary::writeIndex() const {
    auto batch = m_store.batch(indexPath());
    batch.write(kGroupNumSection, kGroupNumKey, std::to_string(groupCount()));
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxGroups); ++i) {
        batch.write(kGroupNameSection, std::to_string(i),
                    i < m_groupNames.size() ? m_groupNames[i] : std::string());
    }
    return batch.commit();
}

void MacroLibrary::refreshNames() {
    for (std::size_t g = 0; g < static_cast<std::size_t>(kMaxGroups); ++g) {
        m_macroNames[g].clear();
        if (g < m_groupNames.size()) {
            m_macroNames[g] = m_files.ReadMacroNames(groupPath(m_groupNames[g]));
        }
    }
}

const std::vector<std::string>& MacroLibrary::macroNames(int group) const {
    static const std::vector<std::string> kNone;
    return group >= 0 && group < kMaxGroups ? m_macroNames[static_cast<std::size_t>(group)] : kNone;
}

int MacroLibrary::macroCount(int group) const {
    return static_cast<int>(macroNames(group).size());
}

bool MacroLibrary::expanded(int group) const {
    return group >= 0 && group < kMaxGroups && m_expanded[static_cast<std::size_t>(group)];
}

// ---- current group ----

void MacroLibrary::clearAllRecords() {
    for (int i = 0; i < kBufferRecords; ++i) {
        ClearRecord(buffer(), i);
    }
    buffer().count = 0;
}

void MacroLibrary::readCurrentGroup() {
    if (groupCount() == 0) {
        clearAllRecords();
        m_current.groupSealed = false;
        m_loadedGroup = -1;
        return;
    }
    m_currentGroup = std::clamp(m_currentGroup, 0, groupCount() - 1);
    m_files.ReadGroupFile(*groupFilePath(m_currentGroup), m_current);
    m_loadedGroup = m_currentGroup;
}

void MacroLibrary::ensureLoaded(int group) {
    m_currentGroup = group;
    if (m_loadedGroup != group) {
        readCurrentGroup();
    }
}

int MacroLibrary::selectedGroup() const {
    if (m_selectedRow >= 0 && m_selectedRow < static_cast<int>(m_rows.size())) {
        return m_rows[static_cast<std::size_t>(m_selectedRow)].group;
    }
    return std::clamp(m_currentGroup, 0, std::max(0, groupCount() - 1));
}

void MacroLibrary::showCurrentMacroOrEmpty(int macro) {
    // A sealed group can be used but not looked into.
    if (m_current.groupSealed || macro < 0 || macro >= buffer().count) {
        if (m_view) {
            m_view->showSteps(-1);
        }
        repeatBox = RepeatBox{"1", false};
        return;
    }
    if (m_view) {
        m_view->showSteps(macro);
    }
    const MacroRecord& r = buffer().records[static_cast<std::size_t>(macro)];
    if ((r.runMode & 3) == 0) {
        repeatBox = RepeatBox{std::to_string(r.repeatCount), true};
    } else {
        repeatBox = RepeatBox{"1", false};
    }
}

std::vector<std::string> MacroLibrary::macroNamesExcept(int skip) const {
    std::vector<std::string> names;
    for (int i = 0; i < m_current.groupMacros.count && i < kMaxMacrosPerGroup; ++i) {
        if (i != skip) {
            names.push_back(m_current.groupMacros.records[static_cast<std::size_t>(i)].nameUtf8());
        }
    }
    return names;
}

// ---- the list ----

void MacroLibrary::rebuildList() {
    m_rows.clear();
    for (int g = 0; g < groupCount(); ++g) {
        const bool open = expanded(g);
        m_rows.push_back(
            MacroListRow{true, g, -1, open ? 1 : 0, m_groupNames[static_cast<std::size_t>(g)]});
        if (open) {
            const auto& names = macroNames(g);
            for (int m = 0; m < static_cast<int>(names.size()); ++m) {
                m_rows.push_back(MacroListRow{false, g, m, 2, names[static_cast<std::size_t>(m)]});
            }
        }
    }
    if (m_selectedRow >= static_cast<int>(m_rows.size())) {
        m_selectedRow = static_cast<int>(m_rows.size()) - 1;
    }
}

void MacroLibrary::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        return;
    }
    if (m_view) {
        m_view->closePopupMenu();
    }
    if (m_recorder && m_recorder->recording()) {
        m_recorder->endWithoutSaving();
    }
    if (m_view) {
        m_view->clearLightingList();
    }
    const MacroListRow target = m_rows[static_cast<std::size_t>(row)];
    if (row == m_selectedRow) {
        if (target.isGroup) {
            m_expanded[static_cast<std::size_t>(target.group)] = !expanded(target.group);
            rebuildList();
        }
        return;
    }
    const int previous = m_selectedRow;
    if (target.isGroup) {
        m_selectedRow = row;
        m_currentGroup = target.group;
        m_expanded[static_cast<std::size_t>(target.group)] = !expanded(target.group);
        rebuildList();
        repeatBox = RepeatBox{"1", false};
        readCurrentGroup();
        return;
    }
    if (previous >= 0 && previous < static_cast<int>(m_rows.size()) &&
        !m_rows[static_cast<std::size_t>(previous)].isGroup) {
        const MacroListRow& left = m_rows[static_cast<std::size_t>(previous)];
        if (m_loadedGroup == left.group && left.macro < buffer().count) {
            MacroRecord& r = buffer().records[static_cast<std::size_t>(left.macro)];
            // A disabled box shows "1" without standing for the macro's count.
            if (repeatBox.enabled) {
                r.repeatCount = static_cast<std::uint16_t>(
                    std::clamp(ini::leadingInt(repeatBox.text), 1, kMaxRepeatCount));
            }
            static_cast<void>(
                m_files.WriteMacro(groupPath(m_groupNames[static_cast<std::size_t>(left.group)]),
                                   m_current, left.macro));
        }
    }
    m_selectedRow = row;
    m_currentGroup = target.group;
    readCurrentGroup();
    m_currentMacro = target.macro;
    showCurrentMacroOrEmpty(target.macro);
}

bool MacroLibrary::macroRowSelected() const {
    return m_selectedRow >= 0 && m_selectedRow < static_cast<int>(m_rows.size()) &&
           !m_rows[static_cast<std::size_t>(m_selectedRow)].isGroup;
}

bool MacroLibrary::saveMacro(int macro) {
    if (m_readOnly || m_loadedGroup < 0 || m_loadedGroup >= groupCount() || macro < 0 ||
        macro >= buffer().count || macro >= kMaxMacrosPerGroup) {
        return false;
    }
    return m_files.WriteMacro(groupPath(m_groupNames[static_cast<std::size_t>(m_loadedGroup)]),
                              m_current, macro);
}

// ---- commands ----

void MacroLibrary::newGroup() {
    m_currentMacro = 0;
    m_current.groupSealed = false;
    if (groupCount() >= kMaxGroups) {
        warn(Tip::TwelveGroups);
        return;
    }
    std::string name =
        ini::cutToCharacters(m_texts.devMacName(kDefaultGroupNameEntry), kMaxGroupNameChars);
    if (groupCount() > 0) {
        name = makeUniqueName(name, m_groupNames, kMaxGroupNameChars);
    }
    if (!isSafeGroupName(name)) {
        warn(Tip::OperationFailed);
        return;
    }
    if (std::find(m_groupNames.begin(), m_groupNames.end(), name) != m_groupNames.end()) {
        warn(Tip::GroupExists);
        return;
    }
    const std::string path = groupPath(name);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            warn(Tip::OperationFailed);
            return;
        }
    }
    m_groupNames.push_back(name);
    if (!writeIndex()) {
        m_groupNames.pop_back();
        std::error_code ec;
        fs::remove(path, ec);
        warn(Tip::OperationFailed);
        return;
    }
    const int g = groupCount() - 1;
    if (m_view) {
        m_view->showSteps(-1);
    }
    m_macroNames[static_cast<std::size_t>(g)].clear();
    m_expanded[static_cast<std::size_t>(g)] = false;
    clearAllRecords();
    m_currentGroup = g;
    m_loadedGroup = g;
    m_current.datVersion = 0;
    rebuildList();
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r].isGroup && m_rows[r].group == g) {
            m_selectedRow = static_cast<int>(r);
        }
    }
    repeatBox = RepeatBox{"1", false};
}

void MacroLibrary::newMacro() {
    if (groupCount() == 0) {
        return;
    }
    const int g = selectedGroup();
    ensureLoaded(g);
    m_current.groupSealed = false;
    const std::string text = m_texts.devMacName(kDefaultMacroNameEntry);
    if (text.empty()) {
        return;
    }
    const int count = buffer().count;
    if (count >= kMaxMacrosPerGroup) {
        warn(Tip::LimitReached);
        return;
    }
    const std::string name = count > 0 ? makeUniqueName(text, macroNamesExcept(-1), kMacroNameChars)
                                       : ini::cutToCharacters(text, kMacroNameChars);
    if (m_view) {
        m_view->showSteps(-1);
    }
    buffer().count = static_cast<std::int16_t>(count + 1);
    ClearRecord(buffer(), count);
    buffer().records[static_cast<std::size_t>(count)].setNameUtf8(name);
    if (!m_files.WriteMacro(*groupFilePath(g), m_current, count)) {
        buffer().count = static_cast<std::int16_t>(count);
        ClearRecord(buffer(), count);
        warn(Tip::OperationFailed);
        return;
    }
    m_currentMacro = count;
    refreshNames();
    m_expanded[static_cast<std::size_t>(g)] = true;
    rebuildList();
}

void MacroLibrary::deleteGroup() {
    if (groupCount() == 0) {
        return;
    }
    const int g = selectedGroup();
    const std::vector<std::string> before = m_groupNames;
    const std::string path = groupPath(m_groupNames[static_cast<std::size_t>(g)]);
    m_groupNames.erase(m_groupNames.begin() + g);
    // The index goes first: were the file deleted and the index not written, the index would
    // name a file that is gone.
    if (!writeIndex()) {
        m_groupNames = before;
        warn(Tip::OperationFailed);
        return;
    }
    std::error_code ec;
    fs::remove(path, ec);
    if (exists(path)) {
        pause(10);
        fs::remove(path, ec);
    }
    for (int k = g; k + 1 < kMaxGroups; ++k) {
        m_expanded[static_cast<std::size_t>(k)] = m_expanded[static_cast<std::size_t>(k + 1)];
    }
    m_expanded[static_cast<std::size_t>(kMaxGroups - 1)] = false;
    m_current.groupSealed = false;
    m_currentGroup = 0;
    m_currentMacro = 0;
    m_loadedGroup = -1;
    readCurrentGroup();
    refreshNames();
    m_selectedRow = groupCount() > 0 ? 0 : -1;
    rebuildList();
    if (m_view) {
        m_view->clearLightingList();
        if (groupCount() == 0) {
            m_view->showSteps(-1);
        }
    }
    if (groupCount() == 0) {
        repeatBox = RepeatBox{"1", false};
    }
}

void MacroLibrary::deleteMacro() {
    if ((m_recorder && m_recorder->recording()) || m_rows.empty()) {
        return;
    }
    if (m_selectedRow < 0 || m_selectedRow >= static_cast<int>(m_rows.size())) {
        warn(Tip::SelectRowFirst);
        return;
    }
    const MacroListRow row = m_rows[static_cast<std::size_t>(m_selectedRow)];
    if (row.isGroup) {
        return;
    }
    ensureLoaded(row.group);
    const int count = buffer().count;
    if (row.macro >= count) {
        return;
    }
    for (int k = row.macro; k + 1 < count; ++k) {
        MoveRecord(buffer(), k + 1, k);
    }
    ClearRecord(buffer(), count - 1);
    buffer().count = static_cast<std::int16_t>(count - 1);
    if (!m_files.WriteGroupFile(*groupFilePath(row.group), m_current)) {
        warn(Tip::OperationFailed);
    }
    refreshNames();
    rebuildList();
    m_selectedRow = std::max(0, m_selectedRow - 1);
    const MacroListRow& above = m_rows[static_cast<std::size_t>(m_selectedRow)];
    if (above.isGroup) {
        if (m_view) {
            m_view->showSteps(-1);
        }
        repeatBox = RepeatBox{"1", false};
    } else {
        m_currentMacro = above.macro;
        showCurrentMacroOrEmpty(above.macro);
    }
}

void MacroLibrary::resetAllGroups() {
    m_currentGroup = 0;
    m_currentMacro = 0;
    m_selectedRow = 0;
    // The factory copy is assembled beside the macro folder first and then put in its place,
    // so a copy that fails half-way leaves the library as it was.
    const fs::path macro = folderOf(m_folders.macroDir);
    const fs::path staged = macro.string() + ".new";
    const fs::path old = macro.string() + ".old";
    std::error_code ec;
    fs::remove_all(staged, ec);
    fs::remove_all(old, ec);
    ec.clear();
    const fs::path reset = folderOf(m_folders.macroResetDir);
    if (!fs::is_directory(reset, ec)) {
        warn(Tip::OperationFailed);
        return;
    }
    fs::copy(reset, staged, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) {
        fs::remove_all(staged, ec);
        warn(Tip::OperationFailed);
        return;
    }
    const bool hadFolder = fs::exists(macro, ec);
    if (hadFolder) {
        fs::rename(macro, old, ec);
    }
    if (!ec) {
        fs::rename(staged, macro, ec);
        if (ec && hadFolder) {
            std::error_code back;
            fs::rename(old, macro, back);
        }
    }
    if (ec) {
        fs::remove_all(staged, ec);
        warn(Tip::OperationFailed);
        return;
    }
    fs::remove_all(old, ec);
    pause(100);
    m_store.clearCache();
    loadIndex();
    refreshNames();
    m_loadedGroup = -1;
    readCurrentGroup();
    m_expanded.fill(false);
    rebuildList();
    if (m_view) {
        m_view->clearLightingList();
    }
}

std::string MacroLibrary::renameRow(int row, const std::string& text) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        warn(Tip::SelectRowFirst);
        return std::string();
    }
    const MacroListRow target = m_rows[static_cast<std::size_t>(row)];
    const std::string wanted = withoutLeadingSpaces(text);
    if (target.isGroup) {
        const auto g = static_cast<std::size_t>(target.group);
        const std::string old = m_groupNames[g];
        if (wanted.empty()) {
            return old;
        }
        std::vector<std::string> others = m_groupNames;
        others.erase(others.begin() + target.group);
        const std::string name = makeUniqueName(wanted, others, kMaxGroupNameChars);
        if (!isSafeGroupName(name)) {
            warn(Tip::OperationFailed);
            return old;
        }
        if (name == old) {
            return old;
        }
        if (std::find(others.begin(), others.end(), name) != others.end()) {
            warn(Tip::GroupExists);
            return old;
        }
        const std::string from = groupPath(old);
        const std::string to = groupPath(name);
        if (!exists(from)) {
            warn(Tip::FileMissing);
            return old;
        }
        // Copy, then index, then delete: at every point the index names a file that exists.
        std::error_code ec;
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            warn(Tip::OperationFailed);
            return old;
        }
        m_groupNames[g] = name;
        if (!writeIndex()) {
            m_groupNames[g] = old;
            fs::remove(to, ec);
            warn(Tip::OperationFailed);
            return old;
        }
        fs::remove(from, ec);
        rebuildList();
        return name;
    }
    ensureLoaded(target.group);
    if (target.macro >= buffer().count) {
        return target.text;
    }
    MacroRecord& r = buffer().records[static_cast<std::size_t>(target.macro)];
    if (wanted.empty()) {
        return r.nameUtf8();
    }
    r.setNameUtf8(makeUniqueName(wanted, macroNamesExcept(target.macro), kMacroNameChars));
    if (!m_files.WriteMacro(*groupFilePath(target.group), m_current, target.macro)) {
        warn(Tip::OperationFailed);
    }
    refreshNames();
    rebuildList();
    return r.nameUtf8();
}

bool MacroLibrary::isOwnFile(const std::string& path) const {
    const fs::path chosen = canonicalOf(path);
    for (const char* own : {"constMacro.dat", "PUBG.dat", "PUBG_CN.dat", "PUBG_EN.dat"}) {
        if (chosen == canonicalOf(m_folders.configDir + own)) {
            return true;
        }
    }
    return false;
}

void MacroLibrary::importGroup() {
    if (groupCount() >= kMaxGroups) {
        warn(Tip::LimitReached);
        return;
    }
    const auto chosen = m_chooser.chooseOpen(FileRequest{m_folders.macroDir, "", kGroupFilter, ""});
    if (!chosen || chosen->empty() || isOwnFile(*chosen)) {
        return;
    }
    const std::string name = ini::cutToCharacters(groupNameOfFile(*chosen), kMaxGroupNameChars);
    if (!isSafeGroupName(name)) {
        warn(Tip::OperationFailed);
        return;
    }
    if (std::find(m_groupNames.begin(), m_groupNames.end(), name) != m_groupNames.end()) {
        warn(Tip::GroupExists);
        return;
    }
    if (!exists(*chosen)) {
        warn(Tip::FileMissing);
        return;
    }
    const std::string target = groupPath(name);
    std::error_code ec;
    const bool same = fs::equivalent(*chosen, target, ec);
    if (!same) {
        fs::copy_file(*chosen, target, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            warn(Tip::OperationFailed);
            return;
        }
    }
    m_groupNames.push_back(name);
    if (!writeIndex()) {
        m_groupNames.pop_back();
        warn(Tip::OperationFailed);
        return;
    }
    refreshNames();
    m_currentGroup = groupCount() - 1;
    m_loadedGroup = -1;
    readCurrentGroup();
    rebuildList();
}

void MacroLibrary::exportGroup() {
    exportCurrentGroup(false);
}

void MacroLibrary::exportGroupSealed() {
    exportCurrentGroup(true);
}

void MacroLibrary::exportCurrentGroup(bool sealed) {
    if (groupCount() == 0) {
        warn(Tip::OperationFailed);
        return;
    }
    const std::string groupName = m_loadedGroup >= 0 && m_loadedGroup < groupCount()
                                      ? m_groupNames[static_cast<std::size_t>(m_loadedGroup)]
                                      : std::string();
    const auto chosen = m_chooser.chooseSave(FileRequest{
        m_folders.macroDir, "dat", kGroupFilter, fileNameFrom(groupName, "macros") + ".dat"});
    if (!chosen || chosen->empty()) {
        return;
    }
    if (sealed) {
        // The flag stays set: the current group behaves as sealed until a group is read
        // again.
        m_current.groupSealed = true;
    }
    if (!m_files.WriteGroupFile(*chosen, m_current)) {
        warn(Tip::OperationFailed);
    }
    if (sealed) {
        showCurrentMacroOrEmpty(m_currentMacro);
    }
}

void MacroLibrary::exportMacro() {
    if (m_current.groupSealed) {
        warn(Tip::GroupSealed);
        return;
    }
    if (groupCount() == 0 || m_currentMacro < 0 || m_currentMacro >= buffer().count) {
        warn(Tip::SelectRowFirst);
        return;
    }
    const std::string macroName =
        buffer().records[static_cast<std::size_t>(m_currentMacro)].nameUtf8();
    const auto chosen = m_chooser.chooseSave(FileRequest{
        m_folders.macroDir, "sdat", kSingleFilter, fileNameFrom(macroName, "macro") + ".sdat"});
    if (!chosen || chosen->empty()) {
        return;
    }
    if (!m_files.WriteSingleMacroFile(*chosen, m_current, m_currentMacro)) {
        warn(Tip::OperationFailed);
    }
}

void MacroLibrary::importMacro() {
    if (m_current.groupSealed) {
        warn(Tip::GroupSealed);
        return;
    }
    if (groupCount() == 0) {
        return;
    }
    const int g = selectedGroup();
    ensureLoaded(g);
    if (m_current.groupSealed) {
        warn(Tip::GroupSealed);
        return;
    }
    const int count = buffer().count;
    if (count >= kMaxMacrosPerGroup) {
        warn(Tip::LimitReached);
        return;
    }
    const auto chosen =
        m_chooser.chooseOpen(FileRequest{m_folders.macroDir, "", kSingleFilter, ""});
    if (!chosen || chosen->empty()) {
        return;
    }
    if (!exists(*chosen)) {
        warn(Tip::FileMissing);
        return;
    }
    MacroRecord record = m_files.ReadSingleMacroFile(*chosen, m_current.datVersion);
    record.setNameUtf8(makeUniqueName(record.nameUtf8(), macroNamesExcept(-1), kMacroNameChars));
    buffer().records[static_cast<std::size_t>(count)] = record;
    buffer().count = static_cast<std::int16_t>(count + 1);
    if (m_view) {
        m_view->showSteps(-1);
    }
    if (!m_files.WriteMacro(*groupFilePath(g), m_current, count)) {
        buffer().count = static_cast<std::int16_t>(count);
        buffer().records[static_cast<std::size_t>(count)] = MacroRecord{};
        warn(Tip::OperationFailed);
        return;
    }
    refreshNames();
    m_expanded[static_cast<std::size_t>(g)] = true;
    rebuildList();
}

} // namespace zel
