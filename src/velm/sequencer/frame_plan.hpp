#pragma once

#include <memory>
#include <vector>

#include "velm/agents/magician_agent.hpp"
#include "velm/model/environment.hpp"
#include "velm/model/zone_tree.hpp"

namespace velm {

/// An agent that may act in this frame and the zone whose charges it works on.
/// The shared handle keeps the agent alive for the rest of the frame even after
/// it has been removed from its zone.
struct GatheredAgent {
    std::shared_ptr<MagicianAgent> agent;
    Environment* zone;
};

/// Sets every zone's `is_time_frozen`: a zone waits while any zone directly
/// inside it is unresolved (agents left, or two or more charges).
void refresh_time_freeze(const std::vector<ZoneVisit>& places);

/// The agents of every zone that is not frozen, deepest zones first, each
/// zone's agents in list order. Expects the freeze flags to be fresh.
std::vector<GatheredAgent> gather_agents(const std::vector<ZoneVisit>& places);

/// Highest priority first; equal priorities keep their gathered order.
void order_by_priority(std::vector<GatheredAgent>& gathered);

}  // namespace velm
