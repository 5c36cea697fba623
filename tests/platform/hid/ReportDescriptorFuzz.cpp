// libFuzzer entry for the report descriptor parser.
#include "platform/hid/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static_cast<void>(zel::hid::parseReportDescriptor({data, size}));
    return 0;
}
