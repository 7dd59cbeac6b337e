#include "velm/agents/arithmetic_magicians.hpp"

#include <cmath>

#include "velm/agents/result_charge.hpp"

namespace velm {

ModuloMagician::ModuloMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::MODULO_MAGICIAN, std::move(visual_id)) {}

bool ModuloMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    const double dividend = charges[charges.size() - 2].magnitude;
    const double divisor = charges.back().magnitude;
    if (is_near_zero(divisor)) {
        return false;
    }
    replace_operands_with_result(charges, 2, positive_rule(std::fmod(dividend, divisor)),
                                 result_name());
    return true;
}

}  // namespace velm
