#include "velm/agents/arithmetic_magicians.hpp"

#include <cmath>

#include "velm/agents/result_charge.hpp"
#include "velm/agents/signed_value.hpp"

namespace velm {

PowerSorcerer::PowerSorcerer(std::string visual_id)
    : MagicianAgent(agent_kinds::POWER_SORCERER, std::move(visual_id)) {}

bool PowerSorcerer::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    const double base = signed_value_neutral_positive(charges[charges.size() - 2]);
    const double exponent = signed_value_neutral_positive(charges.back());
    // pow's own special values (NaN for a negative base with a fractional
    // exponent, infinity for a zero base with a negative one) are kept.
    replace_operands_with_result(charges, 2, three_way_rule(std::pow(base, exponent)),
                                 result_name());
    return true;
}

}  // namespace velm
