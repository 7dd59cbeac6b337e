#pragma once

#include <cstdint>
#include <string_view>

#include "velm/agents/magician_agent.hpp"

namespace velm {

enum ComparisonRule : std::int32_t { LESS = 0, GREATER = 1, LESS_EQUAL = 2, GREATER_EQUAL = 3 };

/// ">", "<=" and ">=" select their rule; every other text, "<" included, selects LESS.
ComparisonRule parse_comparison_rule(std::string_view text);

/// Opens (acts) once the signed sum of its zone's charges satisfies its rule
/// against the target. It never changes the charges.
class InequalityGate : public MagicianAgent {
public:
    ComparisonRule rule;
    double target_value;
    bool is_open = false;

    InequalityGate(std::string visual_id, double target_value, ComparisonRule rule);
    bool execute(std::vector<Charge>& charges) override;
    nlohmann::json to_json() const override;
    void write_json(JsonTextWriter& out) const override;
};

}  // namespace velm
