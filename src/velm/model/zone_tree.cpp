#include "velm/model/zone_tree.hpp"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace velm {

NestingLimitExceeded::NestingLimitExceeded()
    : std::runtime_error("zones are nested deeper than the engine's limit of " +
                         std::to_string(MAX_ZONE_DEPTH) + " levels") {}

bool tree_contains(const Environment& root, const Environment& target) {
    std::unordered_set<const Environment*> seen{&root};
    std::vector<const Environment*> pending{&root};
    while (!pending.empty()) {
        const Environment* zone = pending.back();
        pending.pop_back();
        if (zone == &target) {
            return true;
        }
        for (const auto& child : zone->sub_environments) {
            if (seen.insert(child.get()).second) {
                pending.push_back(child.get());
            }
        }
    }
    return false;
}

bool exceeds_nesting_limit(const Environment& root) {
    struct Open {
        const Environment* zone;
        std::size_t next_child;
        std::size_t tallest_child;
    };
    // Levels of every finished zone's subtree, the zone itself included.
    std::unordered_map<const Environment*, std::size_t> height;
    std::vector<Open> open{{&root, 0, 0}};
    while (!open.empty()) {
        if (open.size() > MAX_ZONE_DEPTH) {
            return true;
        }
        Open& innermost = open.back();
        if (innermost.next_child == innermost.zone->sub_environments.size()) {
            const std::size_t levels = innermost.tallest_child + 1;
            height[innermost.zone] = levels;
            open.pop_back();
            if (!open.empty()) {
                open.back().tallest_child = std::max(open.back().tallest_child, levels);
            }
            continue;
        }
        const Environment* child = innermost.zone->sub_environments[innermost.next_child++].get();
        if (auto known = height.find(child); known != height.end()) {
            if (open.size() + known->second > MAX_ZONE_DEPTH) {
                return true;
            }
            innermost.tallest_child = std::max(innermost.tallest_child, known->second);
            continue;
        }
        open.push_back({child, 0, 0});
    }
    return false;
}

std::vector<ZoneVisit> visit_post_order(Environment& root) {
    struct Open {
        ZoneVisit visit;
        std::size_t next_child;
    };
    std::vector<ZoneVisit> visits;
    std::vector<Open> open{{{&root, nullptr, 0}, 0}};
    while (!open.empty()) {
        Environment* zone = open.back().visit.zone;
        std::size_t child = open.back().next_child;
        if (child == zone->sub_environments.size()) {
            visits.push_back(open.back().visit);
            open.pop_back();
            continue;
        }
        if (open.size() == MAX_ZONE_DEPTH) {
            throw NestingLimitExceeded();
        }
        open.back().next_child = child + 1;
        open.push_back({{zone->sub_environments[child].get(), zone, child}, 0});
    }
    return visits;
}

}  // namespace velm
