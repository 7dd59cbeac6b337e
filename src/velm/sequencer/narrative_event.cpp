#include "velm/sequencer/narrative_event.hpp"

#include "velm/model/json_object.hpp"
#include "velm/model/json_text_writer.hpp"

namespace velm {

nlohmann::json NarrativeEvent::to_json() const {
    return JsonObject()
        .add("agent_name", agent_name)
        .add("description", description)
        .add("type", type)
        .add("visual_id", visual_id)
        .build();
}

void NarrativeEvent::write_json(JsonTextWriter& out) const {
    out.begin_object();
    out.key("agent_name");
    out.string(agent_name);
    out.next_key("description");
    out.string(description);
    out.next_key("type");
    out.string(type);
    out.next_key("visual_id");
    out.string(visual_id);
    out.end_object();
}

}  // namespace velm
