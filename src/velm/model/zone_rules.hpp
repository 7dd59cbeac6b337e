#pragma once

#include "velm/model/environment.hpp"

namespace velm {

/// A zone is resolved when it is down to one charge and has no agent left:
/// it can merge into the zone that holds it.
inline bool is_resolved(const Environment& zone) {
    return zone.agents.empty() && zone.charges.size() == 1;
}

/// A zone holds up the zone around it (keeps it time-frozen) while it still
/// has an agent or more than one charge. This is not the opposite of
/// `is_resolved`: a zone with neither agents nor charges holds nothing up,
/// and never merges either.
inline bool holds_up_parent(const Environment& zone) {
    return !zone.agents.empty() || zone.charges.size() > 1;
}

}  // namespace velm
