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

/// The platform's open and save dialogs. An empty result means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> chooseOpen(const FileRequest& request) = 0;
    virtual std::optional<std::string> chooseSave(const FileRequest& request) = 0;
};

} // namespace zel
