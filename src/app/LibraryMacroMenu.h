#pragma once

#include "macros/MacroLibrary.h"
#include "ui/menus/MenuContext.h"

namespace zel {

/// The macro library as the assignment chain shows it: groups from 1, macros from 0.
class LibraryMacroMenu final : public MacroMenuSource {
public:
    explicit LibraryMacroMenu(const MacroLibrary& library) : m_library(library) {}

    int groupCount() const override { return m_library.groupCount(); }
    std::string groupName(int group) const override {
        return group >= 1 && group <= groupCount()
                   ? m_library.groupNames()[static_cast<std::size_t>(group - 1)]
                   : std::string();
    }
    int macroCount(int group) const override { return m_library.macroCount(group - 1); }
    std::string macroName(int group, int index) const override {
        const std::vector<std::string>& names = m_library.macroNames(group - 1);
        return index >= 0 && static_cast<std::size_t>(index) < names.size()
                   ? names[static_cast<std::size_t>(index)]
                   : std::string();
    }

private:
    const MacroLibrary& m_library;
};

} // namespace zel
