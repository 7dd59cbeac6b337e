#include "velm/agents/equals_gate.hpp"

#include <cmath>

#include "velm/agents/signed_value.hpp"

namespace velm {

EqualsGate::EqualsGate(std::string visual_id, double target_value)
    : MagicianAgent(agent_kinds::EQUALS_GATE, std::move(visual_id)), target_value(target_value) {}

bool EqualsGate::execute(std::vector<Charge>& charges) {
    if (charges.empty()) {
        return false;
    }
    if (std::abs(signed_sum(charges) - target_value) < GATE_TOLERANCE) {
        is_open = true;
        return true;
    }
    return false;
}

nlohmann::json EqualsGate::to_json() const {
    return gate_to_json(is_open, {}, target_value);
}

void EqualsGate::write_json(JsonTextWriter& out) const {
    write_gate_json(out, is_open, {}, target_value);
}

}  // namespace velm
