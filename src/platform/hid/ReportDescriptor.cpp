#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

namespace zel::hid {

namespace {

// Item types and tags of the short item prefix byte.
constexpr unsigned kTypeMain = 0;
constexpr unsigned kTypeGlobal = 1;
constexpr unsigned kTypeLocal = 2;

constexpr unsigned kMainInput = 0x8;
constexpr unsigned kMainOutput = 0x9;
constexpr unsigned kMainFeature = 0xB;
constexpr unsigned kMainCollection = 0xA;
constexpr unsigned kMainEndCollection = 0xC;

constexpr unsigned kGlobalUsagePage = 0x0;
constexpr unsigned kGlobalReportSize = 0x7;
constexpr unsigned kGlobalReportId = 0x8;
constexpr unsigned kGlobalReportCount = 0x9;
constexpr unsigned kGlobalPush = 0xA;
constexpr unsigned kGlobalPop = 0xB;

constexpr unsigned kLocalUsage = 0x0;

constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kMaxGlobalStack = 16;
// Far above any real report; keeps the sums of hostile descriptors from overflowing.
constexpr std::uint64_t kBitLimit = std::uint64_t{1} << 40;

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

enum ReportKind { Input = 0, Output = 1, Feature = 2 };

std::uint16_t byteLength(std::uint64_t bits) {
    const std::uint64_t bytes = (bits + 7) / 8 + 1;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(bytes, 0xFFFF));
}

} // namespace

std::optional<std::vector<HidCaps>>
parseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    const std::size_t n = descriptor.size();
    GlobalState global;
    std::vector<GlobalState> globalStack;
    bool haveUsage = false;
    std::uint32_t firstUsage = 0;
    std::size_t depth = 0;

    std::vector<HidCaps> collections;
    // Bits per (top-level collection, kind, report ID).
    std::map<std::tuple<std::size_t, int, std::uint32_t>, std::uint64_t> bits;

    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t prefix = descriptor[i];
        if (prefix == kLongItemPrefix) {
            // Long item: prefix, data size, tag, data. Nothing in it concerns the lengths.
            if (n - i < 3) {
                return std::nullopt;
            }
            const std::size_t dataSize = descriptor[i + 1];
            if (n - i - 3 < dataSize) {
                return std::nullopt;
            }
            i += 3 + dataSize;
            continue;
        }
        const std::size_t sizeCode = prefix & 0x3u;
        const std::size_t size = sizeCode == 3 ? 4 : sizeCode;
        if (n - i - 1 < size) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < size; ++k) {
            value |= static_cast<std::uint32_t>(descriptor[i + 1 + k]) << (8 * k);
        }
        const unsigned type = (prefix >> 2) & 0x3u;
        const unsigned tag = prefix >> 4;
        i += 1 + size;

        if (type == kTypeMain) {
            switch (tag) {
            case kMainCollection:
                if (depth == 0) {
                    HidCaps caps;
                    const std::uint32_t usage = haveUsage ? firstUsage : 0;
                    // A four-byte usage carries its own usage page in the high half.
                    if (usage > 0xFFFF) {
                        caps.usagePage = static_cast<std::uint16_t>(usage >> 16);
                    } else {
                        caps.usagePage = global.usagePage;
                    }
                    caps.usage = static_cast<std::uint16_t>(usage & 0xFFFF);
                    collections.push_back(caps);
                }
                ++depth;
                break;
            case kMainEndCollection:
                if (depth == 0) {
                    return std::nullopt;
                }
                --depth;
                break;
            case kMainInput:
            case kMainOutput:
            case kMainFeature:
                // Data outside every collection belongs to no top-level collection.
                if (depth > 0) {
                    const int kind = tag == kMainInput    ? Input
                                     : tag == kMainOutput ? Output
                                                          : Feature;
                    const std::uint64_t add = std::min<std::uint64_t>(
                        std::uint64_t{global.reportSize} * global.reportCount, kBitLimit);
                    auto& sum = bits[{collections.size() - 1, kind, global.reportId}];
                    sum = std::min(sum + add, kBitLimit);
                }
                break;
            default:
                break;
            }
            haveUsage = false;
        } else if (type == kTypeGlobal) {
            switch (tag) {
            case kGlobalUsagePage:
                global.usagePage = static_cast<std::uint16_t>(value);
                break;
            case kGlobalReportSize:
                global.reportSize = value;
                break;
            case kGlobalReportCount:
                global.reportCount = value;
                break;
            case kGlobalReportId:
                global.reportId = value;
                break;
            case kGlobalPush:
                if (globalStack.size() >= kMaxGlobalStack) {
                    return std::nullopt;
                }
                globalStack.push_back(global);
                break;
            case kGlobalPop:
                if (globalStack.empty()) {
                    return std::nullopt;
                }
                global = globalStack.back();
                globalStack.pop_back();
                break;
            default:
                break;
            }
        } else if (type == kTypeLocal) {
            if (tag == kLocalUsage && !haveUsage) {
                haveUsage = true;
                firstUsage = size == 4 ? value : value & 0xFFFF;
            }
        }
    }
    if (depth != 0) {
        return std::nullopt;
    }

    for (const auto& [key, sum] : bits) {
        const auto& [index, kind, reportId] = key;
        static_cast<void>(reportId);
        if (sum == 0) {
            continue;
        }
        HidCaps& caps = collections[index];
        std::uint16_t& length = kind == Input    ? caps.inputReportByteLength
                                : kind == Output ? caps.outputReportByteLength
                                                 : caps.featureReportByteLength;
        length = std::max(length, byteLength(sum));
    }
    return collections;
}

} // namespace zel::hid
