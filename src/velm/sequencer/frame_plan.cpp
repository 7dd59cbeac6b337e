#include "velm/sequencer/frame_plan.hpp"

#include <algorithm>
#include <functional>

#include "velm/model/zone_rules.hpp"

namespace velm {

namespace {

/// Beyond this many distinct priorities the list is merge-sorted instead;
/// the kinds of the engine have seven.
constexpr std::size_t MAX_DISTINCT_PRIORITIES = 16;

/// The distinct priorities of `gathered`, highest first, or nothing when
/// there are more than MAX_DISTINCT_PRIORITIES of them.
std::vector<std::int32_t> distinct_priorities(const std::vector<GatheredAgent>& gathered) {
    std::vector<std::int32_t> priorities;
    for (const GatheredAgent& entry : gathered) {
        if (std::find(priorities.begin(), priorities.end(), entry.priority) != priorities.end()) {
            continue;
        }
        if (priorities.size() == MAX_DISTINCT_PRIORITIES) {
            return {};
        }
        priorities.push_back(entry.priority);
    }
    std::sort(priorities.begin(), priorities.end(), std::greater<>());
    return priorities;
}

bool waits_on_inner_zone(const Environment& zone) {
    return std::any_of(zone.sub_environments.begin(), zone.sub_environments.end(),
                       [](const auto& inner) { return holds_up_parent(*inner); });
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
            gathered.push_back({agent.get(), place.zone, agent->priority});
        }
    }
    return gathered;
}

void order_by_priority(std::vector<GatheredAgent>& gathered) {
    const auto higher = [](const GatheredAgent& a, const GatheredAgent& b) {
        return a.priority > b.priority;
    };
    // A list already in order, as that of a zone or two often is, is left as
    // it is.
    if (std::is_sorted(gathered.begin(), gathered.end(), higher)) {
        return;
    }
    // Every kind has a fixed priority, so a level holds only a handful of
    // distinct ones: taking the entries of each priority in turn, in gathered
    // order, is a stable sort in a few plain passes.
    const std::vector<std::int32_t> priorities = distinct_priorities(gathered);
    if (priorities.empty()) {
        std::stable_sort(gathered.begin(), gathered.end(), higher);
        return;
    }
    std::vector<GatheredAgent> ordered;
    ordered.reserve(gathered.size());
    for (const std::int32_t priority : priorities) {
        for (const GatheredAgent& entry : gathered) {
            if (entry.priority == priority) {
                ordered.push_back(entry);
            }
        }
    }
    gathered.swap(ordered);
}

}  // namespace velm
