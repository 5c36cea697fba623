#pragma once

#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"

#include <array>
#include <string>
#include <string_view>

namespace zel {

/// The seven fields of an indexed entry of a layout file or language pack.
using EntryFields = std::array<std::string, 7>;

/// Values of indexed entries are read with this bound (characters).
inline constexpr std::size_t kEntryBound = 259;

/// The plain message box text for a missing dialog layout or language pack.
inline constexpr std::string_view kConfigFileMissingText = "找不到配置文件";
/// The plain message box text for a dialog layout entry with more than six commas.
inline constexpr std::string_view kLayoutEntryErrorText = "加载ini错误！";

/// Splits a value by the main-window rule: 5 or more commas give the parts in order
/// (parts after the seventh are dropped); 1 or 2 commas give fields 0..2; 0, 3 or 4
/// commas put the whole value into field 0.
EntryFields splitMainEntry(std::string_view value);

/// Splits a value by the dialog rule: no comma puts the whole value into field 0;
/// otherwise fields 0..5 are the first six parts and field 6 is the rest after the
/// sixth comma, commas included. `tooManyCommas` is set when the value has more than 6.
EntryFields splitDialogEntry(std::string_view value, bool& tooManyCommas);

/// Where the readers report what they find wrong.
struct ReaderSinks {
    WarningSink* warnings = nullptr; ///< main-window files: Tip::FileMissing for a missing file
    MessageSink* messages = nullptr; ///< dialog files: the plain message box texts
};

/// Main-window variant: entry `index` of `section` in the file at `path`. A missing
/// file warns Tip::FileMissing (when `warnIfMissing`) and reads as empty fields.
EntryFields readMainEntry(const ini::IniStore& store, const std::string& path,
                          std::string_view section, int index, WarningSink* warnings,
                          bool warnIfMissing = true);

/// Dialog variant: a missing file shows "找不到配置文件" and reads as empty fields; a
/// value with more than six commas shows "加载ini错误！" and is read all the same.
EntryFields readDialogEntry(const ini::IniStore& store, const std::string& path,
                            std::string_view section, int index, MessageSink* messages,
                            bool reportIfMissing = true);

} // namespace zel
