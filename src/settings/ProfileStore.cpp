#include "settings/ProfileStore.h"

#include "common/WarningSink.h"
#include "keys/MacVkAndText.h"
#include "platform/ini/IniStore.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

namespace zel {

namespace {

constexpr std::string_view kSplit = "&split&";
constexpr std::size_t kBoundKey = 259;
constexpr std::size_t kBoundColour = 9;
constexpr std::size_t kBoundSmall = 4;
/// A combination record's name takes the first 30 UTF-16 units of the display name.
constexpr int kComboNameUnits = 30;

std::vector<std::string> splitKeepingEmpty(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    for (;;) {
        const auto at = text.find(kSplit, pos);
        if (at == std::string_view::npos) {
            tokens.emplace_back(text.substr(pos));
            return tokens;
        }
        tokens.emplace_back(text.substr(pos, at - pos));
        pos = at + kSplit.size();
    }
}

std::string slotKey(std::string_view stem, int s) {
    return std::string(stem) + std::to_string(s);
}

std::string dpiColourKey(int j, char c) {
    return "DPI" + std::to_string(j) + "_" + std::string(1, c);
}

std::string userColourKey(int k, char c) {
    return "LED_USER" + std::to_string(k) + "_" + std::string(1, c);
}

constexpr std::array<char, 3> kRgb = {'R', 'G', 'B'};

} // namespace

ProfileStore::ProfileStore(ini::IniStore& ini, WarningSink& warnings, const MacVkAndText& keys,
                           std::function<int()> language)
    : m_ini(ini), m_warnings(warnings), m_keys(keys), m_language(std::move(language)) {}

bool ProfileStore::loadProfile(const std::string& folder, int profile, bool fromFactory) {
    const std::string path = folder + (fromFactory ? "configReset.ini" : "config.ini");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        m_warnings.warn(Tip::FileMissing);
        return false;
    }
    if (profile < 0 || profile >= kProfileCount) {
        return false;
    }
    const ini::IniSnapshot file = m_ini.snapshot(path);
    loadFrom(file, profile);
    return true;
}

void ProfileStore::loadFrom(const ini::IniSnapshot& file, int profile) {
    ProfileSettings& p = profiles[static_cast<std::size_t>(profile)];
    SharedSettings& sh = shared;
    const std::string section = "Config" + std::to_string(profile);
    bool rebuild = false;
    for (int s = 0; s < kButtonSlots; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const std::string k = file.read(section, slotKey("K", s), kBoundKey);
        const auto comma = k.find(',');
        if (comma == std::string::npos) {
            p.buttonCode[i] = ini::leadingInt(k);
            p.comboText[i].clear();
        } else {
            p.buttonCode[i] = ini::leadingInt(std::string_view(k).substr(0, comma));
            p.comboText[i] = k.substr(comma + 1);
            rebuild = true;
        }
        p.macroLight[i] = file.readInt(
            section, "LEFT_MAC" + std::to_string(profile) + std::to_string(s), kBoundSmall);
        sh.macroColour[i] = std::clamp(file.readInt(section, slotKey("MAC_COR", s), kBoundSmall), 0,
                                       kUserColours - 1);
        static_cast<void>(file.read(section, slotKey("LED_REACT_EN", s), kBoundSmall));
        p.reactEnable[i] = 1; // the stored flag is not used: every button reacts after a load
        p.reactType[i] = file.readInt(section, slotKey("LED_REACT_TYPE", s), kBoundSmall);
    }
    sh.wheelStatus = 0; // WHEEL_STATUS is stored but never taken from the file

    const std::string_view share = "ShareData";
    sh.dpiLevel = file.readInt(share, "DPI_LEVEL", kBoundSmall);
    for (int j = 0; j < kDpiLevels; ++j) {
        const auto i = static_cast<std::size_t>(j);
        sh.dpiValueIndex[i] =
            static_cast<std::uint8_t>(file.readInt(share, slotKey("DPI_SET", j), kBoundColour));
        sh.dpiEnabled[i] = file.readInt(share, slotKey("DPI_SET_EN", j), kBoundColour) != 0;
        for (std::size_t c = 0; c < 3; ++c) {
            sh.dpiColourLevel[i][c] = file.readInt(share, dpiColourKey(j, kRgb[c]), kBoundColour);
        }
        sh.dpiDisplayColour[i] = displayColour(sh.dpiColourLevel[i][0], sh.dpiColourLevel[i][1],
                                               sh.dpiColourLevel[i][2]);
    }
    sh.ledType = static_cast<std::uint8_t>(file.readInt(share, "LED_TYPE", kBoundSmall));
    for (int n = 0; n < kLedTypeSwitches; ++n) {
        sh.ledTypeSwitch[static_cast<std::size_t>(n)] =
            file.readInt(share, slotKey("LED_TYPE_SW_EN", n), kBoundSmall);
    }
    sh.ledCycleTime = static_cast<std::uint8_t>(file.readInt(share, "LED_CYCTIME", kBoundSmall));
    sh.ledUserColourEnable = 1;
    sh.ledFeatureDirection = file.readInt(share, "LED_FEATURE_DIREC", kBoundSmall);
    sh.ledFeatureSymmetry = file.readInt(share, "LED_FEATURE_SYMMETRY", kBoundSmall);
    sh.ledBrightness = file.readInt(share, "LED_BRIGHT", kBoundSmall);
    sh.lightMode = file.readInt(share, "MODE_LIGHT", kBoundSmall);
    sh.softHardMacro = file.readInt(share, "SOFT_HARD_MAC", kBoundSmall);
    for (int k = 0; k < kUserColours; ++k) {
        const auto i = static_cast<std::size_t>(k);
        for (std::size_t c = 0; c < 3; ++c) {
            sh.userColourLevel[i][c] = file.readInt(share, userColourKey(k, kRgb[c]), kBoundColour);
        }
        sh.userDisplayColour[i] = displayColour(sh.userColourLevel[i][0], sh.userColourLevel[i][1],
                                                sh.userColourLevel[i][2]);
    }
    sh.cycleColourMask = static_cast<std::uint8_t>(file.readInt(share, "CYC_7COL_EN", kBoundSmall));
    for (int k = 0; k < kUserColours; ++k) {
        sh.cycleColourOn[static_cast<std::size_t>(k)] = (sh.cycleColourMask >> k) & 1;
    }
    sh.dpiSpeed = static_cast<std::uint8_t>(file.readInt(share, "DPI_SPEED", kBoundSmall));
    sh.wheelSpeed = static_cast<std::uint8_t>(file.readInt(share, "WHEEL_SPEED", kBoundSmall));
    sh.usbSpeed = 0;
    sh.reportRateCode = kReportIntervalCode;
    sh.fireTime = file.readInt(share, "FIRE_TIME", kBoundSmall);

    // One rebuild after the section has the same result as one after every K<s> with a
    // combination, since nothing read after the last such key changes codes or texts.
    if (rebuild) {
        rebuildRecords();
    }
}

