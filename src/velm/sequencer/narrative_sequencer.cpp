#include "velm/sequencer/narrative_sequencer.hpp"

#include <algorithm>

#include "velm/model/json_object.hpp"

namespace velm {

namespace {

bool is_resolved(const Environment& zone) {
    return zone.agents.empty() && zone.charges.size() == 1;
}

void remove_agent(Environment& zone, const MagicianAgent& agent) {
    auto found = std::find_if(zone.agents.begin(), zone.agents.end(),
                              [&](const auto& held) { return held.get() == &agent; });
    if (found != zone.agents.end()) {
        zone.agents.erase(found);
    }
}

}  // namespace

nlohmann::json NarrativeSequencer::next_frame() {
    return next_frame_as([this](std::string_view status, std::string_view message) {
        return build_frame_report(status, message);
    });
}

void NarrativeSequencer::run_frame() {
    // The walk comes first: a tree too deep to report is refused before the
    // frame has touched anything. Agents only change charges, so the places
    // stay valid for the whole frame.
    const std::vector<ZoneVisit> places = visit_post_order(*env);
    ++current_frame;
    refresh_time_freeze(places);
    std::vector<GatheredAgent> gathered = gather_agents(places);
    order_by_priority(gathered);
    if (try_agents(gathered) || collapse_resolved_zone(places)) {
        return;
    }
    is_finished = true;
    last_event = NarrativeEvent{"System", "N/A", "FINISHED", "Equation Resolved."};
}

bool NarrativeSequencer::try_agents(const std::vector<GatheredAgent>& gathered) {
    for (const GatheredAgent& entry : gathered) {
        MagicianAgent& agent = *entry.agent;
        agent.state = ACTIVE;
        if (!agent.execute(entry.zone->charges)) {
            agent.state = DORMANT;
            continue;
        }
        last_event = NarrativeEvent{agent.name, agent.visual_id, "CAST_SPELL",
                                    agent.name + " executed operation in " + entry.zone->id};
        remove_agent(*entry.zone, agent);
        return true;
    }
    return false;
}

bool NarrativeSequencer::collapse_resolved_zone(const std::vector<ZoneVisit>& places) {
    // Post-order places put a zone's whole subtree before the zone itself,
    // so the first resolved place is the deepest, leftmost candidate.
    for (const ZoneVisit& place : places) {
        if (place.parent != nullptr && is_resolved(*place.zone)) {
            merge_into_parent(place);
            return true;
        }
    }
    return false;
}

void NarrativeSequencer::merge_into_parent(const ZoneVisit& place) {
    const Environment& zone = *place.zone;
    Environment& parent = *place.parent;
    parent.charges.push_back(zone.charges.front());
    last_event = NarrativeEvent{"Chronomancer", "shield_" + zone.id, "COLLAPSE_ZONE",
                                "Zone " + zone.id + " has resolved and merged."};
    // May release the last handle to the zone: nothing below touches it.
    parent.sub_environments.erase(parent.sub_environments.begin() +
                                  static_cast<std::ptrdiff_t>(place.index_in_parent));
}

nlohmann::json NarrativeSequencer::build_frame_report(std::string_view status,
                                                      std::string_view message) const {
    nlohmann::json report = env->to_json();
    report["meta"] = JsonObject()
                         .add("frame_index", current_frame)
                         .add("last_event", last_event ? last_event->to_json() : nullptr)
                         .add("message", message)
                         .add("status", status)
                         .build();
    return report;
}

}  // namespace velm
