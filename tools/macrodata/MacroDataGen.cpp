// Generates the factory macro files of the data set: the constant macros in config/, and
// for each shipped language folder its macro groups (macro/ and the factory copy
// macroReset/) and its weapon presets, plus the preset copies in config/.
#include "common/GuardedMain.h"
#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "macros/MacroFiles.h"
#include "platform/ini/IniStore.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zel;
namespace fs = std::filesystem;

// Windows virtual-key codes the macros are written with.
constexpr std::uint8_t kVkLeftButton = 240;
constexpr std::uint8_t kVkBackspace = 8;
constexpr std::uint8_t kVkTab = 9;
constexpr std::uint8_t kVkEnter = 13;
constexpr std::uint8_t kVkSpace = 32;
constexpr std::uint8_t kVkLeftShift = 160;
constexpr std::uint8_t kVkLeftCtrl = 162;
constexpr std::uint8_t kVkLeftAlt = 164;

/// Builds a macro step by step from virtual-key codes of one language.
class MacroBuilder {
public:
    MacroBuilder(const MacVkAndText& keys, int language, const std::string& name)
        : m_keys(keys), m_language(language) {
        m_record.setNameUtf8(name);
        m_record.repeatCount = 1;
        m_record.extra77 = 10; // as a recorded macro
    }

    MacroBuilder& press(std::uint8_t vk, std::uint16_t delay) {
        return add(MacroStep{m_keys.vkToDeviceCode(m_language, vk), kActionPress, 0, 0, delay});
    }
    MacroBuilder& release(std::uint8_t vk, std::uint16_t delay) {
        return add(MacroStep{m_keys.vkToDeviceCode(m_language, vk), kActionRelease, 0, 0, delay});
    }
    MacroBuilder& tap(std::uint8_t vk, std::uint16_t hold, std::uint16_t after) {
        return press(vk, hold).release(vk, after);
    }
    /// Modifier held while `vk` is tapped.
    MacroBuilder& chord(std::uint8_t modifier, std::uint8_t vk) {
        return press(modifier, 20).tap(vk, 30, 20).release(modifier, 10);
    }
    MacroBuilder& text(const std::string& letters) {
        for (const char c : letters) {
            tap(static_cast<std::uint8_t>(c), 20, 20);
        }
        return *this;
    }
    MacroBuilder& pause(std::uint16_t delay) { return add(MacroStep{kCodePause, 0, 0, 0, delay}); }
    MacroBuilder& moveDown(std::uint16_t pull, std::uint16_t delay) {
        ++m_record.moveCount;
        return add(MacroStep{kCodeMove, kActionMoveRightDown, 0, pull, delay});
    }
    MacroBuilder& repeat(std::uint16_t count) {
        m_record.repeatCount = count;
        return *this;
    }
    MacroBuilder& runMode(std::uint8_t mode) {
        m_record.runMode = mode;
        return *this;
    }
    MacroRecord done() const { return m_record; }
    MacroRecord& record() { return m_record; }

private:
    MacroBuilder& add(const MacroStep& step) {
        m_record.setStep(m_record.stepCount, step);
        ++m_record.stepCount;
        return *this;
    }

    const MacVkAndText& m_keys;
    int m_language;
    MacroRecord m_record;
};

struct Language {
    int index;
    std::string folder;
    // Group and macro names in this language.
    std::string office, copy, paste, cut, undo, redo, selectAll, save;
    std::string game, bunnyHop, crouchJump, reloadSwitch, quickHeal, doubleClick;
    bool chinesePresetNames;
};

struct Weapon {
    const char* name;
    const char* nameCn;
    std::uint16_t pull;     // Y distance per pull step
    std::uint16_t interval; // ms between the steps of one shot
};

