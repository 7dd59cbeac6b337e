#pragma once

#include <cstddef>
#include <stdexcept>

namespace velm {

/// Deepest zone nesting the engine will walk, counting the root as level 1.
/// Nothing in the engine recurses along the tree, but a deeper tree is almost
/// surely a mistake, and the limit keeps every walk bounded.
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

}  // namespace velm
