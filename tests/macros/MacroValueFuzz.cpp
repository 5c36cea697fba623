// libFuzzer entry for the macro value reader: any text, read with either header, gives a
// record that keeps its invariants and survives writing and reading again.
#include "keys/MacVkAndText.h"
#include "macros/MacroCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zel::MacVkAndText keys;
    if (size == 0) {
        return 0;
    }
    const zel::MacroKeyForm form{keys, data[0] % 27};
    const std::string_view value(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const int header : {zel::kHeaderItemsV3, zel::kHeaderItemsOld}) {
        zel::MacroRecord r =
            zel::decodeMacroValue(value, zel::MacroValueLayout{header, true}, form);
        if (r.stepCount > zel::kMaxSteps || r.moveCount > zel::kMaxMoves ||
            r.ledSlotCount > zel::kMaxLedSteps || zel::normaliseMacroRecord(r)) {
            std::abort();
        }
        const std::string again = zel::encodeMacroValue(r, form);
        if (again.size() != static_cast<std::size_t>(zel::kValueChars)) {
            std::abort();
        }
    }
    return 0;
}