namespace {

void writeProfile(ini::IniStore::Batch& b, const ProfileSettings& p, SharedSettings& sh,
                  int profile) {
    const std::string section = "Config" + std::to_string(profile);
    for (int s = 0; s < kButtonSlots; ++s) {
        const auto i = static_cast<std::size_t>(s);
        std::string k = std::to_string(p.buttonCode[i]);
        if (p.buttonCode[i] == kCodeCombination) {
            k += "," + p.comboText[i];
        }
        b.write(section, slotKey("K", s), k);
        b.write(section, slotKey("LED_REACT_EN", s), std::to_string(p.reactEnable[i]));
        b.write(section, "LEFT_MAC" + std::to_string(profile) + std::to_string(s),
                std::to_string(p.macroLight[i]));
        b.write(section, slotKey("MAC_COR", s), std::to_string(sh.macroColour[i]));
        b.write(section, slotKey("LED_REACT_TYPE", s), std::to_string(p.reactType[i]));
    }
    sh.wheelStatus = 0;
    b.write(section, "WHEEL_STATUS", "0");

    const std::string_view share = "ShareData";
    b.write(share, "DPI_LEVEL", std::to_string(sh.dpiLevel));
    sh.ledUserColourEnable = 1;
    b.write(share, "LED_USER_COLER_EN", "1");
    b.write(share, "CYC_7COL_EN", std::to_string(sh.cycleColourMask));
    for (int j = 0; j < kDpiLevels; ++j) {
        const auto i = static_cast<std::size_t>(j);
        b.write(share, slotKey("DPI_SET", j), std::to_string(sh.dpiValueIndex[i]));
        b.write(share, slotKey("DPI_SET_EN", j), sh.dpiEnabled[i] ? "1" : "0");
        for (std::size_t c = 0; c < 3; ++c) {
            b.write(share, dpiColourKey(j, kRgb[c]), std::to_string(sh.dpiColourLevel[i][c]));
        }
    }
    for (int k = 0; k < kUserColours; ++k) {
        const auto i = static_cast<std::size_t>(k);
        for (std::size_t c = 0; c < 3; ++c) {
            b.write(share, userColourKey(k, kRgb[c]), std::to_string(sh.userColourLevel[i][c]));
        }
    }
    b.write(share, "LED_TYPE", std::to_string(sh.ledType));
    for (int n = 0; n < kLedTypeSwitches; ++n) {
        b.write(share, slotKey("LED_TYPE_SW_EN", n),
                std::to_string(sh.ledTypeSwitch[static_cast<std::size_t>(n)]));
    }
    b.write(share, "LED_CYC_TIME", std::to_string(sh.ledCycleTime));
    b.write(share, "LED_FEATURE_SCOLOR", std::to_string(sh.ledFeatureSingleColour));
    b.write(share, "LED_FEATURE_SYMMETRY", std::to_string(sh.ledFeatureSymmetry));
    b.write(share, "LED_FEATURE_DIREC", std::to_string(sh.ledFeatureDirection));
    b.write(share, "LED_BRIGHT", std::to_string(sh.ledBrightness));
    b.write(share, "LED_CYCTIME", std::to_string(sh.ledCycleTime));
    b.write(share, "DPI_SPEED", std::to_string(sh.dpiSpeed));
    b.write(share, "WHEEL_SPEED", std::to_string(sh.wheelSpeed));
    b.write(share, "USB_SPEED", std::to_string(sh.usbSpeed));
    b.write(share, "FIRE_TIME", std::to_string(sh.fireTime));
    b.write(share, "MODE_LIGHT", std::to_string(sh.lightMode));
    b.write(share, "SOFT_HARD_MAC", std::to_string(sh.softHardMacro));
}

} // namespace

