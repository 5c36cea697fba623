#pragma once

#include <optional>
#include <string>

namespace zel {

/// What a file dialog is asked for.
struct FileRequest {
    std::string initialFolder;    ///< folder the dialog opens in
    std::string defaultExtension; ///< without the dot; empty for none
    std::string filter;           ///< the filter text, e.g. "All Files(*.ini)|*.ini||"
    std::string suggestedName;    ///< proposed file name for a save, may be empty
};

/// `name` made fit to stand as a file name in any folder: path separators and control
/// characters become "_", and an empty or dot-only name becomes `fallback`.
inline std::string fileNameFrom(const std::string& name, const std::string& fallback) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    if (out.find_first_not_of(". ") == std::string::npos) {
        return fallback;
    }
    return out;
}

/// The platform's open and save dialogs. An empty result means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> chooseOpen(const FileRequest& request) = 0;
    virtual std::optional<std::string> chooseSave(const FileRequest& request) = 0;
};

} // namespace zel
