#pragma once

#include <cstddef>
#include <vector>

#include "velm/model/environment.hpp"
#include "velm/model/zone_limits.hpp"

namespace velm {

/// True when listing `child` among the inner zones of `parent` would make the
/// tree contain itself: `child` is `parent`, or `parent` is somewhere below
/// `child`. Costs nothing for a parent that no list holds (a level built from
/// the bottom up) or a child without inner zones (one built from the top down);
/// otherwise it visits each zone below `child` once, however often it is shared.
bool would_contain_itself(const Environment& parent, const Environment& child);

/// The number of places in the tree. Throws NestingLimitExceeded or
/// PlaceLimitExceeded for a tree that the engine will not walk; it stops as
/// soon as either limit is passed, so it takes at most MAX_ZONE_PLACES steps
/// and no memory beyond the path it is on.
std::size_t check_walkable(const Environment& root);

/// One place of a zone in the tree: the zone, the parent listing it (null for
/// the root) and its position in that parent's `sub_environments`.
struct ZoneVisit {
    Environment* zone;
    Environment* parent;
    std::size_t index_in_parent;
};

/// Every place in the tree, inner zones before the zone holding them and
/// siblings in list order; a zone listed at several places is visited at each.
/// Throws NestingLimitExceeded or PlaceLimitExceeded for a tree that is too
/// deep or too large to walk.
std::vector<ZoneVisit> visit_post_order(Environment& root);

}  // namespace velm
