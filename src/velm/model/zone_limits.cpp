#include "velm/model/zone_limits.hpp"

#include <string>

namespace velm {

NestingLimitExceeded::NestingLimitExceeded()
    : std::runtime_error("zones are nested deeper than the engine's limit of " +
                         std::to_string(MAX_ZONE_DEPTH) + " levels") {}

PlaceLimitExceeded::PlaceLimitExceeded()
    : std::length_error("the level unfolds to more than the engine's limit of " +
                        std::to_string(MAX_ZONE_PLACES) +
                        " zone places (a zone listed at several places counts at each)") {}

}  // namespace velm
