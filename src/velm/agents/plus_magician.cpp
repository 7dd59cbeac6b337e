#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/result_charge.hpp"
#include "velm/agents/signed_value.hpp"

namespace velm {

PlusMagician::PlusMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::PLUS_MAGICIAN, std::move(visual_id)) {}

bool PlusMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    replace_operands_with_result(charges, charges.size(), sign_rule(signed_sum(charges)),
                                 result_name());
    return true;
}

}  // namespace velm
