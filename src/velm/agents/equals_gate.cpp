#include "velm/agents/equals_gate.hpp"

#include <cmath>

#include "velm/agents/signed_value.hpp"

namespace velm {

EqualsGate::EqualsGate(std::string visual_id, double target_value)
    : MagicianAgent("Equals Gate", 0, std::move(visual_id)), target_value(target_value) {}

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
    nlohmann::json object = MagicianAgent::to_json();
    object["is_open"] = is_open;
    object["target_value"] = target_value;
    return object;
}

void EqualsGate::write_json(JsonTextWriter& out) const {
    write_gate_json(out, is_open, {}, target_value);
}

}  // namespace velm
