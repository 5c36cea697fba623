#include "LeaderRoute.h"

#include "platform/ini/IniStore.h"
#include "presentation/LayoutElements.h"
#include "presentation/SkinLayout.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zel::skinpaint {
namespace {

namespace elements = layout::skin_main;

RouteBox boxOf(const Area& a) {
    return {static_cast<double>(a.x), static_cast<double>(a.y), static_cast<double>(a.width),
            static_cast<double>(a.height)};
}

/// Whether the segments a-b and c-d have a point in common.
bool segmentsMeet(RoutePoint a, RoutePoint b, RoutePoint c, RoutePoint d) {
    const auto side = [](RoutePoint p, RoutePoint q, RoutePoint r) {
        const double cross = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
        return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
    };
    const auto within = [](RoutePoint p, RoutePoint q, RoutePoint r) {
        return std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) &&
               std::min(p.y, q.y) <= r.y && r.y <= std::max(p.y, q.y);
    };
    const int d1 = side(c, d, a);
    const int d2 = side(c, d, b);
    const int d3 = side(a, b, c);
    const int d4 = side(a, b, d);
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        return true;
    }
    return (d1 == 0 && within(c, d, a)) || (d2 == 0 && within(c, d, b)) ||
           (d3 == 0 && within(a, b, c)) || (d4 == 0 && within(a, b, d));
}

/// Checks a route against the zones themselves (no clearance): it starts beside its label,
/// ends on its own zone and no segment touches another zone or runs through its own one
/// before the last.
void expectRouteFits(const std::vector<RoutePoint>& route, const RouteBox& label,
                     const std::vector<RouteBox>& zones, std::size_t own) {
    ASSERT_GE(route.size(), 2U);
    EXPECT_TRUE(label.grown(kRouteLabelGap).contains(route.front()));
    EXPECT_FALSE(label.grown(-0.5).contains(route.front()));
    EXPECT_TRUE(zones[own].contains(route.back()))
        << "ends at " << route.back().x << "," << route.back().y;
    for (std::size_t s = 0; s + 1 < route.size(); ++s) {
        for (std::size_t z = 0; z < zones.size(); ++z) {
            if (z != own) {
                EXPECT_FALSE(segmentMeetsBox(route[s], route[s + 1], zones[z]))
                    << "segment " << s << " crosses zone " << z;
            }
        }
        const RouteBox inside = s + 2 == route.size() ? zones[own].grown(-0.5) : zones[own];
        EXPECT_FALSE(segmentMeetsBox(route[s], route[s + 1], inside)) << "segment " << s;
    }
}

TEST(LeaderRoute, SegmentsMeetBoxesWhereTheyCrossOrTouch) {
    const RouteBox box{10, 10, 20, 10};
    EXPECT_TRUE(segmentMeetsBox({0, 15}, {40, 15}, box));  // straight through
    EXPECT_TRUE(segmentMeetsBox({0, 10}, {40, 10}, box));  // along the top edge
    EXPECT_TRUE(segmentMeetsBox({15, 0}, {15, 10}, box));  // ending on the edge
    EXPECT_TRUE(segmentMeetsBox({12, 12}, {14, 14}, box)); // wholly inside
    EXPECT_TRUE(segmentMeetsBox({0, 0}, {40, 30}, box));   // across a corner's side
    EXPECT_FALSE(segmentMeetsBox({0, 9}, {40, 9}, box));
    EXPECT_FALSE(segmentMeetsBox({0, 0}, {9, 30}, box));
    EXPECT_FALSE(segmentMeetsBox({0, 30}, {20, 21}, box)); // pointing at it, stopping short
    EXPECT_FALSE(segmentMeetsBox({31, 0}, {31, 30}, box));
}

TEST(LeaderRoute, SegmentsMeetWhereTheyCrossOrTouch) {
    EXPECT_TRUE(segmentsMeet({0, 0}, {10, 10}, {0, 10}, {10, 0}));
    EXPECT_TRUE(segmentsMeet({0, 5}, {10, 5}, {5, 5}, {5, 20})); // a T
    EXPECT_TRUE(segmentsMeet({0, 0}, {10, 0}, {5, 0}, {20, 0})); // overlapping on one line
    EXPECT_FALSE(segmentsMeet({0, 0}, {10, 0}, {11, 0}, {20, 0}));
    EXPECT_FALSE(segmentsMeet({0, 0}, {10, 10}, {0, 1}, {9, 10})); // parallel
    EXPECT_FALSE(segmentsMeet({0, 5}, {10, 5}, {5, 6}, {5, 20}));
}

TEST(LeaderRoute, AZoneBehindAnotherIsReachedAroundIt) {
    // The label right of both zones, level with them; the near zone hides the far one.
    const std::vector<RouteBox> zones = {{100, 100, 40, 100}, {150, 80, 60, 150}};
    const RouteBox label{300, 130, 100, 30};
    const auto route = leaderRoute(label, zones, 0);
    expectRouteFits(route, label, zones, 0);
    EXPECT_GT(route.size(), 3U) << "not straight through the near zone";
    // The near zone itself is reached straight.
    const auto near = leaderRoute(label, zones, 1);
    expectRouteFits(near, label, zones, 1);
    EXPECT_EQ(near.back().x, 210);
}

TEST(LeaderRoute, EveryShippedMainLayoutHasFittingLeaderLines) {
    const std::string skins = test::builtAppDir() + "/skins";
    for (const char* language : {"/0_INI_CN", "/1_INI_EN", "/4_INI_DE"}) {
        SCOPED_TRACE(language);
        ini::IniStore store;
        SkinLayout main;
        ASSERT_EQ(loadSkin(store, skins + language, SkinFile::Main, main, {}), LoadStatus::Ok);
        std::vector<RouteBox> zones;
        std::vector<RouteBox> labels;
        for (int b = 0; b < elements::kButtonZoneCount; ++b) {
            const Area& zone = main.area(elements::kButtonZoneFirst + b);
            const Area& label = main.area(elements::kButtonLabelFirst + b);
            ASSERT_FALSE(zone.empty() || label.empty()) << "button " << b;
            zones.push_back(boxOf(zone));
            labels.push_back(boxOf(label));
        }
        std::vector<std::vector<RoutePoint>> routes;
        for (std::size_t b = 0; b < zones.size(); ++b) {
            SCOPED_TRACE(b);
            routes.push_back(leaderRoute(labels[b], zones, b));
            expectRouteFits(routes.back(), labels[b], zones, b);
        }
        // No line crosses another: each reads as one line from one label.
        for (std::size_t i = 0; i < routes.size(); ++i) {
            for (std::size_t j = i + 1; j < routes.size(); ++j) {
                for (std::size_t s = 0; s + 1 < routes[i].size(); ++s) {
                    for (std::size_t t = 0; t + 1 < routes[j].size(); ++t) {
                        EXPECT_FALSE(segmentsMeet(routes[i][s], routes[i][s + 1], routes[j][t],
                                                  routes[j][t + 1]))
                            << "the lines of buttons " << i << " and " << j << " cross";
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace zel::skinpaint