// Pull strengths and step intervals, tuned for a close-range spray with no attachments.
const std::vector<Weapon> kWeapons = {
    {"M416", "M416 突击步枪", 6, 43},        {"AKM", "AKM 突击步枪", 9, 50},
    {"SCAR-L", "SCAR-L 突击步枪", 6, 48},    {"M16A4", "M16A4 突击步枪", 5, 38},
    {"Beryl M762", "M762 突击步枪", 10, 43}, {"UMP45", "UMP45 冲锋枪", 4, 46},
    {"Vector", "Vector 冲锋枪", 5, 28},      {"Groza", "Groza 突击步枪", 8, 40},
    {"AUG A3", "AUG 突击步枪", 5, 42},       {"QBZ95", "QBZ 突击步枪", 6, 46},
    {"Mini14", "Mini14 射手步枪", 4, 50},    {"SKS", "SKS 射手步枪", 7, 45},
};

MacroGroupState group(const std::vector<MacroRecord>& records) {
    MacroGroupState g;
    g.datVersion = kCurrentDatVersion;
    g.groupMacros.count = static_cast<std::int16_t>(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        g.groupMacros.records[i] = records[i];
    }
    return g;
}

MacroGroupState presets(const MacVkAndText& keys, bool chineseNames) {
    std::vector<MacroRecord> records;
    for (const Weapon& w : kWeapons) {
        // Loop while held: fire, pull down, let go; the dialog tunes the pull and the interval.
        MacroBuilder b(keys, 1, chineseNames ? w.nameCn : w.name);
        b.press(kVkLeftButton, w.interval).moveDown(w.pull, w.interval).release(kVkLeftButton, 1);
        b.runMode(2);
        b.record().extra76 = 1;
        b.record().extra77 = static_cast<std::uint8_t>(w.pull);
        records.push_back(b.done());
    }
    return group(records);
}

bool writeGroupIndex(ini::IniStore& store, const std::string& path,
                     const std::vector<std::string>& names) {
    auto batch = store.batch(path);
    batch.write("MACRO_GROUP_NUM", "macGrpNum", std::to_string(names.size()));
    for (std::size_t i = 0; i < 12; ++i) {
        batch.write("MACRO_GROUP_NAME", std::to_string(i), i < names.size() ? names[i] : "");
    }
    return batch.commit();
}

bool writeLibrary(MacroFiles& files, ini::IniStore& store, const MacVkAndText& keys,
                  const Language& lang, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return false;
    }
    const int li = lang.index;
    const std::vector<MacroRecord> office = {
        MacroBuilder(keys, li, lang.copy).chord(kVkLeftCtrl, 'C').done(),
        MacroBuilder(keys, li, lang.paste).chord(kVkLeftCtrl, 'V').done(),
        MacroBuilder(keys, li, lang.cut).chord(kVkLeftCtrl, 'X').done(),
        MacroBuilder(keys, li, lang.undo).chord(kVkLeftCtrl, 'Z').done(),
        MacroBuilder(keys, li, lang.redo).chord(kVkLeftCtrl, 'Y').done(),
        MacroBuilder(keys, li, lang.selectAll).chord(kVkLeftCtrl, 'A').done(),
        MacroBuilder(keys, li, lang.save).chord(kVkLeftCtrl, 'S').done(),
    };
    const std::vector<MacroRecord> game = {
        MacroBuilder(keys, li, lang.bunnyHop).tap(kVkSpace, 30, 120).repeat(5).done(),
        MacroBuilder(keys, li, lang.crouchJump)
            .press(kVkSpace, 40)
            .press(kVkLeftCtrl, 300)
            .release(kVkSpace, 10)
            .release(kVkLeftCtrl, 10)
            .done(),
        MacroBuilder(keys, li, lang.reloadSwitch).tap('R', 30, 1800).tap('1', 30, 10).done(),
        MacroBuilder(keys, li, lang.quickHeal)
            .tap('7', 30, 100)
            .pause(6000)
            .tap('8', 30, 10)
            .done(),
        MacroBuilder(keys, li, lang.doubleClick)
            .tap(kVkLeftButton, 20, 40)
            .tap(kVkLeftButton, 20, 10)
            .done(),
    };
    bool ok = files.WriteGroupFile((folder / (lang.office + ".dat")).string(), group(office));
    ok = files.WriteGroupFile((folder / (lang.game + ".dat")).string(), group(game)) && ok;
    ok = writeGroupIndex(store, (folder / "macroGrp.ini").string(), {lang.office, lang.game}) && ok;
    return ok;
}

