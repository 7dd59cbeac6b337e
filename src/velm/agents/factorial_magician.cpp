#include "velm/agents/arithmetic_magicians.hpp"

#include <cmath>
#include <limits>

#include "velm/agents/result_charge.hpp"

namespace velm {

namespace {

/// The smallest count whose factorial no longer fits in a double.
constexpr double FIRST_OVERFLOWING_COUNT = 171.0;

/// Factorial of floor(magnitude), accumulated in ascending order. Counts of
/// zero or below give 1; counts past the double range give +infinity. The
/// count stays a double throughout, so no magnitude is ever converted to an
/// integer type that cannot hold it.
double factorial_of_floor(double magnitude) {
    if (std::isnan(magnitude)) {
        return magnitude;
    }
    const double count = std::floor(magnitude);
    if (count >= FIRST_OVERFLOWING_COUNT) {
        return std::numeric_limits<double>::infinity();
    }
    double product = 1.0;
    for (double factor = 2.0; factor <= count; factor += 1.0) {
        product *= factor;
    }
    return product;
}

}  // namespace

FactorialMagician::FactorialMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::FACTORIAL_MAGICIAN, std::move(visual_id)) {}

bool FactorialMagician::execute(std::vector<Charge>& charges) {
    if (charges.empty() || charges.back().polarity == NEGATIVE) {
        return false;
    }
    const double magnitude = charges.back().magnitude;
    replace_operands_with_result(charges, 1, positive_rule(factorial_of_floor(magnitude)),
                                 result_name());
    return true;
}

}  // namespace velm
