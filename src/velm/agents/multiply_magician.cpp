#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/result_charge.hpp"

namespace velm {

MultiplyMagician::MultiplyMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::MULTIPLY_MAGICIAN, std::move(visual_id)) {}

bool MultiplyMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    // Magnitudes are multiplied as stored; the sign comes from the NEGATIVE count alone.
    double product = 1.0;
    for (const Charge& charge : charges) {
        product *= charge.magnitude;
    }
    const ResultValue result = parity_rule(product, count_negative(charges));
    replace_operands_with_result(charges, charges.size(), result, result_name());
    return true;
}

}  // namespace velm
