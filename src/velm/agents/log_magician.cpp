#include "velm/agents/arithmetic_magicians.hpp"

#include <cmath>

#include "velm/agents/result_charge.hpp"

namespace velm {

namespace {


// The guards use plain comparisons on purpose: a NaN argument or base passes
// them and yields a NaN result rather than a refusal.

bool take_decimal_log(std::vector<Charge>& charges, const MagicianAgent& agent) {
    const double argument = charges.back().magnitude;
    if (argument <= 0.0) {
        return false;
    }
    replace_operands_with_result(charges, 1, sign_rule(std::log10(argument)), agent.result_name());
    return true;
}

bool take_log_of_last_two(std::vector<Charge>& charges, const MagicianAgent& agent) {
    const double base = charges[charges.size() - 2].magnitude;
    const double argument = charges.back().magnitude;
    if (argument <= 0.0 || base <= 0.0 || base == 1.0) {
        return false;
    }
    replace_operands_with_result(charges, 2, sign_rule(std::log(argument) / std::log(base)),
                                 agent.result_name());
    return true;
}

}  // namespace

LogMagician::LogMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::LOG_MAGICIAN, std::move(visual_id)) {}

bool LogMagician::execute(std::vector<Charge>& charges) {
    if (charges.empty()) {
        return false;
    }
    return charges.size() == 1 ? take_decimal_log(charges, *this)
                               : take_log_of_last_two(charges, *this);
}

}  // namespace velm
