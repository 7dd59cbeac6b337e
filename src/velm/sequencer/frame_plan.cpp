#include "velm/sequencer/frame_plan.hpp"

#include <algorithm>

namespace velm {

namespace {

bool is_unresolved(const Environment& zone) {
    return !zone.agents.empty() || zone.charges.size() > 1;
}

bool waits_on_inner_zone(const Environment& zone) {
    return std::any_of(zone.sub_environments.begin(), zone.sub_environments.end(),
                       [](const auto& inner) { return is_unresolved(*inner); });
}

}  // namespace

void refresh_time_freeze(const std::vector<ZoneVisit>& places) {
    for (const ZoneVisit& place : places) {
        place.zone->is_time_frozen = waits_on_inner_zone(*place.zone);
    }
}

std::vector<GatheredAgent> gather_agents(const std::vector<ZoneVisit>& places) {
    std::vector<GatheredAgent> gathered;
    for (const ZoneVisit& place : places) {
        if (place.zone->is_time_frozen) {
            continue;
        }
        for (const auto& agent : place.zone->agents) {
            gathered.push_back({agent, place.zone});
        }
    }
    return gathered;
}

void order_by_priority(std::vector<GatheredAgent>& gathered) {
    std::stable_sort(gathered.begin(), gathered.end(),
                     [](const GatheredAgent& a, const GatheredAgent& b) {
                         return a.agent->priority > b.agent->priority;
                     });
}

}  // namespace velm
