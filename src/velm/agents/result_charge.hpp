#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "velm/model/charge.hpp"

namespace velm {

/// Values whose absolute value is below this count as zero for the arithmetic kinds.
inline constexpr double AGENT_EPSILON = 1e-9;

/// True when |value| < AGENT_EPSILON; false for NaN.
bool is_near_zero(double value);

/// Magnitude and polarity of a result charge, before it is named.
struct ResultValue {
    double magnitude;
    ChargePolarity polarity;
};

/// |x|, NEGATIVE unless x >= 0: zero is POSITIVE, NaN is NEGATIVE.
ResultValue sign_rule(double x);

/// x unchanged; NEUTRAL when near zero, else NEGATIVE for an odd count of NEGATIVE operands.
ResultValue parity_rule(double x, std::size_t negative_operands);

/// |x|, POSITIVE above zero, NEGATIVE below, NEUTRAL for zero and NaN.
ResultValue three_way_rule(double x);

/// x unchanged, always POSITIVE.
ResultValue positive_rule(double x);

/// Number of charges in the list whose polarity is exactly NEGATIVE.
std::size_t count_negative(const std::vector<Charge>& charges);

/// Removes the last `operand_count` charges (at least one) and appends the
/// result under `name` (an agent's `result_name()`). Nothing here can fail,
/// so a list that reaches it is changed whole.
void replace_operands_with_result(std::vector<Charge>& charges, std::size_t operand_count,
                                  ResultValue result, std::string name) noexcept;

}  // namespace velm