bool ProfileStore::saveProfile(const std::string& settingsFile, int profile) {
    if (profile < 0 || profile >= kProfileCount) {
        return false;
    }
    auto batch = m_ini.batch(settingsFile);
    writeProfile(batch, profiles[static_cast<std::size_t>(profile)], shared, profile);
    return batch.commit();
}

bool ProfileStore::saveAllProfiles(const std::string& settingsFile, int currentProfile) {
    if (beforeSaveAll) {
        beforeSaveAll();
    }
    auto batch = m_ini.batch(settingsFile);
    batch.write("Init", "CurConfig", std::to_string(currentProfile));
    for (int p = 0; p < kProfileCount; ++p) {
        writeProfile(batch, profiles[static_cast<std::size_t>(p)], shared, p);
    }
    return batch.commit();
}

bool ProfileStore::storeDpiLevel(const std::string& settingsFile) {
    return m_ini.write(settingsFile, "ShareData", "DPI_LEVEL", std::to_string(shared.dpiLevel));
}

std::int32_t ProfileStore::readStoredDpiLevel(const std::string& settingsFile) const {
    return m_ini.readInt(settingsFile, "ShareData", "DPI_LEVEL", kBoundSmall);
}

std::int32_t ProfileStore::readCurrentProfile(const std::string& settingsFile) const {
    const std::int32_t value = m_ini.readInt(settingsFile, "Init", "CurConfig", kBoundSmall);
    return value >= 0 && value < kProfileCount ? value : 0;
}

std::string ProfileStore::combinationText(std::uint8_t mainKey, const std::string& keyNames) {
    const std::vector<std::string> tokens = splitKeepingEmpty(keyNames);
    const std::size_t examined = mainKey == 255 ? tokens.size() : tokens.size() - 1;
    std::array<std::string, 4> codes; // Ctrl, Shift, Alt, Win
    for (std::size_t t = 0; t < examined; ++t) {
        if (tokens[t] == "Ctrl") {
            codes[0] = "162";
        } else if (tokens[t] == "Shift") {
            codes[1] = "160";
        } else if (tokens[t] == "Alt") {
            codes[2] = "164";
        } else if (tokens[t] == "Win") {
            codes[3] = "91";
        }
    }
    const std::string sep(kSplit);
    std::string text = "Ctrl" + sep + codes[0] + sep + "Shift" + sep + codes[1] + sep + "Alt" +
                       sep + codes[2] + sep + "Win" + sep + codes[3] + sep;
    if (mainKey != 255) {
        text += tokens.back() + sep + std::to_string(mainKey);
    } else {
        text += sep;
    }
    return text;
}

int ProfileStore::setCombination(int currentProfile, std::uint32_t argument,
                                 const std::string& keyNames) {
    const auto mainKey = static_cast<std::uint8_t>(argument & 0xFFu);
    const std::uint32_t slot = argument / 256;
    const std::string text = combinationText(mainKey, keyNames);
    if (slot < static_cast<std::uint32_t>(kButtonSlots) && currentProfile >= 0 &&
        currentProfile < kProfileCount) {
        profiles[static_cast<std::size_t>(currentProfile)].comboText[slot] = text;
        rebuildRecords();
    }
    return 1;
}

MacroRecord ProfileStore::combinationRecord(const std::string& comboText) const {
    MacroRecord record{};
    const std::vector<std::string> tokens = splitKeepingEmpty(comboText);
    std::string displayName;
    int steps = 0;
    const int language = m_language ? m_language() : 0;
    for (std::size_t l = 0; l + 1 < tokens.size() && steps < kMaxSteps; l += 2) {
        if (tokens[l + 1].empty()) {
            continue;
        }
        displayName += (steps == 0 ? "" : "+") + tokens[l];
        const auto vk = static_cast<std::uint8_t>(ini::leadingInt(tokens[l + 1]));
        MacroStep step;
        step.action = kActionPress;
        step.code = m_keys.vkToDeviceCode(language, vk);
        step.delay = 4;
        record.setStep(steps, step);
        ++steps;
    }
    record.setNameUtf8(displayName, kComboNameUnits);
    record.runMode = 2;
    record.repeatCount = 1;
    record.stepCount = static_cast<std::uint16_t>(steps);
    return record;
}

void ProfileStore::rebuildCombinationRecords() {
    rebuildRecords();
}

void ProfileStore::rebuildRecords() {
    for (auto& p : profiles) {
        for (std::size_t s = 0; s < kButtonSlots; ++s) {
            p.comboRecord[s] = p.buttonCode[s] == kCodeCombination
                                   ? combinationRecord(p.comboText[s])
                                   : MacroRecord{};
        }
    }
}

} // namespace zel
