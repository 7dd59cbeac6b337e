#include "velm/agents/magician_agent.hpp"

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
    return {
        {"name", name},
        {"priority", priority},
        {"state", state_text(state)},
        {"visual_id", visual_id},
    };
}

}  // namespace velm
