#include "velm/sequencer/narrative_event.hpp"

#include "velm/model/json_object.hpp"

namespace velm {

nlohmann::json NarrativeEvent::to_json() const {
    return JsonObject()
        .add("agent_name", agent_name)
        .add("description", description)
        .add("type", type)
        .add("visual_id", visual_id)
        .build();
}

}  // namespace velm
