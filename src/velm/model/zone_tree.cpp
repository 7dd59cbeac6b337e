#include "velm/model/zone_tree.hpp"

#include <unordered_set>

namespace velm {

namespace {

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

}  // namespace

bool would_contain_itself(const Environment& parent, const Environment& child) {
    if (&parent == &child) {
        return true;
    }
    // Only a zone that some list holds can be below another one, and only a
    // zone with inner zones can have anything below it.
    if (parent.times_listed() == 0 || child.sub_environments.empty()) {
        return false;
    }
    return tree_contains(child, parent);
}

std::size_t check_walkable(const Environment& root) {
    struct Open {
        const Environment* zone;
        std::size_t next_child;
    };
    std::vector<Open> open{{&root, 0}};
    std::size_t places = 1;
    while (!open.empty()) {
        Open& innermost = open.back();
        if (innermost.next_child == innermost.zone->sub_environments.size()) {
            open.pop_back();
            continue;
        }
        if (open.size() == MAX_ZONE_DEPTH) {
            throw NestingLimitExceeded();
        }
        if (++places > MAX_ZONE_PLACES) {
            throw PlaceLimitExceeded();
        }
        const Environment* child = innermost.zone->sub_environments[innermost.next_child++].get();
        open.push_back({child, 0});
    }
    return places;
}

std::vector<ZoneVisit> visit_post_order(Environment& root) {
    // Counted first, without building anything: a list of ten million places
    // would take a second and a quarter of a gigabyte just to be refused.
    const std::size_t places = check_walkable(root);
    struct Open {
        ZoneVisit visit;
        std::size_t next_child;
    };
    std::vector<ZoneVisit> visits;
    visits.reserve(places);
    std::vector<Open> open{{{&root, nullptr, 0}, 0}};
    while (!open.empty()) {
        Environment* zone = open.back().visit.zone;
        std::size_t child = open.back().next_child;
        if (child == zone->sub_environments.size()) {
            visits.push_back(open.back().visit);
            open.pop_back();
            continue;
        }
        open.back().next_child = child + 1;
        open.push_back({{zone->sub_environments[child].get(), zone, child}, 0});
    }
    return visits;
}

}  // namespace velm
