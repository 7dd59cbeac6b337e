#include "velm/agents/arithmetic_magicians.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "velm/agents/result_charge.hpp"

namespace velm {

namespace {


/// Truncates the degree toward zero into an int32 and tests its lowest bit.
/// A NaN degree, or one whose truncation leaves the int32 range, counts as
/// even; the range is checked first because converting such a value is undefined.
bool truncates_to_even(double degree) {
    const double truncated = std::trunc(degree);
    const bool fits_int32 = truncated >= std::numeric_limits<std::int32_t>::min() &&
                            truncated <= std::numeric_limits<std::int32_t>::max();
    if (!fits_int32) {
        return true;
    }
    return (static_cast<std::int32_t>(truncated) & 1) == 0;
}

bool is_odd_whole_number(double degree) {
    return degree == std::trunc(degree) && !truncates_to_even(degree);
}

double root(double radicand, double degree) {
    // pow rejects every negative base with a fractional exponent, yet an odd
    // root of a negative number is real: take it of |radicand| and restore the sign.
    if (radicand < 0.0 && is_odd_whole_number(degree)) {
        return -std::pow(-radicand, 1.0 / degree);
    }
    return std::pow(radicand, 1.0 / degree);
}

bool take_square_root(std::vector<Charge>& charges, const MagicianAgent& agent) {
    if (charges.back().polarity == NEGATIVE) {
        return false;
    }
    const double radicand = charges.back().magnitude;
    replace_operands_with_result(charges, 1, positive_rule(std::sqrt(radicand)),
                                 agent.result_name());
    return true;
}

bool take_root_of_last_two(std::vector<Charge>& charges, const MagicianAgent& agent) {
    const double degree = charges[charges.size() - 2].magnitude;
    const double radicand = charges.back().magnitude;
    if (radicand < 0.0 && truncates_to_even(degree)) {
        return false;
    }
    replace_operands_with_result(charges, 2, positive_rule(root(radicand, degree)),
                                 agent.result_name());
    return true;
}

}  // namespace

RootMagician::RootMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::ROOT_MAGICIAN, std::move(visual_id)) {}

bool RootMagician::execute(std::vector<Charge>& charges) {
    if (charges.empty()) {
        return false;
    }
    return charges.size() == 1 ? take_square_root(charges, *this)
                               : take_root_of_last_two(charges, *this);
}

}  // namespace velm
