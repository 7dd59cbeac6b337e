#include "velm/agents/result_charge.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace velm {

bool is_near_zero(double value) {
    return std::abs(value) < AGENT_EPSILON;
}

ResultValue sign_rule(double x) {
    // Written as "x >= 0" rather than "x < 0" so that NaN lands on NEGATIVE.
    return {std::abs(x), x >= 0.0 ? POSITIVE : NEGATIVE};
}

ResultValue parity_rule(double x, std::size_t negative_operands) {
    if (is_near_zero(x)) {
        return {x, NEUTRAL};
    }
    return {x, negative_operands % 2 == 1 ? NEGATIVE : POSITIVE};
}

ResultValue three_way_rule(double x) {
    if (x > 0.0) {
        return {x, POSITIVE};
    }
    if (x < 0.0) {
        return {-x, NEGATIVE};
    }
    return {std::abs(x), NEUTRAL};
}

ResultValue positive_rule(double x) {
    return {x, POSITIVE};
}

std::size_t count_negative(const std::vector<Charge>& charges) {
    return static_cast<std::size_t>(std::count_if(
        charges.begin(), charges.end(), [](const Charge& charge) { return charge.polarity == NEGATIVE; }));
}

void replace_operands_with_result(std::vector<Charge>& charges, std::size_t operand_count,
                                  ResultValue result, std::string name) noexcept {
    charges.erase(charges.end() - static_cast<std::ptrdiff_t>(operand_count), charges.end());
    // At least one operand was removed, so this reuses freed capacity and cannot throw.
    charges.emplace_back(result.magnitude, result.polarity, std::move(name));
}

}  // namespace velm
