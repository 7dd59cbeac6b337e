#include "velm/sequencer/narrative_event.hpp"

namespace velm {

nlohmann::json NarrativeEvent::to_json() const {
    return {
        {"agent_name", agent_name},
        {"description", description},
        {"type", type},
        {"visual_id", visual_id},
    };
}

}  // namespace velm
