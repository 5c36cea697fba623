#include "presentation/SkinLayout.h"

#include "platform/ini/IniText.h"

#include <algorithm>
#include <filesystem>

namespace zel {

namespace {

constexpr std::array<SkinFileInfo, kSkinFileCount> kFiles = {{
    {"/skin_main.ini", 75, ReaderVariant::MainWindow},
    {"/skin_advance.ini", 138, ReaderVariant::MainWindow},
    {"/skin_mac.ini", 20, ReaderVariant::MainWindow},
    {"/skin_color.ini", 103, ReaderVariant::MainWindow},
    {"/LBWarning.ini", 5, ReaderVariant::MainWindow},
    {"/skin_keyset.ini", 4, ReaderVariant::Dialog},
    {"/skin_shortcut.ini", 14, ReaderVariant::Dialog},
    {"/skin_gun.ini", 14, ReaderVariant::Dialog},
    {"/skin_sound.ini", 50, ReaderVariant::Dialog},
}};

CornerRect cornerForm(const Area& a) {
    return {a.x, a.y, static_cast<std::int32_t>(static_cast<std::int64_t>(a.x) + a.width),
            static_cast<std::int32_t>(static_cast<std::int64_t>(a.y) + a.height)};
}

} // namespace

const SkinFileInfo& skinFileInfo(SkinFile file) {
    return kFiles[static_cast<std::size_t>(file)];
}

const Area& SkinLayout::area(int index) const {
    static const Area kNone;
    if (index < 0 || static_cast<std::size_t>(index) >= areas.size()) {
        return kNone;
    }
    return areas[static_cast<std::size_t>(index)];
}

std::string SkinLayout::functionName(int code) const {
    if (code >= 0 && code < 48) {
        return functionNames[static_cast<std::size_t>(code)];
    }
    if (code >= 30000 && code <= 30004) {
        return extraFunctionNames[static_cast<std::size_t>(code - 30000)];
    }
    return {};
}

Area areaFromFields(const EntryFields& fields) {
    Area a;
    const auto coordinate = [](const std::string& field) {
        return std::clamp(ini::leadingInt(field), kLayoutCoordinateMin, kLayoutCoordinateMax);
    };
    const auto extent = [](const std::string& field) {
        return std::clamp(ini::leadingInt(field), std::int32_t{0}, kLayoutExtentMax);
    };
    a.x = coordinate(fields[1]);
    a.y = coordinate(fields[2]);
    a.width = extent(fields[3]);
    a.height = extent(fields[4]);
    a.label = fields[5];
    return a;
}

LoadStatus loadSkin(const ini::IniStore& store, const std::string& languageDir, SkinFile file,
                    SkinLayout& layout, const ReaderSinks& sinks, const std::string& otherName1) {
    const SkinFileInfo& info = skinFileInfo(file);
    const std::string path = languageDir + info.fileName;
    layout = SkinLayout{};
    layout.areas.resize(static_cast<std::size_t>(info.entries));

    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        // Reported once per load, not once per entry.
        if (info.variant == ReaderVariant::MainWindow) {
            if (sinks.warnings != nullptr) {
                sinks.warnings->warn(Tip::FileMissing);
            }
        } else if (sinks.messages != nullptr) {
            sinks.messages->message(std::string(kConfigFileMissingText));
        }
        if (file == SkinFile::Main) {
            layout.functionNames[0] = otherName1;
        }
        return LoadStatus::FileMissing;
    }

    auto entry = [&](std::string_view section, int index) {
        if (info.variant == ReaderVariant::MainWindow) {
            return readMainEntry(store, path, section, index, sinks.warnings, false);
        }
        return readDialogEntry(store, path, section, index, sinks.messages, false);
    };

    for (int i = 0; i < info.entries; ++i) {
        layout.areas[static_cast<std::size_t>(i)] = areaFromFields(entry("BUTTONPOS", i));
    }

    if (file == SkinFile::Main) {
        for (int c = 0; c < 48; ++c) {
            layout.functionNames[static_cast<std::size_t>(c)] = entry("FUN_STRING", c)[0];
        }
        for (int k = 0; k < 5; ++k) {
            layout.extraFunctionNames[static_cast<std::size_t>(k)] =
                store.read(path, "FUN_STRING", std::to_string(30000 + k), 14);
        }
        layout.functionNames[0] = otherName1;

        int position = 0;
        const std::string zero = store.read(path, "FUN_STRING", "0", 9);
        if (!zero.empty()) {
            layout.specialFunctions.push_back({"0", zero, 0});
        }
        // Name 18 (the mode switch) is never offered by this model.
        for (int c = 12; c <= 17; ++c) {
            const std::string& name = layout.functionNames[static_cast<std::size_t>(c)];
            if (!name.empty()) {
                layout.specialFunctions.push_back({std::to_string(c), name, ++position});
            }
        }
        for (int k = 0; k < 5; ++k) {
            const std::string& name = layout.extraFunctionNames[static_cast<std::size_t>(k)];
            if (!name.empty()) {
                layout.specialFunctions.push_back({std::to_string(30000 + k), name, ++position});
            }
        }
    }
    if (file == SkinFile::Mac || file == SkinFile::Gun) {
        for (int i = 0; i < 3; ++i) {
            layout.edits[static_cast<std::size_t>(i)] =
                cornerForm(areaFromFields(entry("EDIT", i)));
        }
    }
    if (file == SkinFile::Mac) {
        for (int i = 0; i < 3; ++i) {
            layout.macroDisplays[static_cast<std::size_t>(i)] =
                cornerForm(areaFromFields(entry("MACRODISPLAY", i + 1)));
        }
    }
    return LoadStatus::Ok;
}

int hitTest(const SkinLayout& layout, int px, int py, int last) {
    const int end = std::min<int>(last, static_cast<int>(layout.areas.size()) - 1);
    for (int i = 0; i <= end; ++i) {
        if (layout.areas[static_cast<std::size_t>(i)].contains(px, py)) {
            return i;
        }
    }
    return 255;
}

} // namespace zel
