#include "velm/sequencer/narrative_sequencer.hpp"

#include <algorithm>

#include "velm/model/json_object.hpp"
#include "velm/model/zone_rules.hpp"

namespace velm {

namespace {

void remove_agent(Environment& zone, const MagicianAgent& agent) {
    auto found = std::find_if(zone.agents.begin(), zone.agents.end(),
                              [&](const auto& held) { return held.get() == &agent; });
    if (found != zone.agents.end()) {
        zone.agents.erase(found);
    }
}

/// An empty event whose texts have room for the event of any of `gathered`,
/// so that recording the one that acts cannot fail once it has acted.
NarrativeEvent room_for_cast_events(const std::vector<GatheredAgent>& gathered) {
    std::size_t name = 0;
    std::size_t visual_id = 0;
    std::size_t description = 0;
    for (const GatheredAgent& entry : gathered) {
        name = std::max(name, entry.agent->name.size());
        visual_id = std::max(visual_id, entry.agent->visual_id.size());
        description = std::max(description, entry.agent->name.size() + CAST_SPELL_MIDDLE.size() +
                                                 entry.zone->id.size());
    }
    NarrativeEvent event;
    event.agent_name.reserve(name);
    event.visual_id.reserve(visual_id);
    event.description.reserve(description);
    return event;
}

/// Fills `event`, made by room_for_cast_events, for `agent` acting in `zone`:
/// every text fits the room already there, so nothing is allocated.
void record_cast(NarrativeEvent& event, const MagicianAgent& agent,
                 const Environment& zone) noexcept {
    event.agent_name.assign(agent.name);
    event.visual_id.assign(agent.visual_id);
    event.type.assign(CAST_SPELL);
    event.description.assign(agent.name).append(CAST_SPELL_MIDDLE).append(zone.id);
}

}  // namespace

nlohmann::json NarrativeSequencer::next_frame() {
    return next_frame_as([this](std::string_view status, std::string_view message) {
        return build_frame_report(status, message);
    });
}

void NarrativeSequencer::run_frame() {
    // A frame happens whole or not at all. The walk comes first, so a tree
    // that is too deep or too large is refused before anything changes; the
    // freeze flags are put back if a later step fails; and each step does
    // whatever can fail (allocating, above all) before its first change.
    // Agents only change charges, so the places stay valid for the frame.
    const std::vector<ZoneVisit> places = visit_post_order(*env);
    TimeFreezeRefresh freeze(places);
    std::vector<GatheredAgent> gathered = gather_agents(places);
    order_by_priority(gathered);
    if (!try_agents(gathered) && !collapse_resolved_zone(places)) {
        complete_level();
    }
    freeze.keep();
    ++current_frame;
}

bool NarrativeSequencer::try_agents(const std::vector<GatheredAgent>& gathered) {
    NarrativeEvent event = room_for_cast_events(gathered);
    for (const GatheredAgent& entry : gathered) {
        MagicianAgent& agent = *entry.agent;
        const AgentState before = agent.state;
        agent.state = ACTIVE;
        bool acted = false;
        try {
            acted = agent.execute(entry.zone->charges);
        } catch (...) {
            // Agents change nothing when they fail, and the agents tried
            // before were dormant between frames as they are again now, so the
            // frame is undone once this agent's state is.
            agent.state = before;
            throw;
        }
        if (!acted) {
            agent.state = DORMANT;
            continue;
        }
        record_cast(event, agent, *entry.zone);
        last_event = std::move(event);
        // Its zone holds the agent's only share, so this is its end.
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
    NarrativeEvent event{std::string(MERGE_AGENT_NAME),
                         std::string(MERGE_VISUAL_ID_PREFIX).append(zone.id),
                         std::string(COLLAPSE_ZONE),
                         std::string(MERGE_DESCRIPTION_START).append(zone.id).append(
                             MERGE_DESCRIPTION_END)};
    // The one step that can fail, and it changes nothing when it does.
    parent.charges.push_back(zone.charges.front());
    last_event = std::move(event);
    // May release the last handle to the zone: nothing below touches it.
    parent.sub_environments.erase(parent.sub_environments.begin() +
                                  static_cast<std::ptrdiff_t>(place.index_in_parent));
}

void NarrativeSequencer::complete_level() {
    NarrativeEvent event{std::string(COMPLETION_AGENT_NAME), std::string(COMPLETION_VISUAL_ID),
                         std::string(LEVEL_FINISHED), std::string(COMPLETION_MESSAGE)};
    is_finished = true;
    last_event = std::move(event);
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
