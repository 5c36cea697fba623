// libFuzzer entry for the layout files: any bytes as each of the nine layout files (the
// first byte picks the file). Every rectangle read stays in the layout range, and the
// sums the pages form from it (right and bottom edges, a caption below) stay in `int`.
#include "FuzzSupport.h"
#include "common/WarningSink.h"
#include "platform/ini/IniStore.h"
#include "presentation/SkinLayout.h"

#include <cstdlib>
#include <string>

using namespace zel;

namespace {

class NullWarnings final : public WarningSink {
public:
    void warn(Tip) override {}
};

class NullMessages final : public MessageSink {
public:
    void message(const std::string&) override {}
};

bool inRange(const Area& a) {
    return a.x >= kLayoutCoordinateMin && a.x <= kLayoutCoordinateMax &&
           a.y >= kLayoutCoordinateMin && a.y <= kLayoutCoordinateMax && a.width >= 0 &&
           a.width <= kLayoutExtentMax && a.height >= 0 && a.height <= kLayoutExtentMax;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto file = static_cast<SkinFile>(data[0] % kSkinFileCount);
    const std::string dir = fuzz::scratchDir().string();
    fuzz::writeInput(dir + skinFileInfo(file).fileName, data + 1, size - 1);

    ini::IniStore store;
    NullWarnings warnings;
    NullMessages messages;
    SkinLayout layout;
    if (loadSkin(store, dir, file, layout, ReaderSinks{&warnings, &messages}, "Other") !=
        LoadStatus::Ok) {
        std::abort();
    }
    int sum = 0;
    for (const Area& a : layout.areas) {
        if (!inRange(a)) {
            std::abort();
        }
        // What the pages compute from a rectangle: edges, a centre, a caption below.
        sum ^= (a.x + a.width) ^ (a.y + a.height + a.height) ^ (a.x + a.width / 2);
        (void)a.contains(a.x, a.y);
    }
    for (int code = 0; code < 48; ++code) {
        sum ^= static_cast<int>(layout.functionName(code).size());
    }
    for (const CornerRect& r : layout.edits) {
        sum ^= r.right - r.left;
    }
    (void)hitTest(layout, 10, 10, static_cast<int>(layout.areas.size()) + 3);
    (void)hitTest(layout, -40000, 40000, 255);
    return sum == 0x7fffffff ? 1 : 0;
}
