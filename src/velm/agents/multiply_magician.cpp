#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/result_charge.hpp"

namespace velm {

MultiplyMagician::MultiplyMagician(std::string visual_id)
    : MagicianAgent("Multiply Magician", 50, std::move(visual_id)) {}

bool MultiplyMagician::execute(std::vector<Charge>& charges) {
    if (charges.size() < 2) {
        return false;
    }
    // Magnitudes are multiplied as stored; the sign comes from the NEGATIVE count alone.
    double product = 1.0;
    for (const Charge& charge : charges) {
        product *= charge.magnitude;
    }
    replace_operands_with_result(charges, charges.size(), parity_rule(product, count_negative(charges)),
                                 "result_product_", visual_id);
    return true;
}

}  // namespace velm
