#pragma once

#include "velm/agents/magician_agent.hpp"

namespace velm {

/// Largest difference between sum and target that still counts as equal.
inline constexpr double GATE_TOLERANCE = 1e-6;

/// Opens (acts) once the signed sum of its zone's charges equals the target
/// within GATE_TOLERANCE. It never changes the charges.
class EqualsGate : public MagicianAgent {
public:
    double target_value;
    bool is_open = false;

    EqualsGate(std::string visual_id, double target_value);
    bool execute(std::vector<Charge>& charges) override;
    nlohmann::json to_json() const override;
    void write_json(JsonTextWriter& out) const override;
};

}  // namespace velm
