#pragma once

#include "device/ProductKind.h"
#include "platform/hid/HidBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::ctl {

/// One mouse as the HID devices show it: its event collection (0xFF00/1) and its feature
/// collection (0xFF01/1), which may share a node.
struct SurveyedMouse {
    std::uint16_t productId = 0;
    ProductKind kind = ProductKind::NotSeen;
    std::string productString;
    std::string eventPath;   ///< "" when the mouse shows no event collection
    std::string featurePath; ///< "" when it shows no feature collection
    /// The product string passes the model's test (the program would open this mouse).
    bool accepted = false;
    /// Both collections opened (for reading and for writing).
    bool openable = false;
    /// Why a collection did not open ("" when both did).
    std::string openProblem;
};

/// Every mouse of the vendor with product 0x1040 or 0x1201 among the HID devices, in
/// enumeration order. Collections are paired in the order they come: an event and a
/// feature collection of the same product make one mouse. Each is opened once for reading
/// or writing to tell whether the program could use it; `expectedProductString` is the
/// model's ("" accepts every product string).
std::vector<SurveyedMouse> surveyMice(hid::HidBackend& backend,
                                      const std::string& expectedProductString);

} // namespace zel::ctl
