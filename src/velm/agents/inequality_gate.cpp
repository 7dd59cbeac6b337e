#include "velm/agents/inequality_gate.hpp"

#include "velm/agents/signed_value.hpp"

namespace velm {

namespace {

bool holds(ComparisonRule rule, double sum, double target) {
    switch (rule) {
        case LESS: return sum < target;
        case GREATER: return sum > target;
        case LESS_EQUAL: return sum <= target;
        case GREATER_EQUAL: return sum >= target;
    }
    return false;
}

std::string_view rule_text(ComparisonRule rule) {
    switch (rule) {
        case LESS: return "<";
        case GREATER: return ">";
        case LESS_EQUAL: return "<=";
        default: return ">=";
    }
}

}  // namespace

ComparisonRule parse_comparison_rule(std::string_view text) {
    if (text == ">") return GREATER;
    if (text == "<=") return LESS_EQUAL;
    if (text == ">=") return GREATER_EQUAL;
    return LESS;
}

InequalityGate::InequalityGate(std::string visual_id, double target_value, ComparisonRule rule)
    : MagicianAgent(agent_kinds::INEQUALITY_GATE, std::move(visual_id)),
      rule(rule),
      target_value(target_value) {}

bool InequalityGate::execute(std::vector<Charge>& charges) {
    if (charges.empty() || !holds(rule, signed_sum(charges), target_value)) {
        return false;
    }
    is_open = true;
    return true;
}

nlohmann::json InequalityGate::to_json() const {
    return gate_to_json(is_open, rule_text(rule), target_value);
}

void InequalityGate::write_json(JsonTextWriter& out) const {
    write_gate_json(out, is_open, rule_text(rule), target_value);
}

}  // namespace velm
