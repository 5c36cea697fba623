// libFuzzer entry for the language-pack reader: any bytes as LanguageText.ini. Every text
// is read within its bound, the lighting name lists are built whatever the table holds,
// and the mouse-button names the key tables take come out as plain text.
#include "FuzzSupport.h"
#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"
#include "presentation/LanguagePack.h"

#include <cstdlib>
#include <string>

using namespace zel;

namespace {

class NullMessages final : public MessageSink {
public:
    void message(const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string dir = fuzz::scratchDir().string();
    fuzz::writeInput(dir + "/LanguageText.ini", data, size);

    ini::IniStore store;
    NullMessages messages;
    LanguagePack pack;
    if (!pack.load(store, dir, &messages)) {
        std::abort(); // the file is there: a load never fails on its content
    }
    std::size_t total = 0;
    for (int t = 0; t < kTextTableCount; ++t) {
        for (int e = -1; e <= kTextEntries; ++e) {
            total += pack.text(static_cast<TextTable>(t), e).size();
        }
    }
    if (!pack.text(TextTable::TipText, -1).empty() ||
        !pack.text(TextTable::TipText, kTextEntries).empty()) {
        std::abort();
    }
    for (int e = 0; e < kTextEntries; ++e) {
        total += pack.devMacName(e).size();
    }
    total += pack.effectNames().size() + pack.reactionNames().size() + pack.modeNames().size();
    total += pack.fontFlag().size() + pack.fontFile().size() + pack.fontName().size();
    return total == 0xFFFFFFFFu ? 1 : 0;
}
