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

/// Thrown instead of walking a tree nested deeper than MAX_ZONE_DEPTH.
class NestingLimitExceeded : public std::runtime_error {
public:
    NestingLimitExceeded();
};

/// True when `target` is `root` itself or is held anywhere below it.
/// Each zone is visited once, so shared zones cannot make this exponential.
bool tree_contains(const Environment& root, const Environment& target);

/// True when some path from `root` down is longer than MAX_ZONE_DEPTH levels.
/// Each zone is walked once, so shared zones cannot make this exponential.
bool exceeds_nesting_limit(const Environment& root);

/// One place of a zone in the tree: the zone, the parent listing it (null for
/// the root) and its position in that parent's `sub_environments`.
struct ZoneVisit {
    Environment* zone;
    Environment* parent;
    std::size_t index_in_parent;
};

/// Every place in the tree, inner zones before the zone holding them and
/// siblings in list order; a zone listed at several places is visited at each.
/// Throws NestingLimitExceeded before returning anything for too deep a tree.
std::vector<ZoneVisit> visit_post_order(Environment& root);

}  // namespace velm
