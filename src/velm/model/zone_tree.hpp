#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "velm/model/environment.hpp"

namespace velm {

/// Deepest zone nesting the engine will walk, counting the root as level 1.
/// Deeper trees are refused rather than risking the native stack in the JSON
/// writer, which recurses once per nested value.
inline constexpr std::size_t MAX_ZONE_DEPTH = 2000;

/// Most places a tree may unfold to. A zone listed at several places is
/// walked, and written, once per place, so a few zones that list each other
/// twice over unfold to more places than any memory holds; no hand-made or
/// generated level of a real game comes near.
inline constexpr std::size_t MAX_ZONE_PLACES = 10'000'000;

/// Thrown instead of walking a tree nested deeper than MAX_ZONE_DEPTH.
class NestingLimitExceeded : public std::runtime_error {
public:
    NestingLimitExceeded();
};

/// Thrown instead of walking a tree of more than MAX_ZONE_PLACES places.
class PlaceLimitExceeded : public std::length_error {
public:
    PlaceLimitExceeded();
};

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
