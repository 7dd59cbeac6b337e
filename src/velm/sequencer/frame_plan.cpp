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

TimeFreezeRefresh::TimeFreezeRefresh(const std::vector<ZoneVisit>& places) : places_(places) {
    // Every flag is read before any is written: a zone listed at several
    // places must get back what it had before the frame, not its new value.
    before_.reserve(places.size());
    for (const ZoneVisit& place : places) {
        before_.push_back(place.zone->is_time_frozen);
    }
    for (const ZoneVisit& place : places) {
        place.zone->is_time_frozen = waits_on_inner_zone(*place.zone);
    }
}

TimeFreezeRefresh::~TimeFreezeRefresh() {
    if (kept_) {
        return;
    }
    for (std::size_t index = 0; index < places_.size(); ++index) {
        places_[index].zone->is_time_frozen = before_[index] != 0;
    }
}

std::vector<GatheredAgent> gather_agents(const std::vector<ZoneVisit>& places) {
    std::size_t count = 0;
    for (const ZoneVisit& place : places) {
        count += place.zone->is_time_frozen ? 0 : place.zone->agents.size();
    }
    std::vector<GatheredAgent> gathered;
    gathered.reserve(count);
    for (const ZoneVisit& place : places) {
        if (place.zone->is_time_frozen) {
            continue;
        }
        for (const auto& agent : place.zone->agents) {
            gathered.push_back({agent.get(), place.zone});
        }
    }
    return gathered;
}

void order_by_priority(std::vector<GatheredAgent>& gathered) {
    const auto higher = [](const GatheredAgent& a, const GatheredAgent& b) {
        return a.agent->priority > b.agent->priority;
    };
    // The stable sort takes a buffer from the heap; a list already in order,
    // as that of a zone or two often is, needs neither.
    if (!std::is_sorted(gathered.begin(), gathered.end(), higher)) {
        std::stable_sort(gathered.begin(), gathered.end(), higher);
    }
}

}  // namespace velm
