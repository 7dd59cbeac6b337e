#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/result_charge.hpp"
#include "velm/agents/signed_value.hpp"

namespace velm {

MinusMagician::MinusMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::MINUS_MAGICIAN, std::move(visual_id)) {}

bool MinusMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    double difference = signed_value_neutral_negative(charges.front());
    for (auto charge = charges.begin() + 1; charge != charges.end(); ++charge) {
        difference -= signed_value_neutral_negative(*charge);
    }
    replace_operands_with_result(charges, charges.size(), sign_rule(difference), result_name());
    return true;
}

}  // namespace velm
