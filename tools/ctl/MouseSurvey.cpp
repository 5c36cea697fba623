#include "ctl/MouseSurvey.h"

#include "common/UniqueFd.h"
#include "device/DeviceLink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>

namespace zel::ctl {

namespace {

struct Collection {
    hid::HidInterface entry;
    hid::HidAttributes attributes;
    std::string productString;
    hid::HidCaps caps;
};

bool isMouse(const hid::HidAttributes& a) {
    return a.vendorId == DeviceLink::kVendorId &&
           (a.productId == DeviceLink::kProduct1040 || a.productId == DeviceLink::kProduct1201);
}

/// Why a node does not open: the system's word for it when the node is a file that can
/// be tried (a hidraw node), else a plain statement.
std::string openProblem(const std::string& path) {
    if (path.rfind("/dev/", 0) == 0) {
        const UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        if (!fd.valid()) {
            return path + ": " + std::strerror(errno);
        }
    }
    return path + ": cannot be opened";
}

} // namespace

std::vector<SurveyedMouse> surveyMice(hid::HidBackend& backend,
                                      const std::string& expectedProductString) {
    std::vector<SurveyedMouse> mice;
    std::optional<Collection> event;
    std::optional<Collection> feature;
    const auto pairUp = [&] {
        const Collection& first = event ? *event : *feature;
        SurveyedMouse mouse;
        mouse.productId = first.attributes.productId;
        mouse.kind = first.attributes.productId == DeviceLink::kProduct1201 ? ProductKind::Pid1201
                                                                            : ProductKind::Pid1040;
        mouse.productString = first.productString;
        mouse.accepted =
            expectedProductString.empty() || expectedProductString == first.productString;
        mouse.eventPath = event ? event->entry.path : std::string();
        mouse.featurePath = feature ? feature->entry.path : std::string();
        bool openable = event.has_value() && feature.has_value();
        if (event && !backend.open(event->entry, hid::OpenMode::Read)) {
            openable = false;
            mouse.openProblem = openProblem(event->entry.path);
        }
        if (feature && !backend.open(feature->entry, hid::OpenMode::Write)) {
            openable = false;
            if (mouse.openProblem.empty()) {
                mouse.openProblem = openProblem(feature->entry.path);
            }
        }
        mouse.openable = openable;
        mice.push_back(std::move(mouse));
        event.reset();
        feature.reset();
    };

    for (const hid::HidInterface& entry : backend.enumerate()) {
        const auto query = backend.open(entry, hid::OpenMode::Query);
        if (!query) {
            continue;
        }
        const auto attributes = query->attributes();
        const auto caps = query->caps();
        if (!attributes || !caps || !isMouse(*attributes) ||
            caps->usage != DeviceLink::kCollectionUsage) {
            continue;
        }
        Collection collection{entry, *attributes, query->productString().value_or(""), *caps};
        const bool isEvent = caps->usagePage == DeviceLink::kReadUsagePage;
        const bool isFeature = caps->usagePage == DeviceLink::kWriteUsagePage;
        if (!isEvent && !isFeature) {
            continue;
        }
        // A collection of a different product, or a second one of a kind already held,
        // starts the next mouse.
        const Collection* held = event ? &*event : (feature ? &*feature : nullptr);
        if (held != nullptr && (held->attributes.productId != attributes->productId ||
                                held->productString != collection.productString ||
                                (isEvent && event) || (isFeature && feature))) {
            pairUp();
        }
        (isEvent ? event : feature) = std::move(collection);
        if (event && feature) {
            pairUp();
        }
    }
    if (event || feature) {
        pairUp();
    }
    return mice;
}

} // namespace zel::ctl