MacroGroupState constantMacros(const MacVkAndText& keys) {
    return group({
        MacroBuilder(keys, 1, "Double Click")
            .tap(kVkLeftButton, 20, 40)
            .tap(kVkLeftButton, 20, 10)
            .done(),
        MacroBuilder(keys, 1, "Triple Click")
            .tap(kVkLeftButton, 20, 40)
            .tap(kVkLeftButton, 20, 40)
            .tap(kVkLeftButton, 20, 10)
            .done(),
        MacroBuilder(keys, 1, "Copy").chord(kVkLeftCtrl, 'C').done(),
        MacroBuilder(keys, 1, "Paste").chord(kVkLeftCtrl, 'V').done(),
        MacroBuilder(keys, 1, "Select All").chord(kVkLeftCtrl, 'A').done(),
        MacroBuilder(keys, 1, "Switch Window").chord(kVkLeftAlt, kVkTab).done(),
        MacroBuilder(keys, 1, "New Line").chord(kVkLeftShift, kVkEnter).done(),
        MacroBuilder(keys, 1, "Delete Word").chord(kVkLeftCtrl, kVkBackspace).done(),
        MacroBuilder(keys, 1, "GG").text("GG").tap(kVkEnter, 20, 10).done(),
    });
}

int run(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data/skins folder>\n", argv[0]);
        return 2;
    }
    const fs::path skins = argv[1];
    ini::IniStore store;
    MacVkAndText keys;
    NullWarningSink warnings;
    MacroFiles files(store, keys, warnings, 1);

    const fs::path config = skins / "config";
    std::error_code ec;
    fs::create_directories(config, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s: %s\n", config.string().c_str(),
                     ec.message().c_str());
        return 1;
    }
    bool ok = files.WriteGroupFile((config / "constMacro.dat").string(), constantMacros(keys));
    ok = files.WriteGroupFile((config / "PUBG.dat").string(), presets(keys, false)) && ok;
    ok = files.WriteGroupFile((config / "PUBG_EN.dat").string(), presets(keys, false)) && ok;
    ok = files.WriteGroupFile((config / "PUBG_CN.dat").string(), presets(keys, true)) && ok;

    const std::vector<Language> languages = {
        {0, "0_INI_CN", "办公", "复制", "粘贴", "剪切", "撤销", "重做", "全选", "保存", "游戏",
         "连跳", "蹲跳", "换弹切枪", "快速治疗", "双击", true},
        {1, "1_INI_EN", "Office", "Copy", "Paste", "Cut", "Undo", "Redo", "Select All", "Save",
         "Game", "Bunny Hop", "Crouch Jump", "Reload and Switch", "Quick Heal", "Double Click",
         false},
        {4, "4_INI_DE", "Büro", "Kopieren", "Einfügen", "Ausschneiden", "Rückgängig", "Wiederholen",
         "Alles auswählen", "Speichern", "Spiel", "Hasensprung", "Ducksprung",
         "Nachladen und Wechseln", "Schnell heilen", "Doppelklick", false},
    };
    for (const Language& lang : languages) {
        files.setLanguage(lang.index);
        const fs::path dir = skins / lang.folder;
        ok = writeLibrary(files, store, keys, lang, dir / "macro") && ok;
        ok = writeLibrary(files, store, keys, lang, dir / "macroReset") && ok;
        ok = files.WriteGroupFile((dir / "PUBG.dat").string(),
                                  presets(keys, lang.chinesePresetNames)) &&
             ok;
    }
    if (!ok) {
        std::fprintf(stderr, "writing the macro files failed\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return zel::guardedMain("zel_macrodata", [&] { return run(argc, argv); });
}
