#include "velm/agents/magician_agent.hpp"

#include "velm/model/json_object.hpp"

namespace velm {

namespace {

const char* state_text(AgentState state) {
    switch (state) {
        case ACTIVE: return "active";
        case FROZEN: return "frozen";
        default: return "dormant";
    }
}

}  // namespace

nlohmann::json MagicianAgent::to_json() const {
    return JsonObject()
        .add("name", name)
        .add("priority", priority)
        .add("state", state_text(state))
        .add("visual_id", visual_id)
        .build();
}

}  // namespace velm
