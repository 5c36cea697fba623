#include "presentation/LayoutReader.h"

#include <filesystem>
#include <vector>

namespace zel {

namespace {

std::vector<std::string_view> splitAtCommas(std::string_view value) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) {
            parts.push_back(value.substr(start));
            return parts;
        }
        parts.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

EntryFields splitMainEntry(std::string_view value) {
    EntryFields fields;
    const auto parts = splitAtCommas(value);
    const std::size_t commas = parts.size() - 1;
    if (commas >= 5) {
        for (std::size_t i = 0; i < fields.size() && i < parts.size(); ++i) {
            fields[i] = parts[i];
        }
    } else if (commas == 1 || commas == 2) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            fields[i] = parts[i];
        }
    } else {
        fields[0] = value;
    }
    return fields;
}

EntryFields splitDialogEntry(std::string_view value, bool& tooManyCommas) {
    EntryFields fields;
    std::size_t commas = 0;
    for (char c : value) {
        commas += c == ',' ? 1 : 0;
    }
    tooManyCommas = commas > 6;
    if (commas == 0) {
        fields[0] = value;
        return fields;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) {
            fields[i] = value.substr(start);
            return fields;
        }
        fields[i] = value.substr(start, comma - start);
        start = comma + 1;
    }
    fields[6] = value.substr(start);
    return fields;
}

EntryFields readMainEntry(const ini::IniStore& store, const std::string& path,
                          std::string_view section, int index, WarningSink* warnings,
                          bool warnIfMissing) {
    if (!fileExists(path)) {
        if (warnIfMissing && warnings != nullptr) {
            warnings->warn(Tip::FileMissing);
        }
        return {};
    }
    return splitMainEntry(store.read(path, section, std::to_string(index), kEntryBound));
}

EntryFields readDialogEntry(const ini::IniStore& store, const std::string& path,
                            std::string_view section, int index, MessageSink* messages,
                            bool reportIfMissing) {
    if (!fileExists(path)) {
        if (reportIfMissing && messages != nullptr) {
            messages->message(std::string(kConfigFileMissingText));
        }
        return {};
    }
    bool tooMany = false;
    EntryFields fields =
        splitDialogEntry(store.read(path, section, std::to_string(index), kEntryBound), tooMany);
    if (tooMany && messages != nullptr) {
        messages->message(std::string(kLayoutEntryErrorText));
    }
    return fields;
}

} // namespace zel
