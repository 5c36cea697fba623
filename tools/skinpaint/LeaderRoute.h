// The path of a leader line of the main page's mouse drawing: from a button's label to
// the zone of that button, around the other zones. Plain arithmetic, so that the painter
// draws it and a test checks it for every layout.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace zel::skinpaint {

struct RoutePoint {
    double x = 0;
    double y = 0;
};

/// A rectangle in layout units: left, top, width, height.
struct RouteBox {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double right() const { return x + width; }
    double bottom() const { return y + height; }
    double centreX() const { return x + width / 2; }
    double centreY() const { return y + height / 2; }
    RouteBox grown(double by) const { return {x - by, y - by, width + 2 * by, height + 2 * by}; }
    bool contains(RoutePoint p) const {
        return p.x >= x && p.x <= right() && p.y >= y && p.y <= bottom();
    }
};

/// Whether the segment from `a` to `b` has a point in `box` (edges included).
inline bool segmentMeetsBox(RoutePoint a, RoutePoint b, const RouteBox& box) {
    // Clips the segment's parameter range against the four edges in turn.
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - box.x, box.right() - a.x, a.y - box.y, box.bottom() - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false; // parallel to this edge and outside it
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    return true;
}

/// How far a line keeps from the zones it passes, and how far it runs out of its label
/// before it turns.
inline constexpr double kRouteClearance = 4;
inline constexpr double kRouteStub = 14;
inline constexpr double kRouteLabelGap = 2;

/// Whether `path` keeps clear of every zone but `own` (by kRouteClearance) and enters
/// `own` with its last segment only.
inline bool routeIsClear(const std::vector<RoutePoint>& path, const std::vector<RouteBox>& zones,
                         std::size_t own) {
    for (std::size_t s = 0; s + 1 < path.size(); ++s) {
        const bool last = s + 2 == path.size();
        for (std::size_t z = 0; z < zones.size(); ++z) {
            if (z != own &&
                segmentMeetsBox(path[s], path[s + 1], zones[z].grown(kRouteClearance))) {
                return false;
            }
        }
        // The last segment ends on the zone's edge; only its inside counts there.
        const RouteBox ownBox = last ? zones[own].grown(-0.5) : zones[own];
        if (segmentMeetsBox(path[s], path[s + 1], ownBox)) {
            return false;
        }
    }
    return true;
}

/// The leader line from `label` to `zones[own]`: it leaves the label's side that faces the
/// zone at the label's middle height and ends on the zone's edge, keeping clear of the
/// other zones. Of the clear candidates (straight in after a short run out of the label,
/// or around the other zones above or below them) the shortest wins, each bend counting
/// as some length. With no clear candidate the straight one is returned.
inline std::vector<RoutePoint> leaderRoute(const RouteBox& label,
                                           const std::vector<RouteBox>& zones, std::size_t own) {
    const RouteBox& zone = zones[own];
    const bool fromLeft = label.centreX() < zone.centreX();
    const double dir = fromLeft ? 1 : -1;
    const RoutePoint start{fromLeft ? label.right() + kRouteLabelGap : label.x - kRouteLabelGap,
                           label.centreY()};
    const double stubX = start.x + dir * kRouteStub;
    const double sideX = fromLeft ? zone.x : zone.right();
    const RoutePoint side{sideX, zone.centreY()};
    const RoutePoint top{zone.centreX(), zone.y};
    const RoutePoint bottom{zone.centreX(), zone.bottom()};

    std::vector<std::vector<RoutePoint>> candidates;
    candidates.push_back({start, {stubX, start.y}, side});
    candidates.push_back({start, {stubX, start.y}, top});
    candidates.push_back({start, {stubX, start.y}, bottom});
    if (start.y < zone.y) {
        candidates.push_back({start, {zone.centreX(), start.y}, top});
    } else if (start.y > zone.bottom()) {
        candidates.push_back({start, {zone.centreX(), start.y}, bottom});
    } else {
        candidates.push_back({start, {sideX, start.y}});
    }
    // Around: along a height just above or below one of the zones.
    std::vector<double> heights;
    for (const RouteBox& z : zones) {
        heights.push_back(z.y - 2 * kRouteClearance);
        heights.push_back(z.bottom() + 2 * kRouteClearance);
    }
    for (double y : heights) {
        if (y < zone.y) {
            candidates.push_back({start, {stubX, start.y}, {stubX, y}, {zone.centreX(), y}, top});
        } else if (y > zone.bottom()) {
            candidates.push_back(
                {start, {stubX, start.y}, {stubX, y}, {zone.centreX(), y}, bottom});
        } else {
            candidates.push_back({start, {stubX, start.y}, {stubX, y}, {sideX, y}});
        }
    }

    constexpr double kBendCost = 25;
    // Ending on the top or bottom edge reads less plainly than on the facing side.
    constexpr double kEndOffSideCost = 10;
    double best = std::numeric_limits<double>::infinity();
    std::size_t chosen = 0;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const std::vector<RoutePoint>& path = candidates[c];
        if (!routeIsClear(path, zones, own)) {
            continue;
        }
        double cost = kBendCost * static_cast<double>(path.size() - 2);
        for (std::size_t s = 0; s + 1 < path.size(); ++s) {
            cost += std::hypot(path[s + 1].x - path[s].x, path[s + 1].y - path[s].y);
        }
        if (path.back().x != sideX) {
            cost += kEndOffSideCost;
        }
        if (cost < best) {
            best = cost;
            chosen = c;
        }
    }
    return candidates[chosen];
}

} // namespace zel::skinpaint
