#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/result_charge.hpp"

namespace velm {

DivideMagician::DivideMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::DIVIDE_MAGICIAN, std::move(visual_id)) {}

bool DivideMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    // The whole quotient is computed before the list is touched, so a
    // near-zero divisor anywhere declines with every charge still in place.
    double quotient = charges.front().magnitude;
    for (auto divisor = charges.begin() + 1; divisor != charges.end(); ++divisor) {
        if (is_near_zero(divisor->magnitude)) {
            return false;
        }
        quotient /= divisor->magnitude;
    }
    const ResultValue result = parity_rule(quotient, count_negative(charges));
    replace_operands_with_result(charges, charges.size(), result, result_name());
    return true;
}

}  // namespace velm
